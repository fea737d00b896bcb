#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/database/any_database.h"
#include "core/database/odbc_api.h"

// Reading what a statement gives on an ODBC connection: its rows a block at a time, the
// text of catalog results, and SQLCancel while the server works.
namespace zendra::odbc {

// Sends SQLCancel to a statement once the user cancels, while a call that may wait on the
// server (executing, fetching) runs; watches only when there is a prompt to ask.
class CancelWatch {
 public:
  CancelWatch(SQLHSTMT statement, Prompt* prompt);
  ~CancelWatch();
  CancelWatch(const CancelWatch&) = delete;
  CancelWatch& operator=(const CancelWatch&) = delete;
  // Stops watching; true when the statement was cancelled.
  bool stop();

 private:
  class Watcher;
  std::unique_ptr<Watcher> watcher_;
};

// Reads a column of the current row as text, in pieces as long as it is; false when the
// driver fails. null tells whether it was a Null (the text is then empty).
bool readText(SQLHSTMT statement, SQLUSMALLINT column, std::string& out, bool& null);
// A column of a catalog result as text, or as an integer (a Null or a failure gives empty
// or 0).
std::string textData(SQLHSTMT statement, SQLUSMALLINT column);
std::int64_t integerData(SQLHSTMT statement, SQLUSMALLINT column);
// What a failed call on the statement says: "Cancelled" when it was, else the driver's
// records.
std::string fetchError(const Handle& statement, bool cancelled);

// The rows of one executed statement, fetched a block at a time into buffers bound per
// column (or a row at a time, value by value, when a column is too long to bind), forward
// only. A value longer than its column declared, or a row the driver could not give, ends
// the rows with an error rather than a wrong value.
class Recordset {
 public:
  Recordset(Handle statement, Prompt* prompt);
  ~Recordset();
  Recordset(const Recordset&) = delete;
  Recordset& operator=(const Recordset&) = delete;

  // Describes the columns and fetches the first block.
  DbResult start();
  bool atEnd() const;
  void next();
  // True once a block after the first was fetched: the first rows are gone.
  bool past() const;
  // Back to the first row while the first block is still at hand.
  void rewind();
  // Why the rows ended early; empty when they ended cleanly.
  const std::string& error() const;
  std::size_t columnCount() const;
  // "text", "integer", "real", "date", "boolean" or "other"; empty past the last column.
  std::string typeOf(std::size_t column) const;
  DbValue value(std::size_t column) const;

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace zendra::odbc
