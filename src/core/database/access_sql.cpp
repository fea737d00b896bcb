#include "core/database/access_sql.h"

#include <charconv>
#include <cstdio>

namespace zendra {

namespace {

bool isWordByte(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '$' || c >= 0x80;
}

// Splits "a/b/c" (or with "-" or ":") into numbers; false when a part is not a number.
bool numbers(std::string_view text, char separator, std::vector<int>& out) {
  out.clear();
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(separator, start);
    if (end == std::string_view::npos) end = text.size();
    int value = 0;
    const auto part = text.substr(start, end - start);
    const auto [ptr, ec] = std::from_chars(part.data(), part.data() + part.size(), value);
    if (part.empty() || ec != std::errc() || ptr != part.data() + part.size()) return false;
    out.push_back(value);
    start = end + 1;
  }
  return true;
}

std::string_view trim(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// Appends name as a SQLite double-quoted name.
void appendQuotedName(std::string& out, std::string_view name) {
  out += '"';
  for (const char c : name) {
    out += c;
    if (c == '"') out += '"';
  }
  out += '"';
}

}  // namespace

std::string isoFromAccessDate(std::string_view literal) {
  literal = trim(literal);
  const std::size_t space = literal.find(' ');
  const std::string_view datePart = literal.substr(0, space);
  std::string_view timePart =
      space == std::string_view::npos ? std::string_view{} : trim(literal.substr(space + 1));
  std::vector<int> d;
  int year = 0, month = 0, day = 0;
  if (numbers(datePart, '/', d) && d.size() == 3) {
    month = d[0];
    day = d[1];
    year = d[2];
    if (datePart.size() - datePart.rfind('/') - 1 <= 2) year += year < 30 ? 2000 : 1900;
  } else if (numbers(datePart, '-', d) && d.size() == 3) {
    year = d[0];
    month = d[1];
    day = d[2];
  } else {
    return {};
  }
  if (month < 1 || month > 12 || day < 1 || day > 31 || year < 100 || year > 9999) return {};
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", year, month, day);
  std::string out = buffer;
  if (timePart.empty()) return out;
  bool pm = false, am = false;
  if (timePart.size() > 2) {
    const std::string_view tail = timePart.substr(timePart.size() - 2);
    pm = tail == "PM" || tail == "pm";
    am = tail == "AM" || tail == "am";
    if (pm || am) timePart = trim(timePart.substr(0, timePart.size() - 2));
  }
  std::vector<int> t;
  if (!numbers(timePart, ':', t) || t.size() < 2 || t.size() > 3) return {};
  int hour = t[0];
  if (pm && hour < 12) hour += 12;
  if (am && hour == 12) hour = 0;
  if (hour < 0 || hour > 23 || t[1] < 0 || t[1] > 59 ||
      (t.size() == 3 && (t[2] < 0 || t[2] > 59))) {
    return {};
  }
  // Each part is checked to be 0..59 (hours 0..23) above, so two digits hold it.
  const auto twoDigits = [](int v) { return std::string{char('0' + v / 10), char('0' + v % 10)}; };
  return out + " " + twoDigits(hour) + ":" + twoDigits(t[1]) + ":" +
         twoDigits(t.size() == 3 ? t[2] : 0);
}

TranslatedSql translateAccessSql(std::string_view sql) {
  TranslatedSql result;
  std::string& out = result.sql;
  out.reserve(sql.size() + 16);
  const std::size_t n = sql.size();
  std::size_t i = 0;
  while (i < n) {
    const char c = sql[i];
    if (c == '[') {
      // A bracketed name; "]]" inside stands for "]".
      std::string name;
      std::size_t j = i + 1;
      bool closed = false;
      while (j < n) {
        if (sql[j] == ']') {
          if (j + 1 < n && sql[j + 1] == ']') {
            name += ']';
            j += 2;
            continue;
          }
          closed = true;
          break;
        }
        name += sql[j++];
      }
      if (!closed) {
        out.append(sql.substr(i));
        break;
      }
      appendQuotedName(out, name);
      result.names.push_back(std::move(name));
      i = j + 1;
    } else if (c == '"' || c == '\'' || c == '`') {
      // A literal (double quotes become single ones) or a quoted name.
      std::string inside;
      std::size_t j = i + 1;
      bool closed = false;
      while (j < n) {
        if (sql[j] == c) {
          if (j + 1 < n && sql[j + 1] == c) {
            inside += c;
            j += 2;
            continue;
          }
          closed = true;
          break;
        }
        inside += sql[j++];
      }
      if (!closed) {
        out.append(sql.substr(i));
        break;
      }
      if (c == '`') {
        appendQuotedName(out, inside);
        result.names.push_back(std::move(inside));
      } else {
        out += '\'';
        for (const char k : inside) {
          out += k;
          if (k == '\'') out += '\'';
        }
        out += '\'';
      }
      i = j + 1;
    } else if (c == '#') {
      const std::size_t close = sql.find('#', i + 1);
      const std::string iso = close == std::string_view::npos
                                  ? std::string{}
                                  : isoFromAccessDate(sql.substr(i + 1, close - i - 1));
      if (iso.empty()) {
        out += c;
        ++i;
      } else {
        out += '\'' + iso + '\'';
        i = close + 1;
      }
    } else if (c == '&') {
      out += "||";
      ++i;
    } else if (c == '-' && i + 1 < n && sql[i + 1] == '-') {
      const std::size_t end = sql.find('\n', i);
      const std::size_t stop = end == std::string_view::npos ? n : end;
      out.append(sql.substr(i, stop - i));
      i = stop;
    } else if (c == '/' && i + 1 < n && sql[i + 1] == '*') {
      const std::size_t end = sql.find("*/", i + 2);
      const std::size_t stop = end == std::string_view::npos ? n : end + 2;
      out.append(sql.substr(i, stop - i));
      i = stop;
    } else if (isWordByte(static_cast<unsigned char>(c))) {
      std::size_t j = i;
      while (j < n && isWordByte(static_cast<unsigned char>(sql[j]))) ++j;
      const std::string_view word = sql.substr(i, j - i);
      out.append(word);
      if (!(word[0] >= '0' && word[0] <= '9')) result.names.emplace_back(word);
      i = j;
    } else {
      out += c;
      ++i;
    }
  }
  return result;
}

}  // namespace zendra
