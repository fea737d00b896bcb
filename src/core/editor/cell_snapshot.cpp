#include "core/editor/cell_snapshot.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <limits>
#include <new>

#include "core/editor/history.h"

namespace zendra {
namespace {

// The grid keeps a text and colours in a side record only for the cells that have them.
constexpr std::size_t kCellBytes = 16;
constexpr std::size_t kExtraBytes = sizeof(std::string) + 2 * sizeof(std::optional<Colour>);

std::size_t cellCount(const Block& block) {
  if (block.empty()) return 0;
  return static_cast<std::size_t>(block.row2 - block.row1 + 1) *
         static_cast<std::size_t>(block.col2 - block.col1 + 1);
}

}  // namespace

CellState readCell(const CellGrid& grid, std::int32_t row, std::int32_t col) {
  CellState cell;
  cell.kind = grid.kind(row, col);
  cell.value = grid.number(row, col);
  cell.decimals = grid.decimals(row, col);
  cell.align = grid.alignment(row, col);
  cell.locked = grid.locked(row, col);
  cell.text = std::string(grid.storedText(row, col));
  cell.back = grid.backColour(row, col);
  cell.fore = grid.foreColour(row, col);
  return cell;
}

void writeCell(CellGrid& grid, std::int32_t row, std::int32_t col, const CellState& cell) {
  switch (cell.kind) {
    case CellKind::Empty:
      grid.clearCell(row, col);
      break;
    case CellKind::Text:
      grid.setText(row, col, cell.text);
      break;
    case CellKind::Number:
      grid.setNumber(row, col, cell.value, cell.decimals);
      break;
  }
  grid.setDecimals(row, col, cell.decimals);
  grid.setAlignment(row, col, cell.align);
  grid.setLocked(row, col, cell.locked);
  grid.setColours(row, col, cell.back, cell.fore);
}

std::size_t gridBytes(const CellGrid& grid) {
  std::size_t bytes = sizeof(CellGrid) + cellCount(grid.all()) * kCellBytes +
                      static_cast<std::size_t>(grid.colCount()) * sizeof(float);
  for (std::int32_t r = 1; r <= grid.rowCount(); ++r) {
    for (std::int32_t c = 1; c <= grid.colCount(); ++c) {
      if (grid.kind(r, c) == CellKind::Text) {
        bytes += kExtraBytes + grid.storedText(r, c).size();
      } else if (grid.backColour(r, c) || grid.foreColour(r, c)) {
        bytes += kExtraBytes;
      }
    }
  }
  return bytes;
}

bool BlockSnapshot::Plain::sameCell(const Plain& other) const {
  return std::bit_cast<std::uint64_t>(value) == std::bit_cast<std::uint64_t>(other.value) &&
         kind == other.kind && decimals == other.decimals && align == other.align &&
         locked == other.locked;
}

BlockSnapshot::BlockSnapshot(const CellGrid& grid, const Block& block) : block_(grid.clip(block)) {
  std::size_t index = 0;
  for (std::int32_t r = block_.row1; r <= block_.row2 && !block_.empty(); ++r) {
    for (std::int32_t c = block_.col1; c <= block_.col2; ++c, ++index) {
      CellState cell = readCell(grid, r, c);
      const Plain plain{cell.value, cell.kind, static_cast<std::uint8_t>(cell.decimals), cell.align,
                        cell.locked};
      if (!cells_.empty() && cells_.back().sameCell(plain) &&
          cells_.back().count < std::numeric_limits<std::uint32_t>::max()) {
        ++cells_.back().count;
      } else {
        cells_.push_back(plain);
      }
      if (!cell.text.empty() || cell.back || cell.fore) {
        extras_.push_back({index, std::move(cell.text), cell.back, cell.fore});
      }
    }
  }
  cells_.shrink_to_fit();
}

void BlockSnapshot::restore(CellGrid& grid) const {
  std::size_t index = 0;
  auto run = cells_.begin();
  std::uint32_t left = run == cells_.end() ? 0 : run->count;
  auto extra = extras_.begin();
  for (std::int32_t r = block_.row1; r <= block_.row2 && !block_.empty(); ++r) {
    for (std::int32_t c = block_.col1; c <= block_.col2; ++c, ++index) {
      if (left == 0) left = (++run)->count;
      --left;
      const Plain& plain = *run;
      CellState cell{plain.kind, plain.value, plain.decimals, plain.align, plain.locked, {},
                     {},         {}};
      if (extra != extras_.end() && extra->index == index) {
        cell.text = extra->text;
        cell.back = extra->back;
        cell.fore = extra->fore;
        ++extra;
      }
      writeCell(grid, r, c, cell);
    }
  }
}

std::size_t BlockSnapshot::memoryBytes() const {
  std::size_t bytes =
      sizeof(*this) + cells_.capacity() * sizeof(Plain) + extras_.capacity() * sizeof(Extra);
  for (const auto& extra : extras_) bytes += extra.text.capacity();
  return bytes;
}

std::size_t BlockSnapshot::mostBytes(const Block& block) {
  return cellCount(block) * sizeof(Plain);
}

bool GridCopy::take(const CellGrid& grid) {
  copy_ = CellGrid();
  bytes_ = 0;
  const std::size_t bytes = gridBytes(grid);
  if (bytes > snapshotLimitBytes()) return false;
  try {
    copy_ = grid;
  } catch (const std::bad_alloc&) {
    copy_ = CellGrid();
    return false;
  }
  bytes_ = bytes;
  return true;
}

}  // namespace zendra
