#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/grid/cell_grid.h"

namespace zendra {

// Everything one cell has: content, number format, alignment, lock and colours.
struct CellState {
  CellKind kind = CellKind::Empty;
  double value = 0;
  int decimals = 0;
  HAlign align = HAlign::General;
  bool locked = false;
  std::string text;  // a text cell's text
  std::optional<Colour> back;
  std::optional<Colour> fore;
  bool operator==(const CellState&) const = default;
};

CellState readCell(const CellGrid& grid, std::int32_t row, std::int32_t col);
// Makes the cell exactly what the state says.
void writeCell(CellGrid& grid, std::int32_t row, std::int32_t col, const CellState& cell);

// The bytes a copy of the grid takes, counting the texts and colours of the cells that
// have them; what a whole-grid snapshot costs.
std::size_t gridBytes(const CellGrid& grid);

// A copy of a block of cells that can be put back. Kept as the grid keeps cells: a
// small record a cell, with texts and colours only for the cells that have them.
class BlockSnapshot {
 public:
  BlockSnapshot() = default;
  // Copies the block, clipped to the grid.
  BlockSnapshot(const CellGrid& grid, const Block& block);

  const Block& block() const { return block_; }
  // Writes every cell of the block back as it was copied.
  void restore(CellGrid& grid) const;
  std::size_t memoryBytes() const;
  // The most a copy of a block costs (every cell unlike the one before it), known before
  // copying it.
  static std::size_t mostBytes(const Block& block);

 private:
  // A run of count cells in a row (row by row through the block) that hold the same
  // number, kind and format: a laid-out grid's empty cells take one run a row.
  struct Plain {
    double value = 0;
    CellKind kind = CellKind::Empty;
    std::uint8_t decimals = 0;
    HAlign align = HAlign::General;
    bool locked = false;
    std::uint32_t count = 1;
    bool sameCell(const Plain& other) const;
  };
  struct Extra {
    std::size_t index = 0;  // of the cell within the block, row by row
    std::string text;
    std::optional<Colour> back;
    std::optional<Colour> fore;
  };

  Block block_{1, 1, 0, 0};
  std::vector<Plain> cells_;
  std::vector<Extra> extras_;
};

// A copy of a whole grid kept for undo by a step that lays the grid out anew. Undo and
// redo swap it with the grid shown, which costs nothing.
class GridCopy {
 public:
  // Copies grid. False, keeping nothing, when the copy would be past snapshotLimitBytes()
  // or memory runs out: the step is then done without undo.
  bool take(const CellGrid& grid);
  void swapWith(CellGrid& grid) { std::swap(grid, copy_); }
  std::size_t bytes() const { return bytes_; }

 private:
  CellGrid copy_;
  std::size_t bytes_ = 0;
};

}  // namespace zendra
