#pragma once

#include <string>
#include <vector>

#include "core/model/signal.h"

namespace zendra {

// One subject area of the office's list.
struct SubjArea {
  std::string name;
  std::string code;
};

// The office's list of subject areas. It comes from "Amnomr.dat" in the statistics
// database folder, one area per line: name, a TAB, code. Lines without a TAB are
// skipped and an empty line ends the list.
class SubjectAreas {
 public:
  std::string VexaBase;               // the folder (or file) last loaded from
  std::vector<SubjArea> SubjectArea;  // the list, in file order
  // True: VexaBase is a folder holding "Amnomr.dat" in the OEM code page (IBM 850).
  // False: VexaBase is the file itself, in the ANSI code page (Windows-1252).
  bool SubjectFromDB = true;
  // The library shipped with the program ("Amnomr.dat", name TAB code); empty when none
  // was found. It is read when the folder holds no library of its own.
  std::string shippedLibrary;

  // Loads the list from path, unless path is the one last loaded from. VexaBase takes
  // the path and the list is emptied first. A file that cannot be read leaves the list
  // empty and raises nothing; a completed load raises NewSubjectAreas. Returns whether
  // a list was read. A folder without "Amnomr.dat" (or no folder) gives the shipped
  // library when there is one.
  bool Load_data(const std::string& path);

  // Loads the list from path like Load_data, also when path is the one last loaded
  // from, so that a file added or changed since then is read.
  bool reload(const std::string& path);

  Signal<> NewSubjectAreas;

 private:
  bool loaded_ = false;  // Load_data ran once: the same path again changes nothing
};

}  // namespace zendra
