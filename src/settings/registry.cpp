#include "settings/registry.h"

#include <utility>

#include "model/text_compare.h"
#include "settings/config_folder.h"
#include "settings/ini_file.h"

namespace zendra {

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

}  // namespace zendra
