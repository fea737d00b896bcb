#include "core/database/odbc_database.h"

#include <algorithm>
#include <array>

#include "core/database/odbc_recordset.h"
#include "core/database/read_only_sql.h"
#include "core/encoding/utf8.h"
#include "core/model/dimension_data.h"
#include "core/model/prompt.h"
#include "core/model/text_compare.h"

namespace zendra {

using odbc::Handle;
using odbc::succeeded;

bool isOdbcName(const std::string& name) {
  return name.size() >= 5 && equalsIgnoringCase(std::string_view(name).substr(0, 5), kOdbcPrefix);
}

namespace {

// Seconds a connection may take before the driver gives up (a server that does not answer).
constexpr SQLUINTEGER kLoginSeconds = 20;

}  // namespace

clsODBC::clsODBC() = default;

clsODBC::~clsODBC() {
  CloseDB();
}

void clsODBC::setDbName(const std::string& name) {
  std::string text = isOdbcName(name) ? name.substr(5) : name;
  // A bare name is a configured data source.
  if (text.find('=') == std::string::npos && !text.empty()) text = "DSN=" + text;
  odbc::ConnectionText split = odbc::splitPassword(text);
  connection_ = split.shown;
  // A password belongs to one connection: another name starts without the last one's.
  password_ = split.password;
  dbName_ = std::string(kOdbcPrefix) + connection_;
  // What a list shows of the source: the data source's name, else the database on its
  // server, else the whole string.
  const std::string dsn = odbc::attribute(connection_, "DSN");
  const std::string database = odbc::attribute(connection_, "Database");
  const std::string host = odbc::attribute(connection_, "Server");
  dbFile_ = !dsn.empty()       ? dsn
            : database.empty() ? connection_
            : host.empty()     ? database
                               : database + " on " + host;
}

bool clsODBC::isOpen() const {
  return connectionHandle_.valid();
}

Handle clsODBC::newStatement() {
  return Handle(SQL_HANDLE_STMT, connectionHandle_.get());
}

void clsODBC::rollback() {
  if (transactions_) SQLEndTran(SQL_HANDLE_DBC, connectionHandle_.get(), SQL_ROLLBACK);
}

DbResult clsODBC::OpenDB() {
  CloseDB();
  environment_ = Handle(SQL_HANDLE_ENV, SQL_NULL_HANDLE);
  if (!environment_.valid()) return DbResult::failure("The ODBC driver manager cannot start");
  SQLSetEnvAttr(environment_.get(), SQL_ATTR_ODBC_VERSION,
                reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  Handle connection(SQL_HANDLE_DBC, environment_.get());
  if (!connection.valid()) return DbResult::failure("The ODBC driver manager cannot start");
  SQLSetConnectAttr(connection.get(), SQL_ATTR_LOGIN_TIMEOUT,
                    reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(kLoginSeconds)), 0);
  const auto text = odbc::wide(odbc::withPassword(connection_, password_));
  const SQLRETURN rc = SQLDriverConnectW(
      connection.get(), nullptr, const_cast<SQLWCHAR*>(text.c_str()),
      static_cast<SQLSMALLINT>(text.size()), nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
  if (!succeeded(rc)) {
    std::string reason = odbc::describe(odbc::diagnostics(connection));
    // The driver may echo the connection string; the password never goes further.
    if (!password_.empty()) {
      for (std::size_t at; (at = reason.find(password_)) != std::string::npos;) {
        reason.replace(at, password_.size(), "***");
      }
    }
    environment_.reset();
    return DbResult::failure(reason);
  }
  connectionHandle_ = std::move(connection);
  // Read-only as far as the driver can make it; the statements are checked besides.
  SQLSetConnectAttr(connectionHandle_.get(), SQL_ATTR_ACCESS_MODE,
                    reinterpret_cast<SQLPOINTER>(SQL_MODE_READ_ONLY), 0);
  std::string quote = odbc::infoText(connectionHandle_, SQL_IDENTIFIER_QUOTE_CHAR);
  quote_ = quote == " " ? std::string() : quote;
  serverName_ = odbc::infoText(connectionHandle_, SQL_DBMS_NAME);
  schemasInStatements_ = (odbc::infoNumber(connectionHandle_, SQL_SCHEMA_USAGE, false, 0) &
                          SQL_SU_DML_STATEMENTS) != 0;
  transactions_ =
      odbc::infoNumber(connectionHandle_, SQL_TXN_CAPABLE, true, SQL_TC_NONE) != SQL_TC_NONE &&
      succeeded(SQLSetConnectAttr(connectionHandle_.get(), SQL_ATTR_AUTOCOMMIT,
                                  reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0));
  if (transactions_) {
    Handle probe = newStatement();
    const auto set = odbc::wide("SET TRANSACTION READ ONLY");
    readOnlyTransactions_ =
        probe.valid() && succeeded(SQLExecDirectW(probe.get(), const_cast<SQLWCHAR*>(set.c_str()),
                                                  static_cast<SQLINTEGER>(set.size())));
    probe.reset();
    rollback();
  }
  if (DbResult catalog = readCatalog(); !catalog) {
    CloseDB();
    return catalog;
  }
  return DbResult::success();
}

void clsODBC::CloseDB() {
  CloseRecordSet();
  if (connectionHandle_.valid()) {
    rollback();
    SQLDisconnect(connectionHandle_.get());
  }
  connectionHandle_.reset();
  environment_.reset();
  sources_.clear();
  tables_.clear();
  views_.clear();
  fields_.clear();
  kept_.clear();
  current_ = -1;
  transactions_ = readOnlyTransactions_ = false;
}

DbResult clsODBC::readCatalog() {
  sources_.clear();
  tables_.clear();
  views_.clear();
  Handle statement = newStatement();
  const auto types = odbc::wide("TABLE,VIEW");
  if (!statement.valid() || !succeeded(SQLTablesW(statement.get(), nullptr, 0, nullptr, 0, nullptr,
                                                  0, const_cast<SQLWCHAR*>(types.c_str()),
                                                  static_cast<SQLSMALLINT>(types.size())))) {
    const std::string reason = odbc::describe(odbc::diagnostics(statement));
    rollback();
    return DbResult::failure("The list of tables cannot be read: " + reason);
  }
  std::vector<std::string> schemas;
  while (succeeded(SQLFetch(statement.get()))) {
    Source source{odbc::textData(statement.get(), 2), odbc::textData(statement.get(), 3),
                  asciiUpper(odbc::textData(statement.get(), 4)) == "VIEW"};
    if (source.name.empty()) continue;
    if (std::find(schemas.begin(), schemas.end(), source.schema) == schemas.end()) {
      schemas.push_back(source.schema);
    }
    (source.view ? views_ : tables_).push_back(sources_.size());
    sources_.push_back(std::move(source));
  }
  statement.reset();
  rollback();
  schemasShown_ = schemas.size() > 1;
  return DbResult::success();
}

std::string clsODBC::shownName(const Source& source) const {
  return schemasShown_ && !source.schema.empty() ? source.schema + "." + source.name : source.name;
}

std::string clsODBC::QuoteName(std::string_view name) const {
  if (quote_.empty()) return std::string(name);
  std::string out = quote_;
  for (std::size_t i = 0; i < name.size(); ++i) {
    out += name[i];
    if (name.compare(i, quote_.size(), quote_) == 0) out += quote_;
  }
  return out + quote_;
}

std::string clsODBC::quotedSource(const Source& source) const {
  if (!source.schema.empty() && schemasInStatements_) {
    return QuoteName(source.schema) + "." + QuoteName(source.name);
  }
  return QuoteName(source.name);
}

std::string clsODBC::QuoteSource(const std::string& shown) const {
  for (const bool exact : {true, false}) {
    for (const Source& source : sources_) {
      const std::string name = shownName(source);
      if (exact ? name == shown : equalsIgnoringCase(name, shown)) return quotedSource(source);
    }
  }
  return QuoteName(shown);
}

const clsODBC::Source* clsODBC::current() const {
  if (current_ < 0 || current_ >= static_cast<std::int32_t>(sources_.size())) return nullptr;
  return &sources_[static_cast<std::size_t>(current_)];
}

std::string clsODBC::TableName() const {
  const Source* s = current();
  return s && !s->view ? shownName(*s) : std::string();
}

std::string clsODBC::SelectTableName() const {
  const Source* s = current();
  return s && !s->view ? quotedSource(*s) : std::string();
}

std::string clsODBC::ViewName() const {
  const Source* s = current();
  return s && s->view ? shownName(*s) : std::string();
}

std::string clsODBC::SelectViewName() const {
  const Source* s = current();
  return s && s->view ? quotedSource(*s) : std::string();
}

std::string clsODBC::Fieldname(std::int32_t position) const {
  if (position < 0 || position >= static_cast<std::int32_t>(fields_.size())) return {};
  return fields_[static_cast<std::size_t>(position)].name;
}

std::string clsODBC::Fieldname(const std::string& name) const {
  for (const DbField& field : fields_) {
    if (equalsIgnoringCase(field.name, name)) return field.name;
  }
  return {};
}

std::string clsODBC::SelectFieldname(std::int32_t position) const {
  return QuoteName(Fieldname(position));
}

std::string clsODBC::SelectFieldname(const std::string& name) const {
  return QuoteName(Fieldname(name));
}

std::vector<ListEntry> clsODBC::ListBoxTables() {
  std::vector<ListEntry> list;
  for (std::size_t i = 0; i < tables_.size(); ++i) {
    list.push_back({shownName(sources_[tables_[i]]), static_cast<std::int32_t>(i + 1)});
  }
  return list;
}

std::vector<ListEntry> clsODBC::ListBoxViews() {
  std::vector<ListEntry> list;
  for (std::size_t i = 0; i < views_.size(); ++i) {
    list.push_back({shownName(sources_[views_[i]]), static_cast<std::int32_t>(i)});
  }
  return list;
}

void clsODBC::SelectTable(std::int32_t position) {
  fields_.clear();
  current_ = -1;
  if (position < 1 || position > static_cast<std::int32_t>(tables_.size())) return;
  current_ = static_cast<std::int32_t>(tables_[static_cast<std::size_t>(position - 1)]);
  readFields(sources_[static_cast<std::size_t>(current_)]);
}

void clsODBC::SelectView(std::int32_t position) {
  fields_.clear();
  current_ = -1;
  if (position < 0 || position >= static_cast<std::int32_t>(views_.size())) return;
  current_ = static_cast<std::int32_t>(views_[static_cast<std::size_t>(position)]);
  readFields(sources_[static_cast<std::size_t>(current_)]);
}

void clsODBC::readFields(const Source& source) {
  fields_.clear();
  if (!isOpen()) return;
  // SQLColumns takes patterns: "_" and "%" in a name are escaped, and only the rows of
  // this very table are kept.
  const std::string escape = odbc::infoText(connectionHandle_, SQL_SEARCH_PATTERN_ESCAPE);
  auto pattern = [&escape](const std::string& name) {
    if (escape.empty()) return name;
    std::string out;
    for (const char c : name) {
      if (c == '_' || c == '%' || escape.find(c) == 0) out += escape;
      out += c;
    }
    return out;
  };
  Handle statement = newStatement();
  const auto schema = odbc::wide(pattern(source.schema));
  const auto table = odbc::wide(pattern(source.name));
  if (statement.valid() &&
      succeeded(SQLColumnsW(statement.get(), nullptr, 0,
                            source.schema.empty() ? nullptr : const_cast<SQLWCHAR*>(schema.c_str()),
                            static_cast<SQLSMALLINT>(source.schema.empty() ? 0 : schema.size()),
                            const_cast<SQLWCHAR*>(table.c_str()),
                            static_cast<SQLSMALLINT>(table.size()), nullptr, 0))) {
    std::vector<std::pair<std::int64_t, DbField>> found;
    while (succeeded(SQLFetch(statement.get()))) {
      if (odbc::textData(statement.get(), 3) != source.name) continue;
      if (!source.schema.empty() && odbc::textData(statement.get(), 2) != source.schema) continue;
      const std::string name = odbc::textData(statement.get(), 4);
      const std::int64_t ordinal = odbc::integerData(statement.get(), 17);
      found.push_back({ordinal, {name, source.view ? std::string() : source.name, name}});
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& f : found) fields_.push_back(std::move(f.second));
  }
  statement.reset();
  rollback();
  if (source.view || fields_.empty()) {
    // A view's fields come from the tables it reads: the driver names them per column of a
    // statement that returns no rows.
    Handle probe = newStatement();
    const auto sql = odbc::wide("SELECT * FROM " + quotedSource(source) + " WHERE 1 = 0");
    if (probe.valid() && succeeded(SQLExecDirectW(probe.get(), const_cast<SQLWCHAR*>(sql.c_str()),
                                                  static_cast<SQLINTEGER>(sql.size())))) {
      SQLSMALLINT count = 0;
      SQLNumResultCols(probe.get(), &count);
      std::vector<DbField> described;
      for (SQLUSMALLINT c = 1; c <= static_cast<SQLUSMALLINT>(std::max<SQLSMALLINT>(count, 0));
           ++c) {
        auto attribute = [&](SQLUSMALLINT what) {
          std::array<SQLWCHAR, 512> buffer{};
          SQLSMALLINT length = 0;
          if (!succeeded(SQLColAttributeW(probe.get(), c, what, buffer.data(), sizeof(buffer),
                                          &length, nullptr))) {
            return std::string();
          }
          return odbc::utf8(
              buffer.data(),
              std::min<std::size_t>(
                  static_cast<std::size_t>(std::max<SQLSMALLINT>(length, 0)) / sizeof(SQLWCHAR),
                  buffer.size() - 1));
        };
        described.push_back({attribute(SQL_DESC_NAME), attribute(SQL_DESC_BASE_TABLE_NAME),
                             attribute(SQL_DESC_BASE_COLUMN_NAME)});
      }
      if (fields_.empty()) {
        fields_ = std::move(described);
      } else if (described.size() == fields_.size()) {
        for (std::size_t i = 0; i < fields_.size(); ++i) {
          fields_[i].sourceTable = described[i].sourceTable;
          fields_[i].sourceField = described[i].sourceField;
        }
      }
    }
    probe.reset();
    rollback();
  }
}

std::vector<ListEntry> clsODBC::ListBoxFields() {
  return FieldEntries(fields_);
}

dbFelter clsODBC::makeFelter() {
  return FelterOf(fields_);
}

void clsODBC::PrepareRelations(const DimensionData& variable) {
  kept_.clear();
  if (!isOpen() || variable.dbName != dbName_) return;
  const Source* primary = nullptr;
  for (const Source& source : sources_) {
    if (!source.view && equalsIgnoringCase(shownName(source), variable.TableName)) {
      primary = &source;
      break;
    }
  }
  if (!primary) return;
  Handle statement = newStatement();
  const auto schema = odbc::wide(primary->schema);
  const auto table = odbc::wide(primary->name);
  if (statement.valid() &&
      succeeded(SQLForeignKeysW(
          statement.get(), nullptr, 0,
          primary->schema.empty() ? nullptr : const_cast<SQLWCHAR*>(schema.c_str()),
          static_cast<SQLSMALLINT>(primary->schema.empty() ? 0 : schema.size()),
          const_cast<SQLWCHAR*>(table.c_str()), static_cast<SQLSMALLINT>(table.size()), nullptr, 0,
          nullptr, 0, nullptr, 0))) {
    // One row per column of each foreign key; a key of more than one column is no match.
    struct Key {
      std::string name, primaryField;
      Relation relation;
      int columns = 0;
    };
    std::vector<Key> keys;
    while (succeeded(SQLFetch(statement.get()))) {
      const std::string name = odbc::textData(statement.get(), 6) + "." +
                               odbc::textData(statement.get(), 7) + "." +
                               odbc::textData(statement.get(), 12);
      auto it =
          std::find_if(keys.begin(), keys.end(), [&](const Key& k) { return k.name == name; });
      if (it == keys.end()) {
        keys.push_back({name,
                        odbc::textData(statement.get(), 4),
                        {odbc::textData(statement.get(), 7), odbc::textData(statement.get(), 8)},
                        0});
        it = keys.end() - 1;
      }
      ++it->columns;
    }
    for (const Key& key : keys) {
      if (key.columns == 1 && equalsIgnoringCase(key.primaryField, variable.CodeField)) {
        kept_.push_back(key.relation);
      }
    }
  }
  statement.reset();
  rollback();
}

bool clsODBC::TestRelations(std::int32_t fieldPosition) const {
  if (fieldPosition < 0 || fieldPosition >= static_cast<std::int32_t>(fields_.size())) return false;
  const DbField& field = fields_[static_cast<std::size_t>(fieldPosition)];
  return std::any_of(kept_.begin(), kept_.end(), [&](const Relation& relation) {
    return equalsIgnoringCase(relation.foreignTable, field.sourceTable) &&
           equalsIgnoringCase(relation.foreignField, field.sourceField);
  });
}

DbResult clsODBC::OpenRecordSet(const std::string& sql) {
  CloseRecordSet();
  if (!isOpen()) return DbResult::failure("The database is not open");
  if (std::string refused = ReadOnlyStatementError(sql); !refused.empty()) {
    return DbResult::failure(refused);
  }
  if (readOnlyTransactions_) {
    Handle set = newStatement();
    const auto text = odbc::wide("SET TRANSACTION READ ONLY");
    if (!set.valid() || !succeeded(SQLExecDirectW(set.get(), const_cast<SQLWCHAR*>(text.c_str()),
                                                  static_cast<SQLINTEGER>(text.size())))) {
      const std::string reason = odbc::describe(odbc::diagnostics(set));
      set.reset();
      rollback();
      return DbResult::failure(reason);
    }
  }
  Handle statement = newStatement();
  if (!statement.valid())
    return DbResult::failure(odbc::describe(odbc::diagnostics(connectionHandle_)));
  const auto text = odbc::wide(sql);
  odbc::CancelWatch watch(statement.get(), prompt_);
  const SQLRETURN rc = SQLExecDirectW(statement.get(), const_cast<SQLWCHAR*>(text.c_str()),
                                      static_cast<SQLINTEGER>(text.size()));
  const bool cancelled = watch.stop();
  if (!succeeded(rc)) {
    const std::string reason = odbc::fetchError(statement, cancelled);
    statement.reset();
    rollback();
    return reason == "Cancelled" ? DbResult::cancel() : DbResult::failure(reason);
  }
  sql_ = sql;
  recordset_ = std::make_unique<odbc::Recordset>(std::move(statement), prompt_);
  if (DbResult started = recordset_->start(); !started) {
    CloseRecordSet();
    return started;
  }
  return DbResult::success();
}

void clsODBC::CloseRecordSet() {
  if (!recordset_) return;
  recordset_.reset();
  rollback();
}

std::int32_t clsODBC::RecordCount() {
  if (!recordset_) return 0;
  // The rows come forward only: they are counted through, and the statement runs again
  // so that it stands at its first row.
  const std::string sql = sql_;
  std::int32_t count = 0;
  for (MoveFirst(); !AtEOF(); MoveNext()) ++count;
  OpenRecordSet(sql);
  return count;
}

void clsODBC::MoveFirst() {
  // The first block is still at hand until a second one was fetched; otherwise the
  // statement runs again.
  if (!recordset_ || !recordset_->past()) {
    if (recordset_) recordset_->rewind();
    return;
  }
  const std::string sql = sql_;
  OpenRecordSet(sql);
}

void clsODBC::MoveNext() {
  if (recordset_) recordset_->next();
}

bool clsODBC::AtEOF() const {
  return !recordset_ || recordset_->atEnd();
}

std::string clsODBC::RecordsetError() const {
  return recordset_ ? recordset_->error() : std::string();
}

std::int32_t clsODBC::FieldCount() const {
  return recordset_ ? static_cast<std::int32_t>(recordset_->columnCount()) : 0;
}

DbValue clsODBC::Field(std::int32_t position) const {
  if (!recordset_ || position < 0) return {};
  return recordset_->value(static_cast<std::size_t>(position));
}

std::string clsODBC::FieldType(std::int32_t position) const {
  if (!recordset_ || position < 0) return {};
  return recordset_->typeOf(static_cast<std::size_t>(position));
}

}  // namespace zendra
