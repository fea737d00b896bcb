#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/database/any_database.h"
#include "core/database/odbc_api.h"

namespace zendra {

namespace odbc {
class Recordset;
}

// The prefix that makes a database name an ODBC data source: "odbc:DSN=name" or
// "odbc:Driver={...};Server=...;..." (a bare "odbc:name" is the data source called name).
inline constexpr const char* kOdbcPrefix = "odbc:";
bool isOdbcName(const std::string& name);

// A database on a server (or any source an ODBC driver serves), reached through unixODBC
// with the data sources and drivers the user configured. Read-only by construction: the
// connection asks for read-only access, every statement must be one SELECT
// (ReadOnlyStatementError), and each runs in a transaction of its own that is set read-only
// where the server can and rolled back afterwards. The server groups and sums; the rows
// come back in blocks, and the source tables are never copied.
//
// The name is "odbc:" and a connection string. A password in it is kept apart in memory:
// dbName() and every message show the string without it. DBFile() is what lists show of
// the source: the data source's name, or "database on server".
class clsODBC : public clsAnyDatabase {
 public:
  clsODBC();
  ~clsODBC() override;
  clsODBC(const clsODBC&) = delete;
  clsODBC& operator=(const clsODBC&) = delete;

  void setDbName(const std::string& name) override;
  // A password for the next OpenDB, given apart (the user typed it) after setDbName, which
  // takes the one its name holds or none; never shown or kept.
  void setPassword(const std::string& password) { password_ = password; }
  const std::string& dbName() const override { return dbName_; }
  const std::string& DBPath() const override { return dbPath_; }
  const std::string& DBFile() const override { return dbFile_; }
  void setDBPath(const std::string& folder) override { dbPath_ = folder; }

  // Names as the lists show them: "schema.table" when the source has tables in more than
  // one schema, the bare name otherwise.
  std::string TableName() const override;
  std::string SelectTableName() const override;
  std::string ViewName() const override;
  std::string SelectViewName() const override;
  std::string Fieldname(std::int32_t position) const override;
  std::string Fieldname(const std::string& name) const override;
  std::string SelectFieldname(std::int32_t position) const override;
  std::string SelectFieldname(const std::string& name) const override;
  std::string QuoteName(std::string_view name) const override;
  std::string QuoteSource(const std::string& shownName) const override;
  DatabaseKind Kind() const override { return DatabaseKind::ODBC; }

  DbResult OpenDB() override;
  void CloseDB() override;
  bool isOpen() const override;
  bool fileChanged() const override { return false; }

  DbResult OpenRecordSet(const std::string& sql) override;
  void CloseRecordSet() override;
  std::int32_t RecordCount() override;
  void MoveFirst() override;
  void MoveNext() override;
  bool AtEOF() const override;
  std::string RecordsetError() const override;
  std::int32_t FieldCount() const override;
  DbValue Field(std::int32_t position) const override;
  std::string FieldType(std::int32_t position) const override;

  std::vector<ListEntry> ListBoxTables() override;
  std::vector<ListEntry> ListBoxViews() override;
  void SelectTable(std::int32_t position) override;
  void SelectView(std::int32_t position) override;
  std::vector<ListEntry> ListBoxFields() override;
  dbFelter makeFelter() override;

  void PrepareRelations(const DimensionData& variable) override;
  bool TestRelations(std::int32_t fieldPosition) const override;

  const std::vector<ReadWarning>& ReadWarnings() const override { return warnings_; }
  void setPrompt(Prompt* prompt) override { prompt_ = prompt; }

  // What the server calls itself (SQLGetInfo's DBMS name), once open.
  const std::string& ServerName() const { return serverName_; }
  // True when statements run in a transaction set read-only on the server.
  bool ReadOnlyTransactions() const { return readOnlyTransactions_; }

 private:
  struct Source {
    std::string schema;
    std::string name;
    bool view = false;
  };
  struct Relation {
    std::string foreignTable;
    std::string foreignField;
  };

  std::string shownName(const Source& source) const;
  std::string quotedSource(const Source& source) const;
  const Source* current() const;
  DbResult readCatalog();
  void readFields(const Source& source);
  // Ends the transaction a catalog call or a statement opened: nothing is ever committed.
  void rollback();
  odbc::Handle newStatement();

  std::string dbName_;
  std::string dbPath_;
  std::string dbFile_;
  std::string connection_;  // the connection string without its password
  std::string password_;
  Prompt* prompt_ = nullptr;

  odbc::Handle environment_;
  odbc::Handle connectionHandle_;
  std::string quote_;  // the server's identifier quote; empty when it has none
  std::string serverName_;
  bool transactions_ = false;
  bool readOnlyTransactions_ = false;
  bool schemasShown_ = false;
  bool schemasInStatements_ = false;  // the server takes "schema"."table" in a SELECT

  std::vector<Source> sources_;
  std::vector<std::size_t> tables_;  // indexes into sources_, in the server's order
  std::vector<std::size_t> views_;
  std::int32_t current_ = -1;  // index into sources_
  std::vector<DbField> fields_;
  std::vector<Relation> kept_;
  std::vector<ReadWarning> warnings_;
  std::unique_ptr<odbc::Recordset> recordset_;
  std::string sql_;  // the statement of the open recordset
};

}  // namespace zendra
