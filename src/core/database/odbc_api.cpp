#include "core/database/odbc_api.h"

#include <array>

#include "core/encoding/utf8.h"

namespace zendra::odbc {

std::basic_string<SQLWCHAR> wide(std::string_view text) {
  std::basic_string<SQLWCHAR> out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    char32_t c = 0;
    std::size_t length = nextUtf8Char(text, i, c);
    if (length == 0) {
      c = 0xFFFD;
      length = 1;
    }
    i += length;
    if (c >= 0x10000) {
      c -= 0x10000;
      out.push_back(static_cast<SQLWCHAR>(0xD800 + (c >> 10)));
      out.push_back(static_cast<SQLWCHAR>(0xDC00 + (c & 0x3FF)));
    } else {
      out.push_back(static_cast<SQLWCHAR>(c));
    }
  }
  return out;
}

std::string utf8(const SQLWCHAR* text, std::size_t length) {
  std::string out;
  out.reserve(length);
  for (std::size_t i = 0; i < length; ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < length && text[i + 1] >= 0xDC00 &&
        text[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c < 0xE000) {
      c = 0xFFFD;
    }
    appendUtf8(c, out);
  }
  return out;
}

Handle::Handle(SQLSMALLINT type, SQLHANDLE parent) : type_(type) {
  if (!succeeded(SQLAllocHandle(type, parent, &handle_))) handle_ = SQL_NULL_HANDLE;
}

Handle& Handle::operator=(Handle&& other) noexcept {
  if (this != &other) {
    reset();
    type_ = other.type_;
    handle_ = other.handle_;
    other.handle_ = SQL_NULL_HANDLE;
  }
  return *this;
}

void Handle::reset() {
  if (handle_ != SQL_NULL_HANDLE) SQLFreeHandle(type_, handle_);
  handle_ = SQL_NULL_HANDLE;
}

std::vector<Diagnostic> diagnostics(const Handle& handle) {
  std::vector<Diagnostic> records;
  if (!handle.valid()) return records;
  for (SQLSMALLINT n = 1; n <= 20; ++n) {
    std::array<SQLWCHAR, 6> state{};
    std::array<SQLWCHAR, 1024> text{};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    const SQLRETURN rc =
        SQLGetDiagRecW(handle.type(), handle.get(), n, state.data(), &native, text.data(),
                       static_cast<SQLSMALLINT>(text.size()), &length);
    if (!succeeded(rc)) break;
    const std::size_t shown = std::min<std::size_t>(
        static_cast<std::size_t>(std::max<SQLSMALLINT>(length, 0)), text.size() - 1);
    records.push_back({utf8(state.data(), 5), native, utf8(text.data(), shown)});
  }
  return records;
}

std::string describe(const std::vector<Diagnostic>& records) {
  std::string out;
  for (const Diagnostic& record : records) {
    if (!out.empty()) out += '\n';
    out += "[" + record.state + "] " + record.text;
  }
  return out.empty() ? std::string("the driver gave no reason") : out;
}

bool hasState(const std::vector<Diagnostic>& records, std::string_view state) {
  for (const Diagnostic& record : records) {
    if (record.state == state) return true;
  }
  return false;
}

std::string infoText(const Handle& connection, SQLUSMALLINT what) {
  std::array<SQLWCHAR, 256> buffer{};
  SQLSMALLINT length = 0;
  if (!succeeded(SQLGetInfoW(connection.get(), what, buffer.data(),
                             static_cast<SQLSMALLINT>(sizeof(buffer)), &length))) {
    return {};
  }
  const auto chars = std::min<std::size_t>(
      static_cast<std::size_t>(std::max<SQLSMALLINT>(length, 0)) / sizeof(SQLWCHAR),
      buffer.size() - 1);
  return utf8(buffer.data(), chars);
}

SQLUINTEGER infoNumber(const Handle& connection, SQLUSMALLINT what, bool smallInteger,
                       SQLUINTEGER fallback) {
  if (smallInteger) {
    SQLUSMALLINT value = 0;
    return succeeded(SQLGetInfoW(connection.get(), what, &value, sizeof(value), nullptr))
               ? value
               : fallback;
  }
  SQLUINTEGER value = 0;
  return succeeded(SQLGetInfoW(connection.get(), what, &value, sizeof(value), nullptr)) ? value
                                                                                        : fallback;
}

namespace {

// Walks the attributes of a connection string: each piece as written, its key and its value
// (a braced value may hold ";", and "}}" in it stands for "}").
template <typename Visit>
void forEachAttribute(std::string_view connection, Visit visit) {
  std::size_t i = 0;
  while (i < connection.size()) {
    const std::size_t start = i;
    std::size_t equals = connection.find('=', i);
    std::size_t end = connection.find(';', i);
    std::string value;
    if (equals != std::string_view::npos && (end == std::string_view::npos || equals < end)) {
      std::size_t v = equals + 1;
      if (v < connection.size() && connection[v] == '{') {
        for (++v; v < connection.size(); ++v) {
          if (connection[v] == '}') {
            if (v + 1 < connection.size() && connection[v + 1] == '}') {
              value += '}';
              ++v;
              continue;
            }
            ++v;
            break;
          }
          value += connection[v];
        }
        end = connection.find(';', v);
      } else {
        value = std::string(connection.substr(v, end == std::string_view::npos ? end : end - v));
      }
    } else {
      equals = std::string_view::npos;
    }
    if (end == std::string_view::npos) end = connection.size();
    const std::string_view piece = connection.substr(start, end - start);
    i = end + 1;
    if (piece.find_first_not_of(' ') == std::string_view::npos) continue;
    std::string key = equals == std::string_view::npos
                          ? std::string()
                          : asciiUpper(connection.substr(start, equals - start));
    while (!key.empty() && key.back() == ' ') key.pop_back();
    while (!key.empty() && key.front() == ' ') key.erase(0, 1);
    visit(piece, key, value);
  }
}

}  // namespace

ConnectionText splitPassword(std::string_view connection) {
  ConnectionText out;
  forEachAttribute(
      connection, [&out](std::string_view piece, const std::string& key, const std::string& value) {
        if (key == "PWD" || key == "PASSWORD") {
          out.password = value;
          return;
        }
        if (!out.shown.empty()) out.shown += ';';
        out.shown += piece;
      });
  return out;
}

std::string attribute(std::string_view connection, std::string_view key) {
  std::string found;
  const std::string wanted = asciiUpper(key);
  forEachAttribute(connection, [&](std::string_view, const std::string& k, const std::string& v) {
    if (k == wanted) found = v;
  });
  return found;
}

std::string withPassword(const std::string& shown, const std::string& password) {
  if (password.empty()) return shown;
  std::string braced = "{";
  for (const char c : password) {
    braced += c;
    if (c == '}') braced += '}';
  }
  braced += '}';
  return shown + (shown.empty() ? "" : ";") + "PWD=" + braced;
}

std::vector<DataSource> dataSources() {
  std::vector<DataSource> list;
  Handle environment(SQL_HANDLE_ENV, SQL_NULL_HANDLE);
  if (!environment.valid()) return list;
  SQLSetEnvAttr(environment.get(), SQL_ATTR_ODBC_VERSION,
                reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  SQLUSMALLINT direction = SQL_FETCH_FIRST;
  for (;;) {
    std::array<SQLWCHAR, 256> name{};
    std::array<SQLWCHAR, 512> description{};
    SQLSMALLINT nameLength = 0, descriptionLength = 0;
    const SQLRETURN rc =
        SQLDataSourcesW(environment.get(), direction, name.data(),
                        static_cast<SQLSMALLINT>(name.size()), &nameLength, description.data(),
                        static_cast<SQLSMALLINT>(description.size()), &descriptionLength);
    if (!succeeded(rc)) break;
    direction = SQL_FETCH_NEXT;
    list.push_back(
        {utf8(name.data(),
              std::min<std::size_t>(static_cast<std::size_t>(nameLength), name.size() - 1)),
         utf8(description.data(), std::min<std::size_t>(static_cast<std::size_t>(descriptionLength),
                                                        description.size() - 1))});
  }
  return list;
}

}  // namespace zendra::odbc
