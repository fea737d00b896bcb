#include "core/settings/registry.h"

#include <cstddef>
#include <string>
#include <utility>

#include "core/model/text_compare.h"
#include "core/settings/config_folder.h"
#include "core/settings/ini_file.h"

namespace zendra {

namespace {
constexpr std::size_t kRecentKeys = 8;
}

Registry::Registry() : Registry(userStoreFilePath()) {}

Registry::Registry(std::filesystem::path file) : file_(std::move(file)) {}

std::string Registry::readCsvLoad() const {
  return readProfileString(file_, "Paths", "CSVload");
}

bool Registry::writeCsvLoad(std::string_view folder) {
  return writeProfileString(file_, "Paths", "CSVload", folder, &error_);
}

bool Registry::readShowCodes() const {
  return equalsIgnoringCase(readProfileString(file_, "View", "ShowCodes"), "True");
}

bool Registry::writeShowCodes(bool showCodes) {
  return writeProfileString(file_, "View", "ShowCodes", showCodes ? "True" : "False", &error_);
}

std::vector<std::string> Registry::readRecentFiles() const {
  IniFile ini(file_);
  ini.load();
  std::vector<std::string> files;
  for (std::size_t i = 1; i <= kRecentKeys; ++i) {
    std::string file = ini.read("Recent", "File" + std::to_string(i));
    if (!file.empty()) files.push_back(std::move(file));
  }
  return files;
}

bool Registry::writeRecentFiles(const std::vector<std::string>& files) {
  IniFile ini(file_);
  bool ok = ini.load() != IniFile::Status::Failed;
  if (ok) {
    ini.clearSection("Recent");
    for (std::size_t i = 0; ok && i < files.size() && i < kRecentKeys; ++i) {
      ok = ini.write("Recent", "File" + std::to_string(i + 1), files[i]);
    }
    ok = ok && ini.save();
  }
  if (!ok) error_ = ini.error();
  return ok;
}

}  // namespace zendra
