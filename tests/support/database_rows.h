#pragma once

#include <string>
#include <vector>

#include "core/database/any_database.h"

namespace zendra::test {

// The rows of the open recordset from its first record on, each row's values as codes
// are matched against them, joined by "|".
inline std::vector<std::string> rowsOf(clsAnyDatabase& db) {
  std::vector<std::string> rows;
  for (db.MoveFirst(); !db.AtEOF(); db.MoveNext()) {
    std::string row;
    for (std::int32_t c = 0; c < db.FieldCount(); ++c) {
      row += (c ? "|" : "") + dbValueText(db.Field(c));
    }
    rows.push_back(row);
  }
  return rows;
}

}  // namespace zendra::test
