#pragma once

#include <cstdint>
#include <string>

#include "core/database/any_database.h"

// Reading a variable's values from a code table of a database: one value per row, its
// code from one field (or none) and its text from another.
namespace zendra {

class DimensionData;

// The statement that reads a code table: "SELECT " + code field + "," + value field +
// " from " + table, every name bracketed; without a code field a constant 1 stands in
// its place ("SELECT  1,..."), so the text is always the second column.
std::string codeListQuery(const std::string& table, const std::string& codeField,
                          const std::string& valueField);
// The statement for db: as above for a database file; for a server, SELECT DISTINCT with
// its own quoting, ordered by code (or text), so that the values are each pair once.
std::string codeListQuery(const clsAnyDatabase& db, const std::string& table,
                          const std::string& codeField, const std::string& valueField);

// Replaces variable's values by the rows of the current table of db, in the engine's
// order: code from the field at codeField (0-based; -1 for no codes) and text from the
// field at valueField, each as dbValueText gives it (Null as "'Null'"). UseCodes tells
// whether codes were read. Repeated rows give repeated values. When the statement fails
// the variable is left without values and the result says why.
DbResult readCodeList(clsAnyDatabase& db, std::int32_t codeField, std::int32_t valueField,
                      DimensionData& variable);

}  // namespace zendra
