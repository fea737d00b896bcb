#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zendra {

// A statement in the SQL that Access users write, turned into SQLite's: bracketed names
// (where "]]" stands for "]") become double-quoted names, double-quoted literals become
// single-quoted ones, "&" becomes "||" and #date# literals become ISO text. Names and
// single-quoted literals pass unchanged, so a SQLite statement comes through as it is.
struct TranslatedSql {
  std::string sql;
  // Every bare word and bracketed or quoted name, in order (with repeats), that may name
  // a table or query.
  std::vector<std::string> names;
};
TranslatedSql translateAccessSql(std::string_view sql);

// The ISO text of an Access date literal's inside ("3/4/2021", "2021-03-04",
// "3/4/2021 10:30:00 PM"); empty when it is not a date.
std::string isoFromAccessDate(std::string_view literal);

}  // namespace zendra
