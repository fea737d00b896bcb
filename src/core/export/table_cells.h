#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/grid/cell_grid.h"
#include "core/model/vexa_mess.h"

namespace zendra {

// One data cell of a table as the exporters see it.
struct ExportCell {
  enum class Kind { Number, Symbol, Missing, Invalid };
  Kind kind = Kind::Missing;
  // Number: the number as the file writes it ("." as decimal point, the cell's decimals);
  // Symbol and Invalid: the trimmed text; Missing: empty.
  std::string text;
  // The 0-based position of the cell's value in each variable of Dimensions (stub
  // variables first, then heading variables).
  std::vector<std::int32_t> values;
};

// What walking the cells found besides the cells.
struct ExportWalk {
  std::int64_t cells = 0;
  // Keys form: rows left out because a key names no value of its variable.
  std::int64_t unknownKeyRows = 0;
};

// Calls visit for every data cell in stub-then-heading order (the order of the DATA
// section). Normal form: every cell of the data area. Keys form: the rows that have a
// key, as they stand in the grid; cells of the data columns only. visit may return false
// to stop the walk (a Cancel); the cell object is reused between calls.
ExportWalk ForEachCell(const VexaMess& doc, const CellGrid& grid,
                       const std::function<bool(const ExportCell&)>& visit);

}  // namespace zendra
