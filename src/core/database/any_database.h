#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zendra {

class DimensionData;
class Prompt;

// Which implementation reads a database: SQLite database files, Access files, or a
// server (any source an ODBC driver serves).
enum class DatabaseKind { Access, SQLite, ODBC };

// A value read from a database, typed as the engine gives it. Dates are kept as ISO
// text ("2021-03-04", or "2021-03-04 10:30:00" with a time of day).
struct DbValue {
  enum class Kind { Null, Integer, Real, Text, Date, Boolean };
  Kind kind = Kind::Null;
  std::int64_t integer = 0;  // Integer; Boolean as 0 or 1
  double real = 0;           // Real
  std::string text;          // Text; Date as ISO text

  bool isNull() const { return kind == Kind::Null; }
  // The number an aggregate cell receives: Integer and Real only (no parsing of text).
  std::optional<double> number() const;
};

// The text of a database value as codes are matched against it: integers as plain
// digits, doubles in their shortest form with ".", dates as ISO text, booleans
// "True"/"False", Null as "'Null'".
std::string dbValueText(const DbValue& value);

// A name enclosed in brackets for SQL, quoted so that it names itself whatever it
// holds ("]" inside the name is doubled).
std::string bracketName(std::string_view name);

// One line of a list the database fills: the text shown and the number that goes with it
// (a table's 1-based position, a query's or a field's 0-based position, -1 for a line
// that cannot be chosen).
struct ListEntry {
  std::string text;
  std::int32_t itemData = 0;
  bool operator==(const ListEntry&) const = default;
};

// A field of the current table or query: its name and, where the engine knows it, the
// table and field it comes from (used to follow relations).
struct DbField {
  std::string name;
  std::string sourceTable;
  std::string sourceField;
};

// A field as the table-from-database wizard handles it.
struct dBfELT {
  DbField felt;
  bool Used = false;
  std::int32_t Mark = 0;
  std::int32_t Index = 0;  // the field's 0-based position in the current fields
};

// The fields of the current table or query, 1-based like every collection of the model.
class dbFelter {
 public:
  void Add(dBfELT element) { items_.push_back(std::move(element)); }
  dBfELT& Item(std::int32_t position) { return items_.at(static_cast<std::size_t>(position - 1)); }
  const dBfELT& Item(std::int32_t position) const {
    return items_.at(static_cast<std::size_t>(position - 1));
  }
  std::int32_t Count() const { return static_cast<std::int32_t>(items_.size()); }
  void Remove(std::int32_t position) { items_.erase(items_.begin() + (position - 1)); }
  auto begin() { return items_.begin(); }
  auto end() { return items_.end(); }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  std::vector<dBfELT> items_;
};

// The list lines (item data the 0-based position) and the wizard's elements of fields.
std::vector<ListEntry> FieldEntries(const std::vector<DbField>& fields);
dbFelter FelterOf(const std::vector<DbField>& fields);

// The outcome of opening a database or running a statement.
struct DbResult {
  bool ok = true;
  bool cancelled = false;  // the user cancelled a long copy
  std::string error;       // the engine's description when !ok
  explicit operator bool() const { return ok; }
  static DbResult success() { return {}; }
  static DbResult failure(std::string description) {
    return {false, false, std::move(description)};
  }
  static DbResult cancel() { return {false, true, "Cancelled"}; }
};

// What the engine warned about while it read a table (or the catalog, source empty):
// signs of a damaged file. The rows read may then be fewer than the file once held.
struct ReadWarning {
  std::string source;
  std::uint32_t count = 0;
  std::vector<std::string> lines;  // the first few warnings
  bool operator==(const ReadWarning&) const = default;
};

// "the file may be damaged: N warnings while reading TABLE" for each warning from the
// index first on, each followed by its first lines; empty when there are none.
std::string DamageReport(const std::vector<ReadWarning>& warnings, std::size_t first = 0);

// One database, opened read-only: its tables, select queries, fields and relations,
// and one read-only query at a time whose rows are walked forward. The editor reaches
// every database through this interface; `makeDatabase` picks the implementation.
class clsAnyDatabase {
 public:
  virtual ~clsAnyDatabase() = default;

  // The database file. Setting it splits it at the last "/" into DBPath and DBFile (a
  // path without "/" leaves both unchanged); it does not open the file.
  virtual void setDbName(const std::string& fullPath) = 0;
  virtual void setUserId(const std::string&) {}
  virtual const std::string& dbName() const = 0;
  virtual const std::string& DBPath() const = 0;
  virtual const std::string& DBFile() const = 0;
  // The folder the chooser starts in before any database was opened (settings' MDBBase).
  virtual void setDBPath(const std::string& folder) = 0;

  // Names of the current table and query, bare and bracketed for SQL.
  virtual std::string TableName() const = 0;
  virtual std::string SelectTableName() const = 0;
  virtual std::string ViewName() const = 0;
  virtual std::string SelectViewName() const = 0;
  // A name (a field, a table) written for this database's SQL so that it names itself
  // whatever it holds; in brackets unless the engine quotes otherwise.
  virtual std::string QuoteName(std::string_view name) const { return bracketName(name); }
  // A table or query as the lists show it, written for SQL (with its schema, where the
  // database has them).
  virtual std::string QuoteSource(const std::string& shownName) const {
    return QuoteName(shownName);
  }
  virtual DatabaseKind Kind() const = 0;
  // Name of a field of the current fields, by 0-based position or by name.
  virtual std::string Fieldname(std::int32_t position) const = 0;
  virtual std::string Fieldname(const std::string& name) const = 0;
  virtual std::string SelectFieldname(std::int32_t position) const = 0;
  virtual std::string SelectFieldname(const std::string& name) const = 0;

  // Opens dbName read-only. On failure the description says why (the caller shows it
  // under "Not a microsoft access db (or too high a version)").
  virtual DbResult OpenDB() = 0;
  virtual void CloseDB() = 0;
  virtual bool isOpen() const = 0;
  // True when the file on disk is no longer the one that was opened (replaced, changed,
  // removed); the caller then opens it again.
  virtual bool fileChanged() const = 0;

  // Runs one read-only statement that returns rows. Reading the engine's tables may
  // take a while the first time; the prompt (when set) gets progress and may cancel.
  virtual DbResult OpenRecordSet(const std::string& sql) = 0;
  virtual void CloseRecordSet() = 0;
  virtual std::int32_t RecordCount() = 0;
  virtual void MoveFirst() = 0;
  virtual void MoveNext() = 0;
  virtual bool AtEOF() const = 0;  // the recordset's end-of-file flag ("EOF" is a C macro)
  // Why the rows ended before the statement was done (the engine failed while reading
  // them); empty when they ended cleanly. Readers check it once they reach the end, so a
  // failure midway is never taken for the whole result.
  virtual std::string RecordsetError() const = 0;
  virtual std::int32_t FieldCount() const = 0;  // columns of the open recordset
  // The value of a column (0-based) of the current record.
  virtual DbValue Field(std::int32_t position) const = 0;

  // Every user table (not a system table), in the database's order; item data is the
  // table's 1-based position among all tables.
  virtual std::vector<ListEntry> ListBoxTables() = 0;
  // Every select query; item data is the query's 0-based position among all queries.
  virtual std::vector<ListEntry> ListBoxViews() = 0;
  virtual void SelectTable(std::int32_t position) = 0;  // 1-based, as ListBoxTables gives
  virtual void SelectView(std::int32_t position) = 0;   // 0-based, as ListBoxViews gives
  // The current fields; item data is the 0-based position.
  virtual std::vector<ListEntry> ListBoxFields() = 0;
  virtual dbFelter makeFelter() = 0;  // one dBfELT per current field, in order

  // Keeps the relations whose primary table is the variable's TableName, that have one
  // field, and whose field is the variable's CodeField; none unless the variable was
  // built from this very database (its dbName).
  virtual void PrepareRelations(const DimensionData& variable) = 0;
  // True when a kept relation has the current field's source table and field as its
  // foreign side.
  virtual bool TestRelations(std::int32_t fieldPosition) const = 0;

  // Every warning the engine gave since the database was opened, in the order read.
  virtual const std::vector<ReadWarning>& ReadWarnings() const = 0;
  // The type of a column (0-based) of the open recordset: "text", "integer", "real",
  // "date", "boolean" or "other".
  virtual std::string FieldType(std::int32_t position) const = 0;

  // Where progress of long copies goes and where Cancel is read; may be null.
  virtual void setPrompt(Prompt* prompt) = 0;
};

// Which implementation reads a name: a server for "odbc:..." names, SQLite database files
// (by their header, else by the extensions .sqlite, .sqlite3, .db) or Access files
// (everything else).
DatabaseKind databaseKindOf(const std::string& path);
// What is said when a file of that kind cannot be opened; the engine's reason follows.
const char* OpenFailureText(DatabaseKind kind);
// A new, unopened database object of the kind that reads path.
std::unique_ptr<clsAnyDatabase> makeDatabase(DatabaseKind kind);

}  // namespace zendra
