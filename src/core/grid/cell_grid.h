#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zendra {

enum class CellKind : std::uint8_t { Empty, Text, Number };
enum class HAlign : std::uint8_t { General, Left, Right, Center };

// Colours are 0x00BBGGRR numbers, as the cell colours of the table files' tools give
// them: 255 is red, 65535 yellow, 16777215 white, 12632256 silver.
using Colour = std::int32_t;
inline constexpr Colour kRed = 255;
inline constexpr Colour kYellow = 65535;
inline constexpr Colour kWhite = 16777215;
inline constexpr Colour kBlack = 0;
inline constexpr Colour kSilver = 12632256;

// A rectangle of cells, 1-based and inclusive.
struct Block {
  std::int32_t row1 = 1;
  std::int32_t col1 = 1;
  std::int32_t row2 = 0;
  std::int32_t col2 = 0;
  bool empty() const { return row2 < row1 || col2 < col1; }
  bool operator==(const Block&) const = default;
};

// The grid that holds a table's cells: rows and columns are 1-based. Each cell has a
// kind (empty, text or number), decimals for numeric display, an alignment, a lock
// flag and optional colours. Texts and colours are kept apart from the dense cell
// array and only where a cell has them, so a number cell costs 16 bytes.
//
// The grid does not know tables: the data grid layout (data_methods.h) puts labels and
// cells into it, and the reader, writer and imports work on it. A widget shows it.
class CellGrid {
 public:
  // The most cells a grid ever holds unless told otherwise; larger sizes are refused,
  // never allocated.
  static constexpr std::int64_t kMaxCells = 400'000'000;
  static constexpr float kDefaultColumnWidth = 10.0f;  // in characters
  // The cap a new grid starts with: kMaxCells, or fewer on a machine whose memory at
  // half its size holds fewer 16-byte cells.
  static std::int64_t defaultMaxCells();

  CellGrid() = default;
  CellGrid(std::int32_t rows, std::int32_t cols) { setSize(rows, cols); }

  // Size. Growing adds empty cells, shrinking drops the cells past the new end.
  // Returns false, changing nothing, for a negative size, one past maxCells(), or when
  // the memory for the cells cannot be had.
  bool setSize(std::int32_t rows, std::int32_t cols);
  bool setRowCount(std::int32_t rows) { return setSize(rows, cols_); }
  bool setColCount(std::int32_t cols) { return setSize(rows_, cols); }
  std::int32_t rowCount() const { return rows_; }
  std::int32_t colCount() const { return cols_; }
  bool contains(std::int32_t row, std::int32_t col) const {
    return row >= 1 && row <= rows_ && col >= 1 && col <= cols_;
  }
  Block all() const { return {1, 1, rows_, cols_}; }
  // The part of a block inside the grid; -1 bounds (a whole-row or whole-column
  // selection) stand for the grid's whole extent in that direction.
  Block clip(Block block) const;
  std::int64_t maxCells() const { return maxCells_; }
  void setMaxCells(std::int64_t cells) { maxCells_ = cells; }
  // Drops every row, column and cell and gives their memory back; the format settings
  // of the grid (protection, frozen lines, widths) go back to those of a new grid.
  void clear() noexcept;
  // For tests: from now on, an allocation of a cell array larger than bytes fails as if
  // the memory had run out (none: no such limit).
  void setMemoryBudget(std::optional<std::size_t> bytes) { memoryBudget_ = bytes; }

  // Current cell (1-based); clamped into the grid, 0 when the grid has no cells.
  void setCurrent(std::int32_t row, std::int32_t col);
  std::int32_t currentRow() const { return curRow_; }
  std::int32_t currentCol() const { return curCol_; }

  // Selected block, or none. A whole-row or whole-column selection carries -1 in the
  // column or row bounds.
  void setSelection(std::optional<Block> block) { selection_ = block; }
  const std::optional<Block>& selection() const { return selection_; }

  // Content. Reading outside the grid gives an empty cell; writing outside it is
  // ignored. setText with an empty text empties the cell. setNumber on distinct cells
  // that hold no text and no colours touches nothing else, so several threads may fill
  // such cells at once.
  CellKind kind(std::int32_t row, std::int32_t col) const;
  bool isEmpty(std::int32_t row, std::int32_t col) const {
    return kind(row, col) == CellKind::Empty;
  }
  void setText(std::int32_t row, std::int32_t col, std::string_view text);
  void setNumber(std::int32_t row, std::int32_t col, double value, int decimals);
  void clearCell(std::int32_t row, std::int32_t col);
  double number(std::int32_t row, std::int32_t col) const;
  // For a number cell: its value and decimals in one look-up. False for other cells.
  bool numberAt(std::int32_t row, std::int32_t col, double& value, int& decimals) const {
    const Cell* cell = at(row, col);
    if (!cell || cell->kind != CellKind::Number) return false;
    value = cell->value;
    decimals = cell->decimals;
    return true;
  }
  // The shown text: a text cell's text, a number with its decimals and the grid's
  // decimal character, nothing for an empty cell.
  std::string text(std::int32_t row, std::int32_t col) const;
  void appendText(std::int32_t row, std::int32_t col, std::string& out) const;
  // Text of a text cell without copying; empty for other kinds.
  std::string_view storedText(std::int32_t row, std::int32_t col) const;

  // Format of single cells.
  int decimals(std::int32_t row, std::int32_t col) const;
  void setDecimals(std::int32_t row, std::int32_t col, int decimals);
  HAlign alignment(std::int32_t row, std::int32_t col) const;
  void setAlignment(std::int32_t row, std::int32_t col, HAlign align);
  bool locked(std::int32_t row, std::int32_t col) const;
  void setLocked(std::int32_t row, std::int32_t col, bool locked);
  // Colours; none means the grid's default look.
  std::optional<Colour> backColour(std::int32_t row, std::int32_t col) const;
  std::optional<Colour> foreColour(std::int32_t row, std::int32_t col) const;
  void setColours(std::int32_t row, std::int32_t col, std::optional<Colour> back,
                  std::optional<Colour> fore);

  // Block operations: each applies one setting to every cell of the block (clipped to
  // the grid).
  void clearBlock(const Block& block);  // content and colours; format stays
  void setBlockAlignment(const Block& block, HAlign align);
  void setBlockLocked(const Block& block, bool locked);
  void setBlockDecimals(const Block& block, int decimals);
  void setBlockColours(const Block& block, std::optional<Colour> back, std::optional<Colour> fore);
  // Empties every cell and resets every cell's format.
  void clearAll();

  // Whole rows and columns, moving the cells behind them. Inserting returns false,
  // changing nothing, for a position outside 1..count+1, a size past maxCells() or when
  // the memory for the cells cannot be had.
  bool insertRows(std::int32_t before, std::int32_t count);
  void deleteRows(std::int32_t first, std::int32_t count);
  bool insertCols(std::int32_t before, std::int32_t count);
  void deleteCols(std::int32_t first, std::int32_t count);

  // Sorts the rows of a block ascending by the key columns, first key first. Only the
  // block's columns move. Stable: rows with equal keys keep their order. Keys compare
  // with compareSortKeys.
  void sortRows(const Block& block, const std::vector<std::int32_t>& keyColumns);
  // The two halves of sortRows: the order the block's rows take (order[i] is the row,
  // counted from 0 at the block's first row, that comes to place i), and moving the
  // block's rows into an order.
  std::vector<std::size_t> sortOrder(const Block& block,
                                     const std::vector<std::int32_t>& keyColumns) const;
  void permuteRows(const Block& block, const std::vector<std::size_t>& order);

  // Protection: a locked cell cannot be edited while the grid is protected.
  void setProtected(bool on) { protected_ = on; }
  bool isProtected() const { return protected_; }
  bool editable(std::int32_t row, std::int32_t col) const {
    return !(protected_ && locked(row, col));
  }

  std::int32_t frozenRows() const { return frozenRows_; }
  std::int32_t frozenCols() const { return frozenCols_; }
  void setFrozen(std::int32_t rows, std::int32_t cols);

  float columnWidth(std::int32_t col) const;
  void setColumnWidth(std::int32_t col, float width);
  // Characters the longest shown text in rows row1..row2 of a column needs.
  std::int32_t maxTextWidth(std::int32_t col, std::int32_t row1, std::int32_t row2) const;

  Colour gridLineColour() const { return gridLineColour_; }
  void setGridLineColour(Colour c) { gridLineColour_ = c; }

  // The decimal character numbers are shown with (the user locale's; "." by default).
  const std::string& decimalChar() const { return decimalChar_; }
  void setDecimalChar(std::string c) { decimalChar_ = c.empty() ? "." : std::move(c); }

 private:
  struct Cell {
    double value = 0;
    std::uint32_t extra = 0;  // 1-based index into extras_, 0 for none
    CellKind kind = CellKind::Empty;
    std::uint8_t decimals = 0;
    HAlign align = HAlign::General;
    std::uint8_t flags = 0;  // kLocked
  };
  static_assert(sizeof(Cell) == 16, "a cell costs 16 bytes");
  static constexpr std::uint8_t kLocked = 1;

  // What a few cells have beyond the 16 bytes: a text and colours.
  struct Extra {
    std::string text;
    std::optional<Colour> back;
    std::optional<Colour> fore;
    bool unused() const { return text.empty() && !back && !fore; }
  };

  std::size_t index(std::int32_t row, std::int32_t col) const {
    return static_cast<std::size_t>(row - 1) * static_cast<std::size_t>(cols_) +
           static_cast<std::size_t>(col - 1);
  }
  Cell* at(std::int32_t row, std::int32_t col) {
    return contains(row, col) ? &cells_[index(row, col)] : nullptr;
  }
  const Cell* at(std::int32_t row, std::int32_t col) const {
    return contains(row, col) ? &cells_[index(row, col)] : nullptr;
  }
  Extra& extraOf(Cell& cell);
  const Extra* extraOf(const Cell& cell) const {
    return cell.extra ? &extras_[cell.extra - 1] : nullptr;
  }
  void releaseIfUnused(Cell& cell);
  void release(Cell& cell);
  void clearContent(Cell& cell);
  template <typename F>
  void forBlock(const Block& block, F&& f);
  void clampCurrent();
  // Throws std::bad_alloc for a cell array past the test budget; the callers catch it
  // like a real allocation failure.
  void checkBudget(std::size_t cells) const;

  std::int64_t maxCells_ = defaultMaxCells();
  std::optional<std::size_t> memoryBudget_;
  std::int32_t rows_ = 0;
  std::int32_t cols_ = 0;
  std::vector<Cell> cells_;
  std::vector<Extra> extras_;
  std::vector<std::uint32_t> freeExtras_;
  std::vector<float> widths_;
  std::int32_t curRow_ = 0;
  std::int32_t curCol_ = 0;
  std::optional<Block> selection_;
  std::int32_t frozenRows_ = 0;
  std::int32_t frozenCols_ = 0;
  bool protected_ = false;
  Colour gridLineColour_ = kSilver;
  std::string decimalChar_ = ".";
};

// Orders two sort keys as a user sorting codes expects: empty keys last; two numeric
// keys ("." or the given decimal character) by value, so "2" < "10" and "01" < "2";
// numbers before other texts; other texts without regard to letter case. Keys equal by
// those rules fall back to their bytes, so the order is total. Returns <0, 0 or >0.
int compareSortKeys(std::string_view a, std::string_view b, std::string_view decimalChar);

}  // namespace zendra
