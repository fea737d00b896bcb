#include "core/cli/commands.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <nlohmann/json.hpp>

#include "core/database/any_database.h"
#include "core/database/table_from_database.h"
#include "core/export/export_table.h"
#include "core/format/completeness.h"
#include "core/format/reader.h"
#include "core/format/writer.h"
#include "core/grid/data_methods.h"
#include "core/import/text_import.h"
#include "core/model/text_compare.h"

namespace zendra::cli {
namespace {

// Line breaks of message texts as the terminal wants them.
std::string unixLines(std::string text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    if (c != '\r') out += c;
  }
  return out;
}

struct Table {
  VexaMess doc;
  CellGrid grid;
  LoadReport report;
};

// What the load had to say about the file, one line each.
void printNotices(const std::string& file, const LoadReport& report, std::ostream& err) {
  for (const auto& notice : report.notices()) {
    err << "zendra-cli: " << file << ": " << notice << "\n";
  }
}

// Loads file into t; on failure writes why to err and returns false. Large tables are
// loaded whole: the companion never asks.
bool load(const std::string& file, bool metaOnly, Table& t, std::ostream& err) {
  // Why a file cannot be opened; without blocking, so that a FIFO is refused at once.
  const int probe = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (probe < 0) {
    err << "zendra-cli: cannot read " << file << ": " << std::strerror(errno) << "\n";
    return false;
  }
  ::close(probe);
  ScriptedPrompt prompt(Prompt::Answer::No);
  t.doc.VQfilename = file;
  t.doc.SprData = &t.grid;
  if (Load_From_File(t.doc, metaOnly, &t.grid, prompt, false, {}, &t.report) !=
      LoadResult::Loaded) {
    if (t.report.readError.empty()) {
      err << "zendra-cli: cannot read " << file << "\n";
    } else {
      err << "zendra-cli: " << t.report.readError << "\n";
    }
    return false;
  }
  t.doc.GridHasData = t.doc.HasData;
  return true;
}

nlohmann::json side(const DimensionDataColl& variables, bool values) {
  nlohmann::json list = nlohmann::json::array();
  for (const auto& v : variables) {
    nlohmann::json entry{{"name", v->name},
                         {"valueCount", v->ValueCode.Count()},
                         {"codes", v->UseCodes},
                         {"time", v->UseTimeVal}};
    if (values) {
      nlohmann::json items = nlohmann::json::array();
      for (const auto& value : v->ValueCode) {
        items.push_back({{"value", value->value}, {"code", value->code}});
      }
      entry["values"] = std::move(items);
    }
    list.push_back(std::move(entry));
  }
  return list;
}

}  // namespace

int runCheck(const std::vector<std::string>& files, std::ostream& out, std::ostream& err) {
  int status = kOk;
  for (const auto& file : files) {
    Table t;
    if (!load(file, false, t, err)) {
      status = kCannotRead;
      continue;
    }
    const Completeness result = test_file_complete(t.doc, &t.grid);
    // What the load had to say belongs to the check's report, under the file's result.
    out << file << "\n" << unixLines(Test_Complete(t.doc, &t.grid)) << "\n";
    for (const auto& notice : t.report.notices()) out << notice << "\n";
    // Elements left out are data missing from the table as loaded.
    const bool complete = result.complete && t.report.surplusElements == 0;
    if (!complete && status == kOk) status = kIncomplete;
  }
  return status;
}

int runConvert(const std::string& in, const std::string& outFile, bool oem, bool metaOnly,
               std::ostream& err) {
  Table t;
  if (!load(in, metaOnly, t, err)) return kCannotRead;
  printNotices(in, t.report, err);
  const Completeness check = test_file_complete(t.doc, &t.grid);
  if (!check.complete) err << in << " is not complete:\n" << unixLines(check.messages);
  WriteOptions options;
  options.ansi = !oem;
  const WriteResult written = Write_To_File(t.doc, outFile, options);
  if (!written.ok) {
    err << "zendra-cli: " << written.error << "\n";
    return kCannotRead;
  }
  if (written.lossy) {
    err << "zendra-cli: some characters are not in the code page and were written as '?'\n";
  }
  return kOk;
}

int runExport(const std::string& table, const std::string& outFile, std::string format, bool bom,
              std::ostream& err) {
  std::optional<ExportFormat> chosen = ExportFormatOf(outFile);
  if (format == "csv") chosen = ExportFormat::Csv;
  if (format == "xlsx") chosen = ExportFormat::Xlsx;
  if (format == "json-stat") chosen = ExportFormat::JsonStat;
  if (!chosen) {
    err << "zendra-cli: cannot tell the export format of " << outFile
        << "; give --format csv, xlsx or json-stat\n";
    return kCannotRead;
  }
  Table t;
  if (!load(table, false, t, err)) return kCannotRead;
  printNotices(table, t.report, err);
  const Completeness check = test_file_complete(t.doc, &t.grid);
  if (!check.complete) err << table << " is not complete:\n" << unixLines(check.messages);
  std::string error;
  if (!ExportTable(t.doc, t.grid, *chosen, outFile, bom, error)) {
    err << "zendra-cli: " << error << "\n";
    return kCannotRead;
  }
  return kOk;
}

int runImport(const std::string& table, const std::string& data, const std::string& outFile,
              const ImportOptions& options, std::ostream& err) {
  Table t;
  if (!load(table, false, t, err)) return kCannotRead;
  printNotices(table, t.report, err);
  // The guesses come from the first lines; the import reads the file as it goes.
  const TextHead head = ReadTextHead(data);
  if (!head.ok) {
    err << "zendra-cli: " << head.error << "\n";
    return kCannotRead;
  }
  if (!t.doc.GridCreated && !CreateGrid(t.doc, t.grid, true, false)) {
    err << "zendra-cli: " << table << " has no cells to import into\n";
    return kCannotRead;
  }
  TextImportSettings settings = SettingsFromSample(AnalyseText(head.text, t.doc), ".");
  if (options.decimal) {
    settings.decimalPoint = *options.decimal;
    // No decimal point given: "." and the decimal comma both read.
    if (options.decimal->empty()) settings.localeDecimal = ",";
  }
  if (options.separator) settings.separator = *options.separator;
  if (options.textDelimiter) settings.textDelimiter = *options.textDelimiter;
  if (options.multiple) settings.multipleValues = *options.multiple;
  settings.skipFirst = options.skipFirst;
  settings.fillMissing = options.fillMissing;

  const TextImportResult result = TextImport(t.doc, t.grid, settings).runFile(data);
  for (const std::string& line : result.log) err << line << "\n";
  if (result.aborted) return kCannotRead;
  WriteOptions writeOptions;
  const WriteResult written = Write_To_File(t.doc, outFile, writeOptions);
  if (!written.ok) {
    err << "zendra-cli: " << written.error << "\n";
    return kCannotRead;
  }
  return result.refused > 0 ? kIncomplete : kOk;
}

namespace {

// Makes the table or select query called name the database's current one (letter case
// aside, tables first, as the wizard's two tabs offer them) and returns its own spelling
// of the name; empty when the database has neither.
std::string selectSource(clsAnyDatabase& db, const std::string& name) {
  for (const ListEntry& table : db.ListBoxTables()) {
    if (equalsIgnoringCase(table.text, name)) {
      db.SelectTable(table.itemData);
      return db.TableName();
    }
  }
  for (const ListEntry& query : db.ListBoxViews()) {
    if (equalsIgnoringCase(query.text, name)) {
      db.SelectView(query.itemData);
      return db.ViewName();
    }
  }
  return {};
}

// The current source's own spelling of a field name; empty when it has no such field.
std::string sourceField(clsAnyDatabase& db, const std::string& name) {
  for (const ListEntry& field : db.ListBoxFields()) {
    if (equalsIgnoringCase(field.text, name)) return field.text;
  }
  return {};
}

// Opens a database file for reading; null with the reason on err when it cannot be.
std::unique_ptr<clsAnyDatabase> openDatabase(const std::string& database, std::ostream& err) {
  if (databaseKindOf(database) == DatabaseKind::ODBC) {
    auto db = makeDatabase(DatabaseKind::ODBC);
    db->setDbName(database);
    // The name shown is the connection string without its password.
    if (const DbResult opened = db->OpenDB(); !opened) {
      err << "zendra-cli: " << db->dbName() << ": " << OpenFailureText(DatabaseKind::ODBC)
          << ":\n" << opened.error << "\n";
      return nullptr;
    }
    return db;
  }
  const int probe = ::open(database.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (probe < 0) {
    err << "zendra-cli: cannot read " << database << ": " << std::strerror(errno) << "\n";
    return nullptr;
  }
  struct stat info {};
  const bool regular = ::fstat(probe, &info) == 0 && S_ISREG(info.st_mode);
  ::close(probe);
  // A pipe or a device would keep the reader waiting for bytes that never come.
  if (!regular) {
    err << "zendra-cli: " << database << " is not a database file\n";
    return nullptr;
  }
  const DatabaseKind kind = databaseKindOf(database);
  auto db = makeDatabase(kind);
  db->setDbName(database);
  if (const DbResult opened = db->OpenDB(); !opened) {
    err << "zendra-cli: " << database << ": " << OpenFailureText(kind) << ": " << opened.error
        << "\n";
    return nullptr;
  }
  return db;
}

// A database as messages name it: a server's connection string without its password.
std::string shownDatabase(const clsAnyDatabase& db, const std::string& database) {
  return db.Kind() == DatabaseKind::ODBC ? db.dbName() : database;
}

const char* kindName(DatabaseKind kind) {
  switch (kind) {
    case DatabaseKind::SQLite:
      return "sqlite";
    case DatabaseKind::ODBC:
      return "odbc";
    case DatabaseKind::Access:
      break;
  }
  return "access";
}

// Prints what the engine warned about while reading; true when it warned.
bool printDamage(const std::string& database, const clsAnyDatabase& db, std::ostream& err) {
  const std::string report = DamageReport(db.ReadWarnings());
  if (report.empty()) return false;
  std::size_t start = 0;
  while (start < report.size()) {
    std::size_t end = report.find('\n', start);
    if (end == std::string::npos) end = report.size();
    const std::string line = report.substr(start, end - start);
    err << (line.rfind("  ", 0) == 0 ? line : "zendra-cli: " + database + ": " + line) << "\n";
    start = end + 1;
  }
  return true;
}

}  // namespace

int runDbInfo(const std::string& database, bool fields, std::ostream& out, std::ostream& err) {
  auto db = openDatabase(database, err);
  if (!db) return kCannotRead;
  const std::string shown = shownDatabase(*db, database);
  nlohmann::ordered_json info{
      {"kind", kindName(db->Kind())},
      {"tables", nlohmann::ordered_json::array()},
      {"queries", nlohmann::ordered_json::array()}};
  // Each table or query with its fields and the rows it gives, read from the rows.
  auto describe = [&](const std::string& name, nlohmann::ordered_json& entry) -> bool {
    if (!fields) return true;
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    const std::string from = " FROM " + db->QuoteSource(name);
    if (const DbResult r = db->OpenRecordSet("SELECT *" + from + " WHERE 1 = 0"); !r) {
      err << "zendra-cli: " << shown << ": " << name << ": " << r.error << "\n";
      return false;
    }
    std::vector<std::string> types;
    for (std::int32_t c = 0; c < db->FieldCount(); ++c) types.push_back(db->FieldType(c));
    const auto names = db->ListBoxFields();
    for (std::size_t c = 0; c < names.size(); ++c) {
      list.push_back({{"name", names[c].text}, {"type", c < types.size() ? types[c] : "other"}});
    }
    entry["fields"] = std::move(list);
    DbRows rows;
    if (const DbResult r = RunDbQuery(*db, "SELECT COUNT(*)" + from, rows);
        !r || rows.rows.size() != 1) {
      err << "zendra-cli: " << shown << ": " << name << ": " << r.error << "\n";
      return false;
    }
    entry["rows"] = rows.rows[0][0].integer;
    return true;
  };
  for (const ListEntry& table : db->ListBoxTables()) {
    nlohmann::ordered_json entry{{"name", table.text}};
    db->SelectTable(table.itemData);
    if (!describe(table.text, entry)) return kCannotRead;
    info["tables"].push_back(std::move(entry));
  }
  for (const ListEntry& query : db->ListBoxViews()) {
    nlohmann::ordered_json entry{{"name", query.text}};
    db->SelectView(query.itemData);
    if (!describe(query.text, entry)) return kCannotRead;
    info["queries"].push_back(std::move(entry));
  }
  out << info.dump(2) << "\n";
  return printDamage(shown, *db, err) ? kIncomplete : kOk;
}

int runDbImport(const std::string& table, const std::string& database, const std::string& outFile,
                const DbImportOptions& options, std::ostream& err) {
  Table t;
  if (!load(table, false, t, err)) return kCannotRead;
  printNotices(table, t.report, err);
  if (!t.doc.GridCreated && !CreateGrid(t.doc, t.grid, true, false)) {
    err << "zendra-cli: " << table << " has no cells to import into\n";
    return kCannotRead;
  }

  auto db = openDatabase(database, err);
  if (!db) return kCannotRead;
  const std::string shown = shownDatabase(*db, database);

  const std::string source = selectSource(*db, options.source);
  if (source.empty()) {
    err << "zendra-cli: " << shown << " has no table or select query named " << options.source
        << "\n";
    return kCannotRead;
  }
  const std::int32_t variables = t.doc.Dimensions.Count();
  if (static_cast<std::int32_t>(options.fields.size()) != variables) {
    err << "zendra-cli: You must select " << variables << " variable for stub (--fields gives "
        << options.fields.size() << ")\n";
    return kCannotRead;
  }
  std::vector<std::string> fields;
  for (const std::string& wanted : options.fields) {
    fields.push_back(sourceField(*db, wanted));
    if (fields.back().empty()) {
      err << "zendra-cli: " << options.source << " has no field named " << wanted << "\n";
      return kCannotRead;
    }
  }
  std::string sql;
  if (options.sql) {
    sql = *options.sql;
  } else if (options.sumField.empty()) {
    sql = CountSql(*db, fields, source);
  } else {
    const std::string sumField = sourceField(*db, options.sumField);
    if (sumField.empty()) {
      err << "zendra-cli: " << options.source << " has no field named " << options.sumField << "\n";
      return kCannotRead;
    }
    sql = SumSql(*db, fields, sumField, source);
  }
  err << sql << "\n";

  DbRows rows;
  if (const DbResult ran = RunDbQuery(*db, sql, rows); !ran) {
    err << "zendra-cli: Sql failed to run: " << ran.error << "\n";
    return kCannotRead;
  }
  if (const std::string shape = DbShapeError(t.doc, rows); !shape.empty()) {
    err << "zendra-cli: " << shape << "\n";
    return kCannotRead;
  }
  // Rows read while the engine warned may be fewer than the file once held.
  const bool damaged = printDamage(shown, *db, err);
  const DbPlacement placement = PlaceDbRows(t.doc, t.grid, rows);
  for (const std::string& line : placement.errors) err << line << "\n";
  if (!placement.ok()) return kIncomplete;
  if (damaged && !options.allowDamaged) {
    err << "zendra-cli: " << outFile << " not written (--allow-damaged writes it all the same)\n";
    return kIncomplete;
  }
  if (!ApplyDbPlacement(t.doc, t.grid, placement)) {
    err << "zendra-cli: not enough memory for the rows of " << options.source << "\n";
    return kCannotRead;
  }
  WriteOptions writeOptions;
  const WriteResult written = Write_To_File(t.doc, outFile, writeOptions);
  if (!written.ok) {
    err << "zendra-cli: " << written.error << "\n";
    return kCannotRead;
  }
  return kOk;
}

int runInfo(const std::string& file, bool values, std::ostream& out, std::ostream& err) {
  Table t;
  if (!load(file, true, t, err)) return kCannotRead;
  printNotices(file, t.report, err);
  const VexaMess& d = t.doc;
  const std::int64_t rows = valueCountProduct(d.colStub);
  const std::int64_t cols = valueCountProduct(d.colHeading);
  const nlohmann::json info{
      {"file", file},
      {"matrix", d.Matrix},
      {"contents", d.Contents},
      {"title", d.Title},
      {"decimals", d.Decimaler},
      {"keysForm", d.FileWithKeys},
      {"contVariable", d.ContVariable},
      {"stub", side(d.colStub, values)},
      {"heading", side(d.colHeading, values)},
      {"rows", d.Dimensions.Count() ? rows : 0},
      {"columns", d.Dimensions.Count() ? cols : 0},
      {"cells", d.Dimensions.Count() ? saturatingMultiply(rows, cols) : 0},
      {"cellNotes", d.Cellnotes.Count()},
  };
  out << info.dump(2) << "\n";
  return kOk;
}

}  // namespace zendra::cli
