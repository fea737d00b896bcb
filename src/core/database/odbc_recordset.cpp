#include "core/database/odbc_recordset.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>

#include "core/model/prompt.h"

namespace zendra::odbc {

// The thread that watches the prompt while a call runs.
class CancelWatch::Watcher {
 public:
  Watcher(SQLHSTMT statement, Prompt* prompt) {
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
  ~Watcher() { stop(); }
  Watcher(const Watcher&) = delete;
  Watcher& operator=(const Watcher&) = delete;

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

CancelWatch::CancelWatch(SQLHSTMT statement, Prompt* prompt)
    : watcher_(std::make_unique<Watcher>(statement, prompt)) {}

CancelWatch::~CancelWatch() = default;

bool CancelWatch::stop() {
  return watcher_->stop();
}

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

std::string fetchError(const Handle& statement, bool cancelled) {
  const auto records = odbc::diagnostics(statement);
  if (cancelled || odbc::hasState(records, "HY008")) return "Cancelled";
  return odbc::describe(records);
}

namespace {

// Rows asked for in one fetch, and the most their buffers may take together.
constexpr SQLULEN kBlockRows = 1024;
constexpr std::size_t kBlockBytes = 8u << 20;
// The longest text a column is bound for; a longer (or unsized) column is read value by
// value, a row at a time.
constexpr SQLULEN kLongestBoundText = 4000;

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

}  // namespace

// The rows of one statement, fetched a block at a time into buffers bound per column (or a
// row at a time, value by value, when a column is too long to bind).
class Recordset::Impl {
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

  Impl(Handle statement, Prompt* prompt) : statement_(std::move(statement)), prompt_(prompt) {}

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

Recordset::Recordset(Handle statement, Prompt* prompt)
    : impl_(std::make_unique<Impl>(std::move(statement), prompt)) {}
Recordset::~Recordset() = default;
DbResult Recordset::start() {
  return impl_->start();
}
bool Recordset::atEnd() const {
  return impl_->atEnd();
}
bool Recordset::past() const {
  return impl_->past();
}
void Recordset::rewind() {
  impl_->rewind();
}
void Recordset::next() {
  impl_->next();
}
const std::string& Recordset::error() const {
  return impl_->error();
}
std::size_t Recordset::columnCount() const {
  return impl_->columns().size();
}
std::string Recordset::typeOf(std::size_t column) const {
  return column < impl_->columns().size() ? typeName(impl_->columns()[column].type) : "";
}
DbValue Recordset::value(std::size_t column) const {
  return impl_->value(column);
}

}  // namespace zendra::odbc
