#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "core/grid/cell_grid.h"
#include "core/model/vexa_mess.h"

namespace zendra {

// Lays the data grid out from a table document: the stub variables' values down the
// left, the heading variables' values across the top, one cell per combination, and
// keeps that layout in step with value changes. Labels show codes when a variable uses
// codes and showCodes (the program-wide View setting) is on, value texts otherwise.
//
// Normal form: row 1 column 1 holds the description (or the title), rows 2..h+1 the
// heading labels, columns 1..s the stub labels, and the data area starts at
// (DataRow1, DataCol1) = (h+2, s+1). Keys form: row 2 holds the stub variables' names
// (the key columns the user fills) and "Cell Value", heading label rows as in the
// normal form over the data columns, and one empty entry row.

// Lays the grid out from scratch, which empties every cell. With load set, every data
// cell also gets SaveDecimals decimals. Returns false, leaving the grid as it was and
// GridCreated false, when there is nothing to lay out: no variable, a variable without
// values, or a table too large for a grid. When the memory for the cells or labels
// cannot be had it returns false too and leaves the grid empty.
bool CreateGrid(VexaMess& doc, CellGrid& grid, bool load, bool showCodes);

// Computes NumRows and NumCols and sizes the grid for them. False when a variable has
// no values or the table is too large; then nothing is changed. False also when the
// memory for the cells cannot be had; the grid is empty then.
bool SizeGrid(VexaMess& doc, CellGrid& grid);

// Rewrite the label columns (normal form) or the label rows from the current values.
void WriteStubLabels(const VexaMess& doc, CellGrid& grid, bool showCodes);
void WriteHeadingLabels(const VexaMess& doc, CellGrid& grid, bool showCodes);
// Rewrites the keys form's header row: the stub variables' names and "Cell Value".
void WriteKeysHeader(const VexaMess& doc, CellGrid& grid);

enum class ValueChange : int {
  TextChanged = 0,  // a value's text or code changed
  Added = 1,        // a value was added as the variable's last value
  Removing = 2,     // the value at a position is about to be removed
};

// Keeps the grid in step after one value of variable changed, was added, or (before it
// leaves the variable) is about to be removed; position is the 1-based position of the
// value being removed. Every other cell keeps its content under its old labels.
void UpdateForValueChange(VexaMess& doc, CellGrid& grid, const DimensionData& variable,
                          ValueChange kind, std::int32_t position, bool showCodes);

// The whole rows (stub variable) or columns (heading variable) the value at a 1-based
// position covers, first to last: the cells UpdateForValueChange deletes when that value
// is removed. Empty when the grid follows the value by its labels alone.
std::vector<Block> ValueCells(const VexaMess& doc, const CellGrid& grid,
                              const DimensionData& variable, std::int32_t position);

// The data cells: from (DataRow1, DataCol1) to the grid's last row and column.
Block DataArea(const VexaMess& doc, const CellGrid& grid);

// A data cell of the normal form named by what it stands for: the value of every variable
// (the objects themselves, so that a cell is found again after values or variables were
// added, removed or reordered). Empty for a cell that is no data cell.
struct CellAddress {
  std::vector<std::pair<const DimensionData*, const ValueAndCode*>> values;
  bool empty() const { return values.empty(); }
};
CellAddress AddressOf(const VexaMess& doc, std::int32_t row, std::int32_t col);
// Where the cell of address stands in the grid laid out now: a variable that is new goes to
// its first value. False when a value of the address is gone or the grid is not laid out.
bool FindAddress(const VexaMess& doc, const CellAddress& address, std::int32_t& row,
                 std::int32_t& col);

// Keeps the current cell on a data cell of a laid-out grid (in the keys form, a key cell
// too): the cell of the values it had (was, taken before a new layout) when they are still
// there, else the cell it is on when that is a data cell, else the first data cell. The
// selection becomes that one cell when it moves; typing then always reaches the table.
void KeepCurrentOnData(const VexaMess& doc, CellGrid& grid, const CellAddress& was = {});

// Gives every data cell SaveDecimals decimals and sets GridDecimals to SaveDecimals.
void SetCellDecimals(VexaMess& doc, CellGrid& grid);

// Keys form: sorts the data rows (DataRow1 to the last row but one, all columns) by the
// key columns, first key column first.
void SortKeysRows(const VexaMess& doc, CellGrid& grid);
// The keys form's data rows (the entry row left out; empty in the normal form) and the
// order the sort gives them (see CellGrid::sortOrder).
Block KeysRowsBlock(const VexaMess& doc, const CellGrid& grid);
std::vector<std::size_t> KeysRowsOrder(const VexaMess& doc, const CellGrid& grid);

// Extends a grid that holds data for a one-valued variable just added to the document
// (the last stub variable, or the first heading variable): one new label column or
// label row, the cells keeping their contents. Returns false, the grid and the layout
// unchanged, when there is no memory for the new row or column.
bool AddOneValuedVariable(VexaMess& doc, CellGrid& grid, const DimensionData& variable,
                          bool showCodes);
// Writes every label of a laid-out grid anew from the document: the description, the
// heading's label rows, and the stub's label columns (in the keys form the header row of
// the key columns instead; the keys typed into them stay). Data cells are left alone.
void RelabelGrid(const VexaMess& doc, CellGrid& grid, bool showCodes);

// Editing rules the grid widget calls.
//
// After an edit of a cell in the data area: a numeric text (in the grid's decimal
// character) makes it a number cell with SaveDecimals decimals; any other text keeps
// it a right-aligned text cell. Cells outside the data area are left alone.
void ConvertEditedCell(const VexaMess& doc, CellGrid& grid, std::int32_t row, std::int32_t col);

// The Delete key: empties the selected block, or the current cell when nothing is
// selected. Whole-row or whole-column bounds (-1) cover the whole grid in that
// direction. Locked cells of a protected grid are kept.
void ClearSelectionOrCurrent(CellGrid& grid);

// Keys form: adds formatted rows (one unless told) at the end of the grid and counts
// them in NumRows.
bool AppendKeysRow(VexaMess& doc, CellGrid& grid, std::int32_t count = 1);

// Keys form: an edit in the last grid row adds one row, so that an empty entry row
// always stays below the keys. Returns true when a row was added.
bool GrowKeysEntryRow(VexaMess& doc, CellGrid& grid, std::int32_t editedRow);

}  // namespace zendra
