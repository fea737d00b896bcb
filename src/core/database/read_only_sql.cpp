#include "core/database/read_only_sql.h"

#include <array>
#include <vector>

#include "core/encoding/utf8.h"

namespace zendra {

namespace {

// How one kind of server reads quotes and comments.
struct Dialect {
  bool backslashInLiterals = false;  // "\'" inside '...' is a quote (MySQL)
  bool escapeStrings = false;        // E'...' takes backslash escapes (PostgreSQL)
  bool dollarQuotes = false;         // $tag$ ... $tag$ is a literal (PostgreSQL)
  bool nestedComments = false;       // /* /* */ */ is one comment (PostgreSQL)
  bool hashComments = false;         // # runs to the end of the line (MySQL)
};

constexpr std::array<Dialect, 3> kDialects{{
    {},                                 // standard SQL, SQLite, SQL Server
    {false, true, true, true, false},   // PostgreSQL
    {true, false, false, false, true},  // MySQL
}};

// The words that change data, the schema, the session or the server, or run code that may.
constexpr std::array<std::string_view, 24> kRefused{
    "INSERT", "UPDATE", "DELETE",   "MERGE",  "UPSERT", "INTO",   "DROP",    "CREATE",
    "ALTER",  "RENAME", "TRUNCATE", "GRANT",  "REVOKE", "EXEC",   "EXECUTE", "CALL",
    "DO",     "COPY",   "LOCK",     "VACUUM", "ATTACH", "DETACH", "PRAGMA",  "HANDLER"};

bool isWordChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '$' || static_cast<unsigned char>(c) >= 0x80;
}

struct Reading {
  std::vector<std::string> words;  // in upper case
  bool secondStatement = false;    // something other than space follows a ";"
};

// Skips a literal or quoted name that starts at i (the opening quote) and returns the
// position after it; the end of the text when it is not closed.
std::size_t skipQuoted(std::string_view sql, std::size_t i, char close, bool backslash) {
  for (++i; i < sql.size(); ++i) {
    if (backslash && sql[i] == '\\') {
      ++i;
      continue;
    }
    if (sql[i] == close) {
      if (i + 1 < sql.size() && sql[i + 1] == close) {
        ++i;
        continue;
      }
      return i + 1;
    }
  }
  return sql.size();
}

std::size_t skipBlockComment(std::string_view sql, std::size_t i, bool nested) {
  int depth = 0;
  while (i < sql.size()) {
    if (sql.compare(i, 2, "/*") == 0) {
      ++depth;
      i += 2;
      if (!nested && depth > 1) depth = 1;
    } else if (sql.compare(i, 2, "*/") == 0) {
      i += 2;
      if (--depth == 0) return i;
    } else {
      ++i;
    }
  }
  return sql.size();
}

Reading read(std::string_view sql, const Dialect& d) {
  Reading r;
  bool ended = false;  // a ";" was read
  std::size_t i = 0;
  while (i < sql.size()) {
    const char c = sql[i];
    std::size_t next = i + 1;
    bool space = false;
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
      space = true;
    } else if (sql.compare(i, 2, "--") == 0 || (d.hashComments && c == '#')) {
      next = sql.find('\n', i);
      next = next == std::string_view::npos ? sql.size() : next + 1;
      space = true;
    } else if (sql.compare(i, 2, "/*") == 0 && sql.compare(i, 3, "/*!") != 0) {
      // MySQL runs what a "/*!" comment holds: it is read as statement text.
      next = skipBlockComment(sql, i, d.nestedComments);
      space = true;
    } else if (c == '\'') {
      const bool escaped = d.escapeStrings && i > 0 && (sql[i - 1] == 'E' || sql[i - 1] == 'e');
      next = skipQuoted(sql, i, '\'', d.backslashInLiterals || escaped);
    } else if (c == '"') {
      next = skipQuoted(sql, i, '"', d.backslashInLiterals);
    } else if (c == '`') {
      next = skipQuoted(sql, i, '`', false);
    } else if (c == '[') {
      next = skipQuoted(sql, i, ']', false);
    } else if (d.dollarQuotes && c == '$' && (i == 0 || !isWordChar(sql[i - 1]))) {
      std::size_t tagEnd = i + 1;
      while (tagEnd < sql.size() && isWordChar(sql[tagEnd]) && sql[tagEnd] != '$') ++tagEnd;
      if (tagEnd < sql.size() && sql[tagEnd] == '$') {
        const std::string_view tag = sql.substr(i, tagEnd - i + 1);
        const std::size_t close = sql.find(tag, tagEnd + 1);
        next = close == std::string_view::npos ? sql.size() : close + tag.size();
      }
    } else if (c == ';') {
      ended = true;
      space = true;
    } else if (isWordChar(c)) {
      while (next < sql.size() && isWordChar(sql[next])) ++next;
      r.words.push_back(asciiUpper(sql.substr(i, next - i)));
    }
    if (ended && !space) r.secondStatement = true;
    i = next;
  }
  return r;
}

}  // namespace

std::string ReadOnlyStatementError(std::string_view sql) {
  for (const Dialect& dialect : kDialects) {
    const Reading r = read(sql, dialect);
    if (r.words.empty()) return "The statement is empty";
    if (r.secondStatement) return "Only one statement can run at a time";
    if (r.words.front() != "SELECT") return "Only a statement that reads rows can run";
    for (const std::string& word : r.words) {
      for (const std::string_view refused : kRefused) {
        if (word == refused) {
          return "not authorized: " + word + " is refused, only statements that read rows can run";
        }
      }
    }
  }
  return {};
}

}  // namespace zendra
