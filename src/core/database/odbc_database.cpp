#include "core/database/odbc_database.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>

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

// Rows asked for in one fetch, and the most their buffers may take together.
constexpr SQLULEN kBlockRows = 1024;
constexpr std::size_t kBlockBytes = 8u << 20;
// The longest text a column is bound for; a longer (or unsized) column is read value by
// value, a row at a time.
constexpr SQLULEN kLongestBoundText = 4000;
// Seconds a connection may take before the driver gives up (a server that does not answer).
constexpr SQLUINTEGER kLoginSeconds = 20;

// Sends SQLCancel to a statement once the user cancels, while a call that may wait on the
// server (executing, fetching) runs; watches only when there is a prompt to ask.
class CancelWatch {
 public:
  CancelWatch(SQLHSTMT statement, Prompt* prompt) {
    if (!prompt) return;
    watcher_ = std::thread([this, statement, prompt] {
      std::unique_lock lock(mutex_);
      while (!done_) {
        if (prompt->cancelled()) {
          SQLCancel(statement);
          cancelled_ = true;
          return;
        }
        wake_.wait_for(lock, std::chrono::milliseconds(40));
      }
    });
  }
  ~CancelWatch() { stop(); }
  CancelWatch(const CancelWatch&) = delete;
  CancelWatch& operator=(const CancelWatch&) = delete;

  // Stops watching; true when the statement was cancelled.
  bool stop() {
    if (watcher_.joinable()) {
      {
        std::lock_guard lock(mutex_);
        done_ = true;
      }
      wake_.notify_all();
      watcher_.join();
    }
    return cancelled_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable wake_;
  bool done_ = false;
  bool cancelled_ = false;
  std::thread watcher_;
};

// Reads a column of the current row as text, in pieces as long as it is; false when the
// driver fails. null tells whether it was a Null (the text is then empty).
bool readText(SQLHSTMT statement, SQLUSMALLINT column, std::string& out, bool& null) {
  out.clear();
  null = false;
  std::array<SQLWCHAR, 4096> chunk{};
  for (;;) {
    SQLLEN length = 0;
    const SQLRETURN rc =
        SQLGetData(statement, column, SQL_C_WCHAR, chunk.data(), sizeof(chunk), &length);
    if (rc == SQL_NO_DATA) return true;
    if (!succeeded(rc)) return false;
    if (length == SQL_NULL_DATA) {
      null = true;
      return true;
    }
    const std::size_t room = chunk.size() - 1;
    const std::size_t chars =
        (length == SQL_NO_TOTAL || static_cast<std::size_t>(length) / sizeof(SQLWCHAR) > room)
            ? room
            : static_cast<std::size_t>(length) / sizeof(SQLWCHAR);
    out += odbc::utf8(chunk.data(), chars);
    if (rc == SQL_SUCCESS) return true;
  }
}

// A column of a catalog result as text (a Null or a failure gives empty).
std::string textData(SQLHSTMT statement, SQLUSMALLINT column) {
  std::string out;
  bool null = false;
  readText(statement, column, out, null);
  return out;
}

std::int64_t integerData(SQLHSTMT statement, SQLUSMALLINT column) {
  SQLBIGINT value = 0;
  SQLLEN length = 0;
  if (!succeeded(SQLGetData(statement, column, SQL_C_SBIGINT, &value, 0, &length)) ||
      length == SQL_NULL_DATA) {
    return 0;
  }
  return value;
}

DbValue::Kind kindOf(SQLSMALLINT type, SQLULEN size, SQLSMALLINT digits) {
  switch (type) {
    case SQL_BIT:
      return DbValue::Kind::Boolean;
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT:
      return DbValue::Kind::Integer;
    case SQL_NUMERIC:
    case SQL_DECIMAL:
      return digits == 0 && size > 0 && size <= 18 ? DbValue::Kind::Integer : DbValue::Kind::Real;
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
      return DbValue::Kind::Real;
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIMESTAMP:
    case SQL_DATE:
    case SQL_TIMESTAMP:
      return DbValue::Kind::Date;
    default:
      return DbValue::Kind::Text;
  }
}

const char* typeName(SQLSMALLINT type) {
  switch (kindOf(type, 1, 0)) {
    case DbValue::Kind::Boolean:
      return "boolean";
    case DbValue::Kind::Integer:
      return "integer";
    case DbValue::Kind::Real:
      return "real";
    case DbValue::Kind::Date:
      return "date";
    default:
      break;
  }
  switch (type) {
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_LONGVARCHAR:
    case SQL_WCHAR:
    case SQL_WVARCHAR:
    case SQL_WLONGVARCHAR:
      return "text";
    default:
      return "other";
  }
}

std::string dateText(const SQL_TIMESTAMP_STRUCT& t, bool withTime) {
  std::array<char, 40> text{};
  if (withTime && (t.hour || t.minute || t.second)) {
    std::snprintf(text.data(), text.size(), "%04d-%02u-%02u %02u:%02u:%02u", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
  } else {
    std::snprintf(text.data(), text.size(), "%04d-%02u-%02u", t.year, t.month, t.day);
  }
  return text.data();
}

std::string fetchError(const Handle& statement, bool cancelled) {
  const auto records = odbc::diagnostics(statement);
  if (cancelled || odbc::hasState(records, "HY008")) return "Cancelled";
  return odbc::describe(records);
}

}  // namespace

// The rows of one statement, fetched a block at a time into buffers bound per column (or a
// row at a time, value by value, when a column is too long to bind).
class clsODBC::Recordset {
 public:
  struct Column {
    std::string name;
    SQLSMALLINT type = 0;
    DbValue::Kind kind = DbValue::Kind::Text;
    SQLSMALLINT cType = SQL_C_WCHAR;
    SQLLEN width = 0;  // bytes of one bound value
    std::vector<unsigned char> buffer;
    std::vector<SQLLEN> indicator;
  };

  Recordset(Handle statement, Prompt* prompt) : statement_(std::move(statement)), prompt_(prompt) {}

  // Describes the columns of the executed statement and fetches the first block.
  DbResult start() {
    SQLSMALLINT count = 0;
    if (!succeeded(SQLNumResultCols(statement_.get(), &count))) {
      return DbResult::failure(odbc::describe(odbc::diagnostics(statement_)));
    }
    if (count <= 0) return DbResult::failure("Only a statement that reads rows can run");
    bool bindable = true;
    std::size_t rowBytes = 0;
    for (SQLUSMALLINT c = 1; c <= static_cast<SQLUSMALLINT>(count); ++c) {
      std::array<SQLWCHAR, 512> name{};
      SQLSMALLINT nameLength = 0, type = 0, digits = 0, nullable = 0;
      SQLULEN size = 0;
      SQLDescribeColW(statement_.get(), c, name.data(), static_cast<SQLSMALLINT>(name.size()),
                      &nameLength, &type, &size, &digits, &nullable);
      Column column;
      column.name = odbc::utf8(
          name.data(),
          std::min<std::size_t>(static_cast<std::size_t>(std::max<SQLSMALLINT>(nameLength, 0)),
                                name.size() - 1));
      column.type = type;
      column.kind = kindOf(type, size, digits);
      switch (column.kind) {
        case DbValue::Kind::Boolean:
        case DbValue::Kind::Integer:
          column.cType = SQL_C_SBIGINT;
          column.width = sizeof(SQLBIGINT);
          break;
        case DbValue::Kind::Real:
          column.cType = SQL_C_DOUBLE;
          column.width = sizeof(double);
          break;
        case DbValue::Kind::Date:
          column.cType = SQL_C_TYPE_TIMESTAMP;
          column.width = sizeof(SQL_TIMESTAMP_STRUCT);
          break;
        default:
          column.cType = SQL_C_WCHAR;
          if (size == 0 || size > kLongestBoundText) bindable = false;
          column.width = static_cast<SQLLEN>((std::max<SQLULEN>(size, 1) + 1) * sizeof(SQLWCHAR));
          break;
      }
      withTime_.push_back(type != SQL_TYPE_DATE && type != SQL_DATE);
      rowBytes += static_cast<std::size_t>(column.width) + sizeof(SQLLEN);
      columns_.push_back(std::move(column));
    }
    blockRows_ =
        bindable ? std::max<SQLULEN>(1, std::min<SQLULEN>(kBlockRows, kBlockBytes / rowBytes)) : 1;
    bound_ = bindable;
    if (bound_) {
      SQLSetStmtAttr(statement_.get(), SQL_ATTR_ROW_BIND_TYPE,
                     reinterpret_cast<SQLPOINTER>(SQL_BIND_BY_COLUMN), 0);
      if (!succeeded(SQLSetStmtAttr(statement_.get(), SQL_ATTR_ROW_ARRAY_SIZE,
                                    reinterpret_cast<SQLPOINTER>(blockRows_), 0))) {
        blockRows_ = 1;
      }
      SQLULEN granted = blockRows_;
      if (succeeded(
              SQLGetStmtAttr(statement_.get(), SQL_ATTR_ROW_ARRAY_SIZE, &granted, 0, nullptr)) &&
          granted > 0 && granted < blockRows_) {
        blockRows_ = granted;  // the driver took a smaller block
      }
      SQLSetStmtAttr(statement_.get(), SQL_ATTR_ROWS_FETCHED_PTR, &fetched_, 0);
      status_.assign(blockRows_, SQL_ROW_SUCCESS);
      SQLSetStmtAttr(statement_.get(), SQL_ATTR_ROW_STATUS_PTR, status_.data(), 0);
      SQLUSMALLINT c = 1;
      for (Column& column : columns_) {
        column.buffer.assign(static_cast<std::size_t>(column.width) * blockRows_, 0);
        column.indicator.assign(blockRows_, 0);
        if (!succeeded(SQLBindCol(statement_.get(), c++, column.cType, column.buffer.data(),
                                  column.width, column.indicator.data()))) {
          return DbResult::failure(odbc::describe(odbc::diagnostics(statement_)));
        }
      }
    } else {
      for (Column& column : columns_) {
        column.indicator.assign(1, 0);
        if (column.cType != SQL_C_WCHAR)
          column.buffer.assign(static_cast<std::size_t>(column.width), 0);
      }
      longText_.assign(columns_.size(), std::string());
    }
    fetch();
    if (cancelled_) return DbResult::cancel();
    return DbResult::success();
  }

  bool atEnd() const { return row_ >= fetched_ && ended_; }
  // True once a block after the first was fetched: the first rows are gone.
  bool past() const { return blocks_ > 1; }
  // Back to the first row while the first block is still at hand.
  void rewind() {
    row_ = 0;
    fetched_ = firstFetched_;
  }
  const std::string& error() const { return error_; }
  const std::vector<Column>& columns() const { return columns_; }

  void next() {
    if (row_ < fetched_) ++row_;
    if (row_ >= fetched_ && !ended_) fetch();
  }

  DbValue value(std::size_t c) const {
    if (row_ >= fetched_ || c >= columns_.size()) return {};
    const Column& column = columns_[c];
    const SQLLEN indicator = column.indicator[bound_ ? row_ : 0];
    if (indicator == SQL_NULL_DATA) return {};
    const unsigned char* at =
        column.buffer.data() + (bound_ ? row_ * static_cast<std::size_t>(column.width) : 0);
    DbValue out;
    out.kind = column.kind;
    switch (column.kind) {
      case DbValue::Kind::Boolean:
      case DbValue::Kind::Integer: {
        SQLBIGINT v = 0;
        std::memcpy(&v, at, sizeof(v));
        out.integer = column.kind == DbValue::Kind::Boolean ? (v != 0) : v;
        break;
      }
      case DbValue::Kind::Real:
        std::memcpy(&out.real, at, sizeof(double));
        break;
      case DbValue::Kind::Date: {
        SQL_TIMESTAMP_STRUCT t{};
        std::memcpy(&t, at, sizeof(t));
        out.text = dateText(t, withTime_[c]);
        break;
      }
      default:
        if (!bound_) {
          out.text = longText_[c];
        } else {
          const std::size_t chars = static_cast<std::size_t>(indicator) / sizeof(SQLWCHAR);
          std::vector<SQLWCHAR> text(chars);
          std::memcpy(text.data(), at, chars * sizeof(SQLWCHAR));
          out.text = odbc::utf8(text.data(), chars);
        }
        break;
    }
    return out;
  }

  SQLHSTMT handle() const { return statement_.get(); }

 private:
  void fetch() {
    row_ = 0;
    fetched_ = 0;
    CancelWatch watch(statement_.get(), prompt_);
    const SQLRETURN rc = SQLFetch(statement_.get());
    if (!bound_ && succeeded(rc)) fetched_ = 1;
    cancelled_ = watch.stop() || cancelled_;
    if (rc == SQL_NO_DATA) {
      fetched_ = 0;
      ended_ = true;
      return;
    }
    if (!succeeded(rc)) {
      fetched_ = 0;
      ended_ = true;
      error_ = fetchError(statement_, cancelled_);
      return;
    }
    if (bound_) {
      checkBlock();
    } else {
      readRow();
    }
    if (!error_.empty()) {
      fetched_ = 0;
      ended_ = true;
    }
    if (++blocks_ == 1) firstFetched_ = fetched_;
  }

  // A bound value longer than its buffer (a driver that declared a column too small) or a
  // row the driver could not give would silently be wrong: the rows end with an error.
  void checkBlock() {
    for (SQLULEN r = 0; r < fetched_; ++r) {
      if (status_[r] == SQL_ROW_ERROR) {
        error_ = odbc::describe(odbc::diagnostics(statement_));
        return;
      }
      for (const Column& column : columns_) {
        if (column.cType == SQL_C_WCHAR && column.indicator[r] != SQL_NULL_DATA &&
            (column.indicator[r] == SQL_NO_TOTAL ||
             column.indicator[r] > column.width - static_cast<SQLLEN>(sizeof(SQLWCHAR)))) {
          error_ = "A value of " + column.name + " is longer than the server declared";
          return;
        }
      }
    }
  }

  void readRow() {
    for (std::size_t c = 0; c < columns_.size(); ++c) {
      Column& column = columns_[c];
      const auto number = static_cast<SQLUSMALLINT>(c + 1);
      if (column.cType != SQL_C_WCHAR) {
        if (!succeeded(SQLGetData(statement_.get(), number, column.cType, column.buffer.data(),
                                  column.width, column.indicator.data()))) {
          error_ = odbc::describe(odbc::diagnostics(statement_));
          return;
        }
        continue;
      }
      bool null = false;
      if (!readText(statement_.get(), number, longText_[c], null)) {
        error_ = odbc::describe(odbc::diagnostics(statement_));
        return;
      }
      column.indicator[0] = null ? SQL_NULL_DATA : 0;
    }
  }

  Handle statement_;
  Prompt* prompt_;
  std::vector<Column> columns_;
  std::vector<bool> withTime_;
  std::vector<std::string> longText_;  // the current row's values, read value by value
  std::vector<SQLUSMALLINT> status_;
  bool bound_ = true;
  SQLULEN blockRows_ = 1;
  SQLULEN fetched_ = 0;
  SQLULEN row_ = 0;
  SQLULEN firstFetched_ = 0;
  int blocks_ = 0;  // blocks fetched that held rows
  bool ended_ = false;
  bool cancelled_ = false;
  std::string error_;
};

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
    Source source{textData(statement.get(), 2), textData(statement.get(), 3),
                  asciiUpper(textData(statement.get(), 4)) == "VIEW"};
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
  const SQLUINTEGER usage =
      isOpen() ? odbc::infoNumber(connectionHandle_, SQL_SCHEMA_USAGE, false, 0) : 0;
  if (!source.schema.empty() && (usage & SQL_SU_DML_STATEMENTS) != 0) {
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
      if (textData(statement.get(), 3) != source.name) continue;
      if (!source.schema.empty() && textData(statement.get(), 2) != source.schema) continue;
      const std::string name = textData(statement.get(), 4);
      const std::int64_t ordinal = integerData(statement.get(), 17);
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
      const std::string name = textData(statement.get(), 6) + "." + textData(statement.get(), 7) +
                               "." + textData(statement.get(), 12);
      auto it =
          std::find_if(keys.begin(), keys.end(), [&](const Key& k) { return k.name == name; });
      if (it == keys.end()) {
        keys.push_back({name,
                        textData(statement.get(), 4),
                        {textData(statement.get(), 7), textData(statement.get(), 8)},
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
  CancelWatch watch(statement.get(), prompt_);
  const SQLRETURN rc = SQLExecDirectW(statement.get(), const_cast<SQLWCHAR*>(text.c_str()),
                                      static_cast<SQLINTEGER>(text.size()));
  const bool cancelled = watch.stop();
  if (!succeeded(rc)) {
    const std::string reason = fetchError(statement, cancelled);
    statement.reset();
    rollback();
    return reason == "Cancelled" ? DbResult::cancel() : DbResult::failure(reason);
  }
  sql_ = sql;
  recordset_ = std::make_unique<Recordset>(std::move(statement), prompt_);
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
  // The rows come forward only: they are counted on a second run of the statement, which
  // then stands at its first row again.
  const std::string sql = sql_;
  std::int32_t count = 0;
  MoveFirst();
  for (; !AtEOF(); MoveNext()) ++count;
  if (OpenRecordSet(sql)) return count;
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
  return recordset_ ? static_cast<std::int32_t>(recordset_->columns().size()) : 0;
}

DbValue clsODBC::Field(std::int32_t position) const {
  if (!recordset_ || position < 0) return {};
  return recordset_->value(static_cast<std::size_t>(position));
}

std::string clsODBC::FieldType(std::int32_t position) const {
  if (!recordset_ || position < 0 ||
      position >= static_cast<std::int32_t>(recordset_->columns().size())) {
    return {};
  }
  return typeName(recordset_->columns()[static_cast<std::size_t>(position)].type);
}

}  // namespace zendra
