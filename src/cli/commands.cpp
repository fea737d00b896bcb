#include "cli/commands.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <nlohmann/json.hpp>

#include "format/completeness.h"
#include "format/reader.h"
#include "format/writer.h"
#include "grid/data_methods.h"
#include "import/database/any_database.h"
#include "import/database/table_from_database.h"
#include "import/text_import.h"
#include "model/text_compare.h"

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
    err << "zendra-cli: cannot read " << file << "\n";
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

}  // namespace

int runDbImport(const std::string& table, const std::string& database, const std::string& outFile,
                const DbImportOptions& options, std::ostream& err) {
  Table t;
  if (!load(table, false, t, err)) return kCannotRead;
  printNotices(table, t.report, err);
  if (!t.doc.GridCreated && !CreateGrid(t.doc, t.grid, true, false)) {
    err << "zendra-cli: " << table << " has no cells to import into\n";
    return kCannotRead;
  }

  const int probe = ::open(database.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (probe < 0) {
    err << "zendra-cli: cannot read " << database << ": " << std::strerror(errno) << "\n";
    return kCannotRead;
  }
  struct stat info {};
  const bool regular = ::fstat(probe, &info) == 0 && S_ISREG(info.st_mode);
  ::close(probe);
  // A pipe or a device would keep the reader waiting for bytes that never come.
  if (!regular) {
    err << "zendra-cli: " << database << " is not a database file\n";
    return kCannotRead;
  }
  auto db = makeDatabase(databaseKindOf(database));
  db->setDbName(database);
  if (const DbResult opened = db->OpenDB(); !opened) {
    err << "zendra-cli: " << database
        << ": Not a microsoft access db (or too high a version): " << opened.error << "\n";
    return kCannotRead;
  }

  const std::string source = selectSource(*db, options.source);
  if (source.empty()) {
    err << "zendra-cli: " << database << " has no table or select query named " << options.source
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
    sql = CountSql(fields, source);
  } else {
    const std::string sumField = sourceField(*db, options.sumField);
    if (sumField.empty()) {
      err << "zendra-cli: " << options.source << " has no field named " << options.sumField << "\n";
      return kCannotRead;
    }
    sql = SumSql(fields, sumField, source);
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
  const DbPlacement placement = PlaceDbRows(t.doc, t.grid, rows);
  for (const std::string& line : placement.errors) err << line << "\n";
  if (!placement.ok()) return kIncomplete;
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
