#pragma once

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <string>
#include <string_view>
#include <vector>

// The small part of the ODBC interface (unixODBC) the server databases use, in C++ terms:
// owned handles, text in UTF-8 both ways (the wide functions are called, so names and values
// keep every character whatever the locale), and the driver's diagnostic records.
namespace zendra::odbc {

// UTF-8 to the driver manager's wide characters (UTF-16) and back; invalid UTF-8 becomes
// U+FFFD, as does a lone surrogate on the way back.
std::basic_string<SQLWCHAR> wide(std::string_view utf8);
std::string utf8(const SQLWCHAR* text, std::size_t length);

// One owned ODBC handle, freed when it goes.
class Handle {
 public:
  Handle() = default;
  Handle(SQLSMALLINT type, SQLHANDLE parent);  // allocates; valid() tells whether it worked
  ~Handle() { reset(); }
  Handle(Handle&& other) noexcept : type_(other.type_), handle_(other.handle_) {
    other.handle_ = SQL_NULL_HANDLE;
  }
  Handle& operator=(Handle&& other) noexcept;
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;

  bool valid() const { return handle_ != SQL_NULL_HANDLE; }
  SQLHANDLE get() const { return handle_; }
  SQLSMALLINT type() const { return type_; }
  void reset();

 private:
  SQLSMALLINT type_ = 0;
  SQLHANDLE handle_ = SQL_NULL_HANDLE;
};

inline bool succeeded(SQLRETURN rc) {
  return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO;
}

// One diagnostic record of a handle.
struct Diagnostic {
  std::string state;  // the five-character SQLSTATE
  SQLINTEGER native = 0;
  std::string text;
};
std::vector<Diagnostic> diagnostics(const Handle& handle);
// The records as lines "[SQLSTATE] text"; what is told the user when a call fails.
std::string describe(const std::vector<Diagnostic>& records);
// True when a record's SQLSTATE is state (such as "HY008", operation cancelled).
bool hasState(const std::vector<Diagnostic>& records, std::string_view state);

// A text answer of SQLGetInfo; empty when the driver does not give it.
std::string infoText(const Handle& connection, SQLUSMALLINT what);
// A numeric answer of SQLGetInfo (SQLUSMALLINT or SQLUINTEGER as the item is); fallback
// when the driver does not give it.
SQLUINTEGER infoNumber(const Handle& connection, SQLUSMALLINT what, bool smallInteger,
                       SQLUINTEGER fallback);

// A connection string without its password, and the password apart, so that what is kept
// and shown of a connection (settings, a variable's source, messages) never holds it.
struct ConnectionText {
  std::string shown;     // every attribute but PWD/PASSWORD, in their order
  std::string password;  // the PWD (or PASSWORD) value, empty when none was given
};
ConnectionText splitPassword(std::string_view connection);
// The value of an attribute of a connection string (key without regard to case, braces
// taken off); empty when it has none.
std::string attribute(std::string_view connection, std::string_view key);

// The connection string with the password added again (as a braced PWD when it has one).
std::string withPassword(const std::string& shown, const std::string& password);

// A data source configured for this user or the system (odbc.ini), as SQLDataSources lists it.
struct DataSource {
  std::string name;
  std::string description;  // the driver's description
  bool operator==(const DataSource&) const = default;
};
std::vector<DataSource> dataSources();

}  // namespace zendra::odbc
