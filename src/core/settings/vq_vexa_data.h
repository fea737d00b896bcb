#pragma once

#include <filesystem>
#include <string>

namespace zendra {

// The program's folders and files, kept in section "Catalogues" of the settings file
// "zendra32.ini". One object lives from start-up to the end of the program.
class VqVexaData {
 public:
  // Settings kept in iniFile; the default is "zendra32.ini" in the user's configuration
  // folder (see configFolder).
  VqVexaData();
  explicit VqVexaData(std::filesystem::path iniFile);

  std::string OpenBase;     // initial folder for opening table files
  std::string Savebase;     // initial folder for saving table files
  std::string VexaBase;     // folder of the statistics database (holds "Amnomr.dat")
  std::string MDBBase;      // initial folder for Access databases
  std::string DefaultData;  // full path of the default data file

  // The default data file that ships with the program; empty when none was found. It is
  // read when DefaultData names no file, and never written.
  std::string shippedDefaultData;
  // The default data file to read: the user's own, else the shipped one.
  const std::string& defaultDataPath() const {
    return DefaultData.empty() ? shippedDefaultData : DefaultData;
  }

  // Reads the five properties; an empty OpenBase, MDBBase or Savebase takes VexaBase.
  // Returns false when the file is missing or cannot be read (error() tells which); the
  // properties are then set as from an empty file.
  bool Load_data();

  // Writes the five keys "Openbase", "Savebase", "Currentbase", "MDBBase" and
  // "Defaultdata", in that order, keeping every other line of the file. Returns false
  // when the file cannot be written (the old file stays as it was).
  bool save_ini();

  const std::filesystem::path& iniFile() const { return iniFile_; }
  const std::string& error() const { return error_; }

 private:
  std::filesystem::path iniFile_;
  std::string error_;
};

}  // namespace zendra
