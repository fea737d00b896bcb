#pragma once

#include <cstdint>
#include <string_view>

#include "core/grid/cell_grid.h"
#include "core/model/prompt.h"

namespace zendra {

// The cells a normal-form DATA section fills, row by row: rows by cols cells from
// (row1, col1), numbers stored with decimals.
struct DataCells {
  std::int32_t row1 = 1;
  std::int32_t col1 = 1;
  std::int32_t rows = 0;
  std::int32_t cols = 0;
  int decimals = 0;
};

enum class PlainDataResult { NotPlain, Loaded, Cancelled };

// Reads a DATA section (text: from just after "DATA=" to the end of the file) into the
// data area of grid on the machine's cores, when it is plain: up to its ";" (or the end)
// only unquoted elements made of digits, ".", "+", "-", "e" and "E", between blanks, tabs,
// commas and line breaks, as large tables of numbers are written. Each element becomes
// what reading it element by element gives: a number cell when it is numeric, else a text
// cell ("..", "-"); elements past the last cell are counted in surplus. The data area's
// cells must hold no texts or colours (a fresh layout).
//
// Any other text returns NotPlain with the grid untouched, for the caller to read element
// by element. Progress goes to prompt as a position in the file, whose size is fileSize
// and where text starts at offset; a Cancel there returns Cancelled, the grid half filled.
PlainDataResult ReadPlainData(std::string_view text, CellGrid& grid, const DataCells& area,
                              Prompt& prompt, std::int64_t offset, std::int64_t fileSize,
                              std::int64_t& surplus);

}  // namespace zendra
