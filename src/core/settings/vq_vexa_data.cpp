#include "core/settings/vq_vexa_data.h"

#include <utility>

#include "core/settings/config_folder.h"
#include "core/settings/ini_file.h"

namespace zendra {
namespace {

constexpr const char* kSection = "Catalogues";

}  // namespace

VqVexaData::VqVexaData() : VqVexaData(settingsFilePath()) {}

VqVexaData::VqVexaData(std::filesystem::path iniFile) : iniFile_(std::move(iniFile)) {}

bool VqVexaData::Load_data() {
  IniFile ini(iniFile_);
  const auto status = ini.load();
  VexaBase = ini.read(kSection, "Currentbase");
  OpenBase = ini.read(kSection, "OpenBase");
  if (OpenBase.empty()) OpenBase = VexaBase;
  MDBBase = ini.read(kSection, "MDBBase");
  if (MDBBase.empty()) MDBBase = VexaBase;
  Savebase = ini.read(kSection, "SaveBase");
  if (Savebase.empty()) Savebase = VexaBase;
  DefaultData = ini.read(kSection, "Defaultdata");

  switch (status) {
    case IniFile::Status::Ok:
      error_.clear();
      return true;
    case IniFile::Status::Missing:
      error_ = "The settings file " + iniFile_.string() + " does not exist";
      return false;
    case IniFile::Status::Failed:
      error_ = ini.error();
      return false;
  }
  return false;
}

bool VqVexaData::save_ini() {
  IniFile ini(iniFile_);
  if (ini.load() == IniFile::Status::Failed) {
    // Writing now would replace a file that could not be read with five lines.
    error_ = ini.error();
    return false;
  }
  const bool ok =
      ini.write(kSection, "Openbase", OpenBase) && ini.write(kSection, "Savebase", Savebase) &&
      ini.write(kSection, "Currentbase", VexaBase) && ini.write(kSection, "MDBBase", MDBBase) &&
      ini.write(kSection, "Defaultdata", DefaultData) && ini.save();
  error_ = ok ? std::string() : ini.error();
  return ok;
}

}  // namespace zendra
