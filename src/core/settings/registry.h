#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zendra {

// The per-user store of the application "Zendra00": the folder of the last text file
// chosen for import ("Paths"/"CSVload"), the show-codes flag ("View"/"ShowCodes") and the
// recent files ("Recent"/"File1" to "File8", newest first).
// Each call reads or writes the store file at once.
class Registry {
 public:
  // The store in "Zendra00.ini" of the user's configuration folder (see configFolder).
  Registry();
  explicit Registry(std::filesystem::path file);

  // "" when never stored.
  std::string readCsvLoad() const;
  bool writeCsvLoad(std::string_view folder);

  // True only for a stored "True" (in any letter case); anything else, missing
  // included, reads as False.
  bool readShowCodes() const;
  // Stores the word True or False.
  bool writeShowCodes(bool showCodes);

  // The stored recent files in the order of their keys, empty entries left out.
  std::vector<std::string> readRecentFiles() const;
  // Replaces the whole section with File1 to FileN.
  bool writeRecentFiles(const std::vector<std::string>& files);

  const std::filesystem::path& file() const { return file_; }
  const std::string& error() const { return error_; }

 private:
  std::filesystem::path file_;
  std::string error_;
};

}  // namespace zendra
