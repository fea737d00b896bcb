#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/grid/cell_grid.h"
#include "core/database/any_database.h"
#include "core/model/vexa_mess.h"

// Filling a table's data cells from a database: an aggregating statement groups the
// rows of a table or query by one field per variable, and each result row (the fields of
// the variables in the order of Dimensions, then the count or sum) becomes one cell.
namespace zendra {

// The statement that counts the records (sumField empty) or sums sumField, grouped by the
// fields, one per variable in the order of Dimensions. Names are bare; they are bracketed
// here, so that any name names itself.
std::string CountSql(const std::vector<std::string>& fields, const std::string& source);
std::string SumSql(const std::vector<std::string>& fields, const std::string& sumField,
                   const std::string& source);
// The same written for db: names quoted as its engine quotes them, the source (a table or
// query as the lists show it) with its schema where it has one.
std::string CountSql(const clsAnyDatabase& db, const std::vector<std::string>& fields,
                     const std::string& source);
std::string SumSql(const clsAnyDatabase& db, const std::vector<std::string>& fields,
                   const std::string& sumField, const std::string& source);

// A statement that CountSql or SumSql wrote for db, taken apart again: the fields grouped
// by, the field summed (empty for a count) and the source. Only names written in brackets
// are read back, and the text must be exactly what CountSql or SumSql writes for them, so
// an edited or typed statement is never taken for one.
struct GeneratedGrouping {
  std::vector<std::string> fields;
  std::string sumField;
  std::string source;
};
std::optional<GeneratedGrouping> RecogniseGeneratedSql(const clsAnyDatabase& db,
                                                       const std::string& sql);

// A statement's result held in memory: its rows, each of `columns` values.
struct DbRows {
  std::int32_t columns = 0;
  std::vector<std::vector<DbValue>> rows;
};

// Reads every row of the recordset open in db, from its first record on.
DbRows ReadDbRows(clsAnyDatabase& db);

// Runs sql on db and reads its rows; the recordset is closed afterwards. Not ok when the
// engine refuses the statement.
DbResult RunDbQuery(clsAnyDatabase& db, const std::string& sql, DbRows& out);

// Why a result cannot fill the table: it needs one column per variable and one for the
// value. Empty when the shape fits.
std::string DbShapeError(const VexaMess& doc, const DbRows& result);

// One cell write of a placement.
struct DbCellWrite {
  enum class Kind { Number, Text, Clear };
  std::int32_t row = 0;
  std::int32_t col = 0;
  Kind kind = Kind::Number;
  double number = 0;
  std::string text;
};

// Where the rows of a result go, worked out before anything is written.
struct DbPlacement {
  // One line per refused row ("Code: 01 in Region is  invalid", a value that is not a
  // number); with any, nothing may be written.
  std::vector<std::string> errors;
  std::vector<DbCellWrite> writes;
  // Keys form: rows filled from the entry row (the grid's last) on; as many new rows
  // follow so that an empty entry row stays last.
  std::int32_t filledRows = 0;
  bool keysForm = false;

  bool ok() const { return errors.empty(); }
};

// Works out the placement of a result whose shape fits (see DbShapeError) in the
// document's laid-out grid.
// - Normal form: the variables' fields are matched with the values' codes (or texts for
//   a variable without codes), exactly first, else without regard to letter case; a Null
//   is the code 'Null'. An unknown code refuses the row. The stub positions give the row
//   from DataRow1 and the heading positions the column from DataCol1 (mixed radix, the
//   first variable most significant). A Null value leaves the cell empty.
// - Keys form: each row fills the entry row and a new one follows; the key columns get
//   the stub fields as text, a Null leaving its cell untouched. Without heading variables
//   the value goes to the first data column. With heading variables, the heading fields
//   are matched as in the normal form and give the data column, and rows with the same
//   keys (letter case aside) share one grid row.
// - A value that is neither Null nor a number refuses the row.
DbPlacement PlaceDbRows(const VexaMess& doc, const CellGrid& grid, const DbRows& result);

// Writes a placement without errors into the grid (adding the keys form's rows) and sets
// GridHasData. False when the keys form's rows cannot be added (no memory); nothing is
// written then.
bool ApplyDbPlacement(VexaMess& doc, CellGrid& grid, const DbPlacement& placement);

}  // namespace zendra
