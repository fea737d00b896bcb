#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/grid/cell_grid.h"

namespace zendra {

// A block of cell texts as the clipboard carries it between grids, spreadsheets and text
// editors: a tab between the cells of a row and a line feed after each row. A text that
// does not end with a line feed reads as if it did, and a carriage return just before a
// line feed (or at the very end) is dropped, so a spreadsheet's CR LF text reads the same.
//
// The texts are kept back to back in one string, so a block of a million cells costs
// about the bytes of its text and one offset a cell.
class ClipboardBlock {
 public:
  ClipboardBlock() = default;
  static ClipboardBlock parse(std::string_view text);

  bool empty() const { return rowStart_.size() <= 1; }
  // The number of rows (line feeds, counting a missing final one).
  std::int32_t rows() const { return static_cast<std::int32_t>(rowStart_.size()) - 1; }
  // The block's width as the clipboard tells it: the cells of the first row (one more
  // than its tabs). Later rows may have more or fewer.
  std::int32_t columns() const { return empty() ? 0 : fields(0); }
  // The cells of the longest row.
  std::int32_t widest() const { return widest_; }
  // The cells of one row (0-based).
  std::int32_t fields(std::int32_t row) const {
    const auto r = static_cast<std::size_t>(row);
    return static_cast<std::int32_t>(rowStart_[r + 1] - rowStart_[r]);
  }
  // A cell's text (0-based); empty past the end of its row or of the block.
  std::string_view cell(std::int32_t row, std::int32_t col) const;
  // The bytes the block keeps.
  std::size_t memoryBytes() const {
    return sizeof(*this) + text_.capacity() +
           (ends_.capacity() + rowStart_.capacity()) * sizeof(std::size_t);
  }

 private:
  std::string text_;                   // every cell's text, back to back
  std::vector<std::size_t> ends_;      // where each cell's text ends in text_
  std::vector<std::size_t> rowStart_;  // each row's first cell in ends_, and the end
  std::int32_t widest_ = 0;
};

// Writes a block in the clipboard's format from a cell source that appends the text of
// cell (row, col), both 0-based, to out. A tab, line feed or carriage return inside a
// cell's text becomes a blank, so that the block keeps its shape.
using CellTextSource = std::function<void(std::int32_t row, std::int32_t col, std::string& out)>;
std::string FormatClipboardBlock(std::int32_t rows, std::int32_t cols, const CellTextSource& cell);
// A block of a grid (clipped to it) with the texts the grid shows: numbers with their
// decimals and the grid's decimal character.
std::string FormatClipboardBlock(const CellGrid& grid, const Block& block);

// A grid's own paste: the block's texts written as they are from a cell on, as far as
// the grid reaches; cells of a row past its end are left alone. Returns the cells written.
Block WriteClipboardBlock(CellGrid& grid, std::int32_t row, std::int32_t col,
                          const ClipboardBlock& block);

}  // namespace zendra
