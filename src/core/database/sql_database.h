#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/database/any_database.h"

struct sqlite3;
struct sqlite3_stmt;

namespace zendra {

// Name of the collation that compares text without case ("a" = "A", "ö" = "Ö"), the way
// Access compares text when it groups and matches rows.
inline constexpr const char* kCaseFreeCollation = "CASEFREE";
// Adds that collation to a connection; SQLite's result code.
int addCaseFreeCollation(sqlite3* connection);
// Compares texts as that collation does: <0, 0 or >0.
int compareCaseFree(std::string_view a, std::string_view b);
// Appends a form of text to out that is the same for two texts exactly when the collation
// takes them for equal (each code point folded, non-ASCII ones in four bytes), to group
// such texts by hashing.
void appendCaseFreeKey(std::string& out, std::string_view text);
// A name in SQLite's double quotes ("" for a quote inside), whatever it holds.
std::string quotedName(const std::string& name);

// The part of every database that SQLite serves: the database's catalog, the current table
// or query and its fields, relations and the one read-only recordset. A subclass opens
// the connection and reads the catalog; its tables and queries are SQLite tables and
// views by the same names (copied there on demand, when the file is not SQLite's own).
class SqlDatabase : public clsAnyDatabase {
 public:
  SqlDatabase();
  ~SqlDatabase() override;
  SqlDatabase(const SqlDatabase&) = delete;
  SqlDatabase& operator=(const SqlDatabase&) = delete;

  void setDbName(const std::string& fullPath) override;
  const std::string& dbName() const override { return dbName_; }
  const std::string& DBPath() const override { return dbPath_; }
  const std::string& DBFile() const override { return dbFile_; }
  void setDBPath(const std::string& folder) override { dbPath_ = folder; }

  std::string TableName() const override;
  std::string SelectTableName() const override { return bracketName(TableName()); }
  std::string ViewName() const override;
  std::string SelectViewName() const override { return bracketName(ViewName()); }
  std::string Fieldname(std::int32_t position) const override;
  std::string Fieldname(const std::string& name) const override;
  std::string SelectFieldname(std::int32_t position) const override {
    return bracketName(Fieldname(position));
  }
  std::string SelectFieldname(const std::string& name) const override {
    return bracketName(Fieldname(name));
  }

  DbResult OpenDB() override;
  void CloseDB() override;
  bool isOpen() const override { return connection_ != nullptr; }
  bool fileChanged() const override;

  DbResult OpenRecordSet(const std::string& sql) override;
  void CloseRecordSet() override;
  std::int32_t RecordCount() override;
  void MoveFirst() override { position_ = 0; }
  void MoveNext() override;
  bool AtEOF() const override { return position_ >= rows_.size(); }
  std::string RecordsetError() const override { return stepError_; }
  std::string FieldType(std::int32_t position) const override;
  const std::vector<ReadWarning>& ReadWarnings() const override { return warnings_; }
  std::int32_t FieldCount() const override { return static_cast<std::int32_t>(kinds_.size()); }
  DbValue Field(std::int32_t position) const override;

  std::vector<ListEntry> ListBoxTables() override;
  std::vector<ListEntry> ListBoxViews() override;
  void SelectTable(std::int32_t position) override;
  void SelectView(std::int32_t position) override;
  std::vector<ListEntry> ListBoxFields() override;
  dbFelter makeFelter() override;

  void PrepareRelations(const DimensionData& variable) override;
  bool TestRelations(std::int32_t fieldPosition) const override;

  void setPrompt(Prompt* prompt) override { prompt_ = prompt; }

 protected:
  struct TableInfo {
    std::string name;
    bool system = false;
    std::vector<std::string> fields;  // when the catalog knows them
    std::int64_t rows = 0;            // when the catalog knows them (for progress)
  };
  struct QueryInfo {
    std::string name;
    std::int32_t kind = 0;  // 0: a select query
    std::string sql;        // the query's statement, when the file keeps it apart
  };
  struct RelationInfo {
    std::string primaryTable;
    std::string primaryField;
    std::string foreignTable;
    std::string foreignField;
    std::int32_t fieldCount = 1;
  };
  struct Catalog {
    std::vector<TableInfo> tables;
    std::vector<QueryInfo> queries;
    std::vector<RelationInfo> relations;
  };

  // Opens connection_ on dbName() and fills the catalog; on failure leaves it null.
  virtual DbResult openEngine(Catalog& catalog) = 0;
  // Makes every table and query that names (words of a statement) may mean available in
  // the connection.
  virtual DbResult provide(const std::vector<std::string>& names) {
    (void)names;
    return DbResult::success();
  }
  // The result of a statement a subclass answers without SQLite: each column's declared
  // type (as SQLite would give it, "" for an aggregate) and the rows, typed as SQLite's
  // rows of those columns would be.
  struct DirectResult {
    std::vector<std::string> declared;
    std::vector<std::vector<DbValue>> rows;
  };
  // Answers a statement without SQLite when the subclass can give exactly what SQLite
  // would; nothing (the default) lets SQLite run it.
  virtual std::optional<DbResult> answerDirectly(const std::string& sql, DirectResult& out) {
    (void)sql;
    (void)out;
    return std::nullopt;
  }
  // The fields of a table of the catalog; by default the columns of the SQLite table.
  virtual std::vector<DbField> tableFields(std::size_t index);
  // Closes the connection; subclasses drop what they keep beside it.
  virtual void closeEngine();

  // Runs internal SQL (not the user's) on the connection; false on error.
  bool execute(const std::string& sql);
  // Prepares sql as the user's statements are: one statement that only reads rows, under
  // the authorizer. On failure the reason says what was refused.
  DbResult prepareReading(const std::string& sql, sqlite3_stmt*& prepared);
  // The columns of a statement's result with the table and field each comes from.
  std::vector<DbField> statementFields(const std::string& sql);
  // The index of the table or query called name (names compare without case), or -1.
  std::int32_t tableIndex(const std::string& name) const;
  std::int32_t queryIndex(const std::string& name) const;

  sqlite3* connection_ = nullptr;
  Prompt* prompt_ = nullptr;
  Catalog catalog_;
  bool internal_ = false;  // while true the authorizer lets everything through
  std::vector<ReadWarning> warnings_;

 private:
  struct FileIdentity {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    std::int64_t mtimeNs = 0;
    bool operator==(const FileIdentity&) const = default;
  };
  static FileIdentity identityOf(const std::string& path);
  static int authorize(void* self, int action, const char*, const char*, const char*, const char*);
  // Opens the database again when the file on disk changed since it was opened.
  DbResult refresh();
  bool stepRow();

  std::string dbName_;
  std::string dbPath_;
  std::string dbFile_;
  FileIdentity identity_;
  bool wanted_ = false;  // opened by OpenDB and not closed by CloseDB

  std::int32_t currentTable_ = -1;  // 0-based index into catalog_.tables
  std::int32_t currentQuery_ = -1;  // 0-based index into catalog_.queries
  std::vector<DbField> fields_;     // the current fields
  std::vector<RelationInfo> kept_;  // relations kept by PrepareRelations

  sqlite3_stmt* statement_ = nullptr;
  std::vector<DbValue::Kind> kinds_;  // what each column's declared type makes of its values
  std::vector<std::string> declared_;  // each column's declared type
  int denied_ = -1;                    // the first action the authorizer refused
  std::vector<std::vector<DbValue>> rows_;
  std::size_t position_ = 0;
  std::string stepError_;  // why the statement stopped early, if it did
};

}  // namespace zendra
