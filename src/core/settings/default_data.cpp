#include "core/settings/default_data.h"

#include <filesystem>
#include <string>

#include "core/model/numeric_text.h"
#include "core/settings/ini_file.h"
#include "core/settings/vq_vexa_data.h"

namespace zendra {
namespace {

constexpr const char* kConstants = "Constants";
constexpr const char* kVarreg = "Varreg";
constexpr const char* kUnits = "Units";

std::string numbered(std::string_view prefix, std::size_t n) {
  return std::string(prefix) + std::to_string(n);
}

// Entries prefix1, prefix2, ... of a section, up to the first missing or empty one.
std::vector<std::string> readList(const IniFile& ini, std::string_view section,
                                  std::string_view prefix) {
  std::vector<std::string> list;
  for (std::size_t n = 1;; ++n) {
    std::string entry = ini.read(section, numbered(prefix, n));
    if (entry.empty()) break;
    list.push_back(std::move(entry));
  }
  return list;
}

// A value entry: "code,text" (split at the first comma) or "text".
void addValue(DimensionData& variable, std::string_view entry) {
  const ValueRef value = variable.addVal();
  const auto comma = entry.find(',');
  if (comma == std::string_view::npos) {
    value->value = entry;
    return;
  }
  value->code = entry.substr(0, comma);
  value->value = entry.substr(comma + 1);
  // ",text" is how a text holding a comma is stored for a variable without codes, so
  // only a non-empty code makes the variable use codes.
  if (!value->code.empty()) variable.UseCodes = true;
}

// The stored form of a value. Without codes a text holding a comma is written behind an
// empty code, or reading it back would split the text into a code and a text.
std::string entryOf(const ValueAndCode& value, bool useCodes) {
  if (useCodes || value.value.find(',') != std::string::npos) return value.code + "," + value.value;
  return value.value;
}

}  // namespace

DefaultData::DefaultData(VqVexaData& settings) : settings_(settings) {}

bool DefaultData::Load_data() {
  Variable.clear();
  Units.clear();
  Dimensions = DimensionDataColl();
  error_.clear();

  const std::string path = settings_.defaultDataPath();
  IniFile ini(path);
  if (!path.empty() && ini.load() == IniFile::Status::Failed) {
    error_ = ini.error();
  }
  const bool fileRead = error_.empty();
  Contact = ini.read(kConstants, "Contact");
  Source = ini.read(kConstants, "Source");
  Database = ini.read(kConstants, "Database");
  Bytext = ini.read(kConstants, "By");
  if (Bytext.empty()) Bytext = "by";
  Andtext = ini.read(kConstants, "And");
  if (Andtext.empty()) Andtext = "and";

  Units = readList(ini, kUnits, "U");
  for (const std::string& name : readList(ini, kVarreg, "Var")) {
    if (Dimensions.Contains(name)) {
      if (error_.empty()) {
        error_ = "The variable \"" + name + "\" is listed twice in " + path;
      }
      continue;
    }
    const DimensionRef variable = DimensionData::create(name);
    for (const std::string& entry : readList(ini, name, name)) addValue(*variable, entry);
    Dimensions.Add(variable, name);
    Variable.push_back(name);
  }

  // A file that could not be read is forgotten. A variable listed twice is only a fault
  // inside a file that was read: the path stays, or the next settings save would write
  // an empty Defaultdata and lose the user's choice.
  const bool ok = error_.empty();
  if (!ok && !fileRead) settings_.DefaultData.clear();
  NewDefaultData.notify();
  return ok;
}

bool DefaultData::isShippedFile(const std::string& path) const {
  const std::string& shipped = settings_.shippedDefaultData;
  if (shipped.empty() || path.empty()) return false;
  std::error_code error;
  return path == shipped || std::filesystem::equivalent(path, shipped, error);
}

bool DefaultData::save_data() {
  return save_data(settings_.DefaultData);
}

bool DefaultData::save_data(const std::string& path) {
  if (path.empty()) {
    error_ = "No default data file is chosen";
    return false;
  }
  if (isShippedFile(path)) {
    error_ = "The default data that comes with Zendra is never changed; save to a file of your own";
    return false;
  }
  IniFile ini(path);
  if (ini.load() == IniFile::Status::Failed) {
    error_ = ini.error();
    return false;
  }
  // Empty every list section before anything is written: a standard variable named
  // like a fixed section ("Units", say) shares that section, and emptying it after the
  // fixed list was written would lose the list.
  ini.clearSection(kVarreg);
  ini.clearSection(kUnits);
  for (const std::string& name : Variable) ini.clearSection(name);

  bool ok = ini.write(kConstants, "Contact", Contact) && ini.write(kConstants, "Source", Source) &&
            ini.write(kConstants, "Database", Database) && ini.write(kConstants, "By", Bytext) &&
            ini.write(kConstants, "And", Andtext);

  // Empty entries are left out: an empty number ends a list when it is read back, and
  // would cut off every entry behind it.
  std::size_t n = 0;
  for (const std::string& name : Variable) {
    if (!name.empty()) ok = ok && ini.write(kVarreg, numbered("Var", ++n), name);
  }
  n = 0;
  for (const std::string& unit : Units) {
    if (!unit.empty()) ok = ok && ini.write(kUnits, numbered("U", ++n), unit);
  }
  for (const std::string& name : Variable) {
    const DimensionRef variable = Dimensions.Item(name);
    if (!variable || name.empty()) continue;
    variable->UseCodes = false;
    for (const ValueRef& value : variable->ValueCode) {
      if (!value->code.empty()) variable->UseCodes = true;
    }
    n = 0;
    for (const ValueRef& value : variable->ValueCode) {
      if (value->code.empty() && value->value.empty()) continue;
      ok = ok && ini.write(name, numbered(name, ++n), entryOf(*value, variable->UseCodes));
    }
  }
  ok = ok && ini.save();
  error_ = ok ? std::string() : ini.error();
  return ok;
}

void DefaultData::CopyFrom(const DefaultData& other) {
  if (&other == this) return;
  Contact = other.Contact;
  Source = other.Source;
  Database = other.Database;
  Bytext = other.Bytext;
  Andtext = other.Andtext;
  Variable = other.Variable;
  Units = other.Units;
  Dimensions = DimensionDataColl();
  for (const std::string& name : Variable) {
    const DimensionRef source = other.Dimensions.Item(name);
    if (!source) continue;
    const DimensionRef copy = DimensionData::create();
    copy->CopyDimdata(*source);
    Dimensions.Add(copy, name);
  }
}

std::string DefaultData::NewVariableProblem(std::string_view name) const {
  name = trimBlanks(name);
  if (name.empty()) return {};
  if (Dimensions.Contains(name)) return kStandardNameInUse;
  // The name is the key of the variable's values in the file.
  if (name.find('=') != std::string_view::npos || name.starts_with('[') || name.starts_with(';') ||
      name.find_first_of("\r\n") != std::string_view::npos) {
    return kStandardNameNotKey;
  }
  return {};
}

DimensionRef DefaultData::GetDefaultVar(std::string_view name) const {
  return Dimensions.Item(name);
}

}  // namespace zendra
