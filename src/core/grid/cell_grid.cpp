#include "core/grid/cell_grid.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>
#include <new>
#include <numeric>
#include <type_traits>

#include "core/encoding/utf8.h"
#include "core/grid/machine_memory.h"
#include "core/grid/numeric.h"
#include "core/model/text_compare.h"

namespace zendra {
namespace {

std::uint8_t clampDecimals(int decimals) {
  return static_cast<std::uint8_t>(std::clamp(decimals, 0, 99));
}

// Characters (code points) of a UTF-8 text.
std::int32_t charCount(std::string_view text) {
  return static_cast<std::int32_t>(utf8Length(text));
}

}  // namespace

std::int64_t CellGrid::defaultMaxCells() {
  static const std::int64_t cap = [] {
    const std::uint64_t memory = usableMemoryBytes();
    if (memory == 0) return kMaxCells;
    const auto fits = static_cast<std::int64_t>(
        std::min<std::uint64_t>(memory / 2 / sizeof(Cell), static_cast<std::uint64_t>(kMaxCells)));
    return fits;
  }();
  return cap;
}

void CellGrid::checkBudget(std::size_t cells) const {
  if (memoryBudget_ && cells > *memoryBudget_ / sizeof(Cell)) throw std::bad_alloc();
}

void CellGrid::clear() noexcept {
  CellGrid empty;
  empty.maxCells_ = maxCells_;
  empty.memoryBudget_ = memoryBudget_;
  empty.decimalChar_.swap(decimalChar_);
  *this = std::move(empty);
}

bool CellGrid::setSize(std::int32_t rows, std::int32_t cols) {
  if (rows < 0 || cols < 0) return false;
  if (static_cast<std::int64_t>(rows) * cols > maxCells_) return false;
  const std::size_t count = static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols);
  // Everything that allocates comes first, so that a failure leaves the grid as it was.
  try {
    if (cols == cols_) {
      if (count > cells_.size()) {
        checkBudget(count);
        cells_.resize(count);
      } else {
        for (auto i = count; i < cells_.size(); ++i) release(cells_[i]);
        cells_.resize(count);
      }
    } else {
      checkBudget(count);
      std::vector<Cell> resized(count);
      widths_.resize(static_cast<std::size_t>(cols), kDefaultColumnWidth);
      const std::int32_t keepCols = std::min(cols, cols_);
      for (std::int32_t r = 1; r <= rows_; ++r) {
        for (std::int32_t c = 1; c <= cols_; ++c) {
          Cell& cell = cells_[index(r, c)];
          if (r <= rows && c <= keepCols) {
            resized[static_cast<std::size_t>(r - 1) * static_cast<std::size_t>(cols) +
                    static_cast<std::size_t>(c - 1)] = cell;
          } else {
            release(cell);
          }
        }
      }
      cells_ = std::move(resized);
    }
  } catch (const std::bad_alloc&) {
    return false;
  }
  rows_ = rows;
  cols_ = cols;
  widths_.resize(static_cast<std::size_t>(cols), kDefaultColumnWidth);  // never grows here
  clampCurrent();
  return true;
}

void CellGrid::clampCurrent() {
  if (rows_ == 0 || cols_ == 0) {
    curRow_ = curCol_ = 0;
    return;
  }
  curRow_ = std::clamp(curRow_, 1, rows_);
  curCol_ = std::clamp(curCol_, 1, cols_);
}

Block CellGrid::clip(Block block) const {
  if (block.row1 == -1 || block.row2 == -1) {
    block.row1 = 1;
    block.row2 = rows_;
  }
  if (block.col1 == -1 || block.col2 == -1) {
    block.col1 = 1;
    block.col2 = cols_;
  }
  block.row1 = std::max(block.row1, 1);
  block.col1 = std::max(block.col1, 1);
  block.row2 = std::min(block.row2, rows_);
  block.col2 = std::min(block.col2, cols_);
  return block;
}

void CellGrid::setCurrent(std::int32_t row, std::int32_t col) {
  curRow_ = row;
  curCol_ = col;
  clampCurrent();
}

CellGrid::Extra& CellGrid::extraOf(Cell& cell) {
  if (cell.extra == 0) {
    if (!freeExtras_.empty()) {
      cell.extra = freeExtras_.back();
      freeExtras_.pop_back();
    } else {
      extras_.emplace_back();
      cell.extra = static_cast<std::uint32_t>(extras_.size());
    }
  }
  return extras_[cell.extra - 1];
}

void CellGrid::release(Cell& cell) {
  if (cell.extra == 0) return;
  extras_[cell.extra - 1] = Extra{};
  freeExtras_.push_back(cell.extra);
  cell.extra = 0;
}

void CellGrid::releaseIfUnused(Cell& cell) {
  if (cell.extra != 0 && extras_[cell.extra - 1].unused()) release(cell);
}

void CellGrid::clearContent(Cell& cell) {
  cell.kind = CellKind::Empty;
  cell.value = 0;
  if (cell.extra) {
    extras_[cell.extra - 1].text.clear();
    releaseIfUnused(cell);
  }
}

CellKind CellGrid::kind(std::int32_t row, std::int32_t col) const {
  const Cell* cell = at(row, col);
  return cell ? cell->kind : CellKind::Empty;
}

void CellGrid::setText(std::int32_t row, std::int32_t col, std::string_view text) {
  Cell* cell = at(row, col);
  if (!cell) return;
  if (text.empty()) {
    clearContent(*cell);
    return;
  }
  // The text first: when its memory cannot be had, the cell stays as it was.
  extraOf(*cell).text.assign(text);
  cell->kind = CellKind::Text;
  cell->value = 0;
}

void CellGrid::setNumber(std::int32_t row, std::int32_t col, double value, int decimals) {
  Cell* cell = at(row, col);
  if (!cell) return;
  clearContent(*cell);
  cell->kind = CellKind::Number;
  cell->value = value;
  cell->decimals = clampDecimals(decimals);
}

void CellGrid::clearCell(std::int32_t row, std::int32_t col) {
  if (Cell* cell = at(row, col)) {
    clearContent(*cell);
    if (cell->extra) {
      extras_[cell->extra - 1].back.reset();
      extras_[cell->extra - 1].fore.reset();
      releaseIfUnused(*cell);
    }
  }
}

double CellGrid::number(std::int32_t row, std::int32_t col) const {
  const Cell* cell = at(row, col);
  return (cell && cell->kind == CellKind::Number) ? cell->value : 0.0;
}

std::string_view CellGrid::storedText(std::int32_t row, std::int32_t col) const {
  const Cell* cell = at(row, col);
  if (!cell || cell->kind != CellKind::Text) return {};
  return extraOf(*cell)->text;
}

void CellGrid::appendText(std::int32_t row, std::int32_t col, std::string& out) const {
  const Cell* cell = at(row, col);
  if (!cell) return;
  if (cell->kind == CellKind::Text) {
    out += extraOf(*cell)->text;
    return;
  }
  if (cell->kind != CellKind::Number) return;
  appendFixed(cell->value, cell->decimals, decimalChar_, out);
}

std::string CellGrid::text(std::int32_t row, std::int32_t col) const {
  std::string out;
  appendText(row, col, out);
  return out;
}

int CellGrid::decimals(std::int32_t row, std::int32_t col) const {
  const Cell* cell = at(row, col);
  return cell ? cell->decimals : 0;
}

void CellGrid::setDecimals(std::int32_t row, std::int32_t col, int decimals) {
  if (Cell* cell = at(row, col)) cell->decimals = clampDecimals(decimals);
}

HAlign CellGrid::alignment(std::int32_t row, std::int32_t col) const {
  const Cell* cell = at(row, col);
  return cell ? cell->align : HAlign::General;
}

void CellGrid::setAlignment(std::int32_t row, std::int32_t col, HAlign align) {
  if (Cell* cell = at(row, col)) cell->align = align;
}

bool CellGrid::locked(std::int32_t row, std::int32_t col) const {
  const Cell* cell = at(row, col);
  return cell && (cell->flags & kLocked);
}

void CellGrid::setLocked(std::int32_t row, std::int32_t col, bool on) {
  if (Cell* cell = at(row, col)) {
    cell->flags = on ? (cell->flags | kLocked) : (cell->flags & ~kLocked);
  }
}

std::optional<Colour> CellGrid::backColour(std::int32_t row, std::int32_t col) const {
  const Cell* cell = at(row, col);
  const Extra* extra = cell ? extraOf(*cell) : nullptr;
  return extra ? extra->back : std::nullopt;
}

std::optional<Colour> CellGrid::foreColour(std::int32_t row, std::int32_t col) const {
  const Cell* cell = at(row, col);
  const Extra* extra = cell ? extraOf(*cell) : nullptr;
  return extra ? extra->fore : std::nullopt;
}

void CellGrid::setColours(std::int32_t row, std::int32_t col, std::optional<Colour> back,
                          std::optional<Colour> fore) {
  Cell* cell = at(row, col);
  if (!cell) return;
  if (!back && !fore && cell->extra == 0) return;
  Extra& extra = extraOf(*cell);
  extra.back = back;
  extra.fore = fore;
  releaseIfUnused(*cell);
}

template <typename F>
void CellGrid::forBlock(const Block& block, F&& f) {
  const std::int32_t r1 = std::max(block.row1, 1), r2 = std::min(block.row2, rows_);
  const std::int32_t c1 = std::max(block.col1, 1), c2 = std::min(block.col2, cols_);
  if (r1 > r2 || c1 > c2) return;
  for (std::int32_t r = r1; r <= r2; ++r) {
    Cell* rowStart = &cells_[index(r, 1)];
    for (std::int32_t c = c1; c <= c2; ++c) f(rowStart[c - 1]);
  }
}

void CellGrid::clearBlock(const Block& block) {
  forBlock(block, [this](Cell& cell) {
    cell.kind = CellKind::Empty;
    cell.value = 0;
    release(cell);
  });
}

void CellGrid::setBlockAlignment(const Block& block, HAlign align) {
  forBlock(block, [align](Cell& cell) { cell.align = align; });
}

void CellGrid::setBlockLocked(const Block& block, bool on) {
  forBlock(block, [on](Cell& cell) {
    cell.flags = on ? (cell.flags | kLocked) : (cell.flags & ~kLocked);
  });
}

void CellGrid::setBlockDecimals(const Block& block, int decimals) {
  const auto d = clampDecimals(decimals);
  forBlock(block, [d](Cell& cell) { cell.decimals = d; });
}

void CellGrid::setBlockColours(const Block& block, std::optional<Colour> back,
                               std::optional<Colour> fore) {
  forBlock(block, [&](Cell& cell) {
    if (!back && !fore && cell.extra == 0) return;
    Extra& extra = extraOf(cell);
    extra.back = back;
    extra.fore = fore;
    releaseIfUnused(cell);
  });
}

void CellGrid::clearAll() {
  // An empty cell is all zero bytes; the C library clears large arrays fastest.
  static_assert(std::is_trivially_copyable_v<Cell>);
  if (!cells_.empty()) {
    std::memset(static_cast<void*>(cells_.data()), 0, cells_.size() * sizeof(Cell));
  }
  extras_.clear();
  freeExtras_.clear();
}

bool CellGrid::insertRows(std::int32_t before, std::int32_t count) {
  if (count <= 0 || before < 1 || before > rows_ + 1) return false;
  const std::int64_t newRows = static_cast<std::int64_t>(rows_) + count;
  if (newRows > std::numeric_limits<std::int32_t>::max() || newRows * cols_ > maxCells_) {
    return false;
  }
  const std::size_t added = static_cast<std::size_t>(count) * static_cast<std::size_t>(cols_);
  try {
    if (added > cells_.capacity() - cells_.size()) checkBudget(cells_.size() + added);
    // A failed allocation inserts nothing.
    cells_.insert(cells_.begin() + static_cast<std::ptrdiff_t>(index(before, 1)), added, Cell{});
  } catch (const std::bad_alloc&) {
    return false;
  }
  rows_ += count;
  clampCurrent();
  return true;
}

void CellGrid::deleteRows(std::int32_t first, std::int32_t count) {
  if (first < 1 || first > rows_ || count <= 0) return;
  count = std::min(count, rows_ - first + 1);
  const auto begin = index(first, 1);
  const auto end = begin + static_cast<std::size_t>(count) * static_cast<std::size_t>(cols_);
  for (auto i = begin; i < end; ++i) release(cells_[i]);
  cells_.erase(cells_.begin() + static_cast<std::ptrdiff_t>(begin),
               cells_.begin() + static_cast<std::ptrdiff_t>(end));
  rows_ -= count;
  clampCurrent();
}

bool CellGrid::insertCols(std::int32_t before, std::int32_t count) {
  if (count <= 0 || before < 1 || before > cols_ + 1) return false;
  if (static_cast<std::int64_t>(cols_) + count > std::numeric_limits<std::int32_t>::max() ||
      static_cast<std::int64_t>(rows_) * (static_cast<std::int64_t>(cols_) + count) > maxCells_) {
    return false;
  }
  const std::int32_t newCols = cols_ + count;
  std::vector<Cell> resized;
  try {
    const std::size_t cells = static_cast<std::size_t>(rows_) * static_cast<std::size_t>(newCols);
    checkBudget(cells);
    resized.resize(cells);
    widths_.insert(widths_.begin() + (before - 1), static_cast<std::size_t>(count),
                   kDefaultColumnWidth);
  } catch (const std::bad_alloc&) {
    return false;  // nothing has changed yet
  }
  // Through data(): a grid whose every column was deleted has rows but no cells.
  for (std::int32_t r = 0; r < rows_; ++r) {
    const Cell* from =
        cells_.data() + static_cast<std::size_t>(r) * static_cast<std::size_t>(cols_);
    Cell* to = resized.data() + static_cast<std::size_t>(r) * static_cast<std::size_t>(newCols);
    std::copy(from, from + (before - 1), to);
    std::copy(from + (before - 1), from + cols_, to + (before - 1) + count);
  }
  cells_ = std::move(resized);
  cols_ = newCols;
  clampCurrent();
  return true;
}

void CellGrid::deleteCols(std::int32_t first, std::int32_t count) {
  if (first < 1 || first > cols_ || count <= 0) return;
  count = std::min(count, cols_ - first + 1);
  const std::int32_t newCols = cols_ - count;
  // In place, front to back: each row moves to a place at or before its old one, so
  // deleting needs no new memory.
  for (std::int32_t r = 0; r < rows_; ++r) {
    Cell* from = &cells_[static_cast<std::size_t>(r) * static_cast<std::size_t>(cols_)];
    Cell* to = &cells_[static_cast<std::size_t>(r) * static_cast<std::size_t>(newCols)];
    for (std::int32_t c = first - 1; c < first - 1 + count; ++c) release(from[c]);
    if (to != from) std::copy(from, from + (first - 1), to);  // row 1 stays where it is
    std::copy(from + (first - 1) + count, from + cols_, to + (first - 1));
  }
  cells_.resize(static_cast<std::size_t>(rows_) * static_cast<std::size_t>(newCols));
  widths_.erase(widths_.begin() + (first - 1), widths_.begin() + (first - 1 + count));
  cols_ = newCols;
  clampCurrent();
}

std::vector<std::size_t> CellGrid::sortOrder(const Block& block,
                                             const std::vector<std::int32_t>& keyColumns) const {
  const std::int32_t r1 = std::max(block.row1, 1), r2 = std::min(block.row2, rows_);
  if (r2 < r1) return {};
  const auto n = static_cast<std::size_t>(r2 - r1 + 1);
  std::vector<std::size_t> order(n);
  std::iota(order.begin(), order.end(), std::size_t{0});
  if (n < 2 || keyColumns.empty()) return order;

  // Shown key texts, read once per row.
  std::vector<std::vector<std::string>> keys(n);
  for (std::size_t i = 0; i < n; ++i) {
    keys[i].reserve(keyColumns.size());
    for (const auto col : keyColumns) {
      keys[i].push_back(text(r1 + static_cast<std::int32_t>(i), col));
    }
  }
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    for (std::size_t k = 0; k < keyColumns.size(); ++k) {
      const int cmp = compareSortKeys(keys[a][k], keys[b][k], decimalChar_);
      if (cmp != 0) return cmp < 0;
    }
    return false;
  });
  return order;
}

void CellGrid::permuteRows(const Block& block, const std::vector<std::size_t>& order) {
  const std::int32_t r1 = std::max(block.row1, 1), r2 = std::min(block.row2, rows_);
  const std::int32_t c1 = std::max(block.col1, 1), c2 = std::min(block.col2, cols_);
  if (r2 < r1 || c1 > c2 || order.size() != static_cast<std::size_t>(r2 - r1 + 1)) return;
  const auto n = order.size();
  // Move the block's part of each row into its new place.
  const auto width = static_cast<std::size_t>(c2 - c1 + 1);
  std::vector<Cell> moved(n * width);
  for (std::size_t i = 0; i < n; ++i) {
    const Cell* from = &cells_[index(r1 + static_cast<std::int32_t>(order[i]), c1)];
    std::copy(from, from + width, &moved[i * width]);
  }
  for (std::size_t i = 0; i < n; ++i) {
    std::copy(&moved[i * width], &moved[i * width] + width,
              &cells_[index(r1 + static_cast<std::int32_t>(i), c1)]);
  }
}

void CellGrid::sortRows(const Block& block, const std::vector<std::int32_t>& keyColumns) {
  if (block.col1 > block.col2) return;
  permuteRows(block, sortOrder(block, keyColumns));
}

void CellGrid::setFrozen(std::int32_t rows, std::int32_t cols) {
  frozenRows_ = std::max(rows, 0);
  frozenCols_ = std::max(cols, 0);
}

float CellGrid::columnWidth(std::int32_t col) const {
  if (col < 1 || col > cols_) return kDefaultColumnWidth;
  return widths_[static_cast<std::size_t>(col - 1)];
}

void CellGrid::setColumnWidth(std::int32_t col, float width) {
  if (col >= 1 && col <= cols_) widths_[static_cast<std::size_t>(col - 1)] = std::max(width, 0.0f);
}

std::int32_t CellGrid::maxTextWidth(std::int32_t col, std::int32_t row1, std::int32_t row2) const {
  std::int32_t widest = 0;
  if (col < 1 || col > cols_) return 0;
  std::string shown;
  for (std::int32_t r = std::max(row1, 1); r <= std::min(row2, rows_); ++r) {
    const Cell& cell = cells_[index(r, col)];
    if (cell.kind == CellKind::Text) {
      widest = std::max(widest, charCount(extraOf(cell)->text));
    } else if (cell.kind == CellKind::Number) {
      shown.clear();
      appendText(r, col, shown);
      widest = std::max(widest, charCount(shown));
    }
  }
  return widest;
}

int compareSortKeys(std::string_view a, std::string_view b, std::string_view decimalChar) {
  const bool emptyA = trimBlanks(a).empty(), emptyB = trimBlanks(b).empty();
  if (emptyA || emptyB) {
    if (emptyA && emptyB) return 0;
    return emptyA ? 1 : -1;
  }
  double x = 0, y = 0;
  const bool numA = parseNumeric(a, ".", x) || parseNumeric(a, decimalChar, x);
  const bool numB = parseNumeric(b, ".", y) || parseNumeric(b, decimalChar, y);
  if (numA != numB) return numA ? -1 : 1;
  if (numA) {
    if (x != y) return x < y ? -1 : 1;
  } else {
    const int folded = foldCase(a).compare(foldCase(b));
    if (folded != 0) return folded;
  }
  return a.compare(b);
}

}  // namespace zendra
