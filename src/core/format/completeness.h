#pragma once

#include <string>
#include <string_view>

#include "core/format/data_builder.h"
#include "core/grid/cell_grid.h"
#include "core/model/vexa_mess.h"

namespace zendra {

// Whether a table holds what a viewer needs to load it: the mandatory metadata,
// variables with unique, non-empty values, well-formed time values, units for every
// content, codes wherever a map is used, and data cells that are numbers or accepted
// symbols. Every problem gives one message line (ending in CR LF), in a fixed order.
struct Completeness {
  bool complete = false;
  std::string messages;
  DataCheck check;  // what the cell test found
};

// Runs every rule. Keys-form rows end up sorted by their keys and faulty cells are
// painted (the cell test runs the DATA builder over the grid, which may be none).
Completeness test_file_complete(VexaMess& doc, CellGrid* grid);

// The text the test page shows: the message lines, or "VQ file is complete " (with a
// remark when a cell holds "-").
std::string Test_Complete(VexaMess& doc, CellGrid* grid);

// True when code is one of the time scales a time value can have: A1 (years), H1
// (half-years), Q1 (quarters), M1 (months) or W1 (weeks).
bool IsTimeScale(std::string_view code);

// True when the table has a variable and every variable has a value: the grid can be
// laid out.
bool StructureComplete(const VexaMess& doc);

}  // namespace zendra
