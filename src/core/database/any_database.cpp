#include "core/database/any_database.h"

#include <array>
#include <charconv>
#include <filesystem>
#include <fstream>

#include "core/base/counted.h"
#include "core/database/mdb_database.h"
#include "core/database/odbc_database.h"
#include "core/database/sqlite_database.h"

namespace zendra {

std::optional<double> DbValue::number() const {
  switch (kind) {
    case Kind::Integer:
      return static_cast<double>(integer);
    case Kind::Real:
      return real;
    default:
      return std::nullopt;
  }
}

std::string dbValueText(const DbValue& value) {
  switch (value.kind) {
    case DbValue::Kind::Null:
      return "'Null'";
    case DbValue::Kind::Integer:
      return std::to_string(value.integer);
    case DbValue::Kind::Real: {
      std::array<char, 32> buffer{};
      const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value.real).ptr;
      return std::string(buffer.data(), end);
    }
    case DbValue::Kind::Boolean:
      return value.integer != 0 ? "True" : "False";
    case DbValue::Kind::Text:
    case DbValue::Kind::Date:
      return value.text;
  }
  return value.text;
}

std::string bracketName(std::string_view name) {
  std::string out = "[";
  for (const char c : name) {
    out += c;
    if (c == ']') out += ']';
  }
  out += ']';
  return out;
}

std::vector<ListEntry> FieldEntries(const std::vector<DbField>& fields) {
  std::vector<ListEntry> list;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    list.push_back({fields[i].name, static_cast<std::int32_t>(i)});
  }
  return list;
}

dbFelter FelterOf(const std::vector<DbField>& fields) {
  dbFelter felter;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    felter.Add({fields[i], false, 0, static_cast<std::int32_t>(i)});
  }
  return felter;
}

std::string DamageReport(const std::vector<ReadWarning>& warnings, std::size_t first) {
  std::string report;
  for (std::size_t i = first; i < warnings.size(); ++i) {
    const ReadWarning& w = warnings[i];
    if (!report.empty()) report += '\n';
    report += "the file may be damaged: " + Counted(w.count, "warning", "warnings") +
              " while reading " + (w.source.empty() ? std::string("the list of tables") : w.source);
    for (const std::string& line : w.lines) report += "\n  " + line;
  }
  return report;
}

const char* OpenFailureText(DatabaseKind kind) {
  switch (kind) {
    case DatabaseKind::SQLite:
      return "Not a SQLite database, or a damaged one";
    case DatabaseKind::ODBC:
      return "The server database cannot be reached";
    case DatabaseKind::Access:
      break;
  }
  return "Not a microsoft access db (or too high a version)";
}

namespace {

bool endsWithNoCase(const std::string& text, std::string_view suffix) {
  if (text.size() < suffix.size()) return false;
  for (std::size_t i = 0; i < suffix.size(); ++i) {
    char c = text[text.size() - suffix.size() + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != suffix[i]) return false;
  }
  return true;
}

}  // namespace

DatabaseKind databaseKindOf(const std::string& path) {
  static constexpr std::string_view kHeader{"SQLite format 3\0", 16};
  if (isOdbcName(path)) return DatabaseKind::ODBC;
  // Only a regular file is read for its header: a pipe would wait for a writer forever.
  std::error_code error;
  if (std::filesystem::is_regular_file(path, error)) {
    std::ifstream in(path, std::ios::binary);
    std::array<char, 16> head{};
    if (in.read(head.data(), head.size()) &&
        std::string_view(head.data(), head.size()) == kHeader) {
      return DatabaseKind::SQLite;
    }
  }
  for (const std::string_view suffix : {".sqlite", ".sqlite3", ".db"}) {
    if (endsWithNoCase(path, suffix)) return DatabaseKind::SQLite;
  }
  return DatabaseKind::Access;
}

std::unique_ptr<clsAnyDatabase> makeDatabase(DatabaseKind kind) {
  if (kind == DatabaseKind::SQLite) return std::make_unique<clsSQLiteDb>();
  if (kind == DatabaseKind::ODBC) return std::make_unique<clsODBC>();
  return std::make_unique<clsMDB>();
}

}  // namespace zendra
