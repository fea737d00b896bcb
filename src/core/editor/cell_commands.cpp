#include "core/editor/cell_commands.h"

#include <new>
#include <utility>

#include "core/editor/history.h"
#include "core/grid/data_methods.h"

namespace zendra {

GridLayout GridLayout::of(const VexaMess& doc) {
  return {doc.GridCreated, doc.GridHasData, doc.GridDecimals, doc.DataRow1,
          doc.DataCol1,    doc.NumRows,     doc.NumCols};
}

void GridLayout::applyTo(VexaMess& doc) const {
  doc.GridCreated = GridCreated;
  doc.GridHasData = GridHasData;
  doc.GridDecimals = GridDecimals;
  doc.DataRow1 = DataRow1;
  doc.DataCol1 = DataCol1;
  doc.NumRows = NumRows;
  doc.NumCols = NumCols;
}

EditCellCommand::EditCellCommand(VexaMess& doc, CellGrid& grid, std::int32_t row, std::int32_t col,
                                 std::string typed)
    : doc_(doc), grid_(grid), row_(row), col_(col), typed_(std::move(typed)) {}

void EditCellCommand::redo() {
  // Every redo starts from the state the last undo put back, so it is read afresh.
  before_ = readCell(grid_, row_, col_);
  hadData_ = doc_.GridHasData;
  numRows_ = doc_.NumRows;
  grid_.setText(row_, col_, typed_);
  ConvertEditedCell(doc_, grid_, row_, col_);
  grewRow_ = GrowKeysEntryRow(doc_, grid_, row_);
  // A grid that is not laid out (a variable without values, none at all) holds no data
  // of the table: what is typed there goes with the next layout and is never saved.
  if (doc_.GridCreated) doc_.GridHasData = true;
}

void EditCellCommand::undo() {
  if (grewRow_) {
    grid_.deleteRows(grid_.rowCount(), 1);
    doc_.NumRows = numRows_;
  }
  writeCell(grid_, row_, col_, before_);
  doc_.GridHasData = hadData_;
}

std::size_t EditCellCommand::memoryBytes() const {
  return sizeof(*this) + typed_.capacity() + before_.text.capacity();
}

ClearCellsCommand::ClearCellsCommand(VexaMess&, CellGrid& grid, Block block)
    : grid_(grid), block_(grid.clip(block)) {}

void ClearCellsCommand::redo() {
  if (!done_) {
    done_ = true;
    undoable_ = BlockSnapshot::mostBytes(block_) <= snapshotLimitBytes();
    try {
      if (undoable_) before_ = BlockSnapshot(grid_, block_);
    } catch (const std::bad_alloc&) {
      before_ = BlockSnapshot();
      undoable_ = false;
    }
  }
  if (block_.empty()) return;
  // The Delete key clears the grid's selection; the step's block stands in for it.
  const auto selection = grid_.selection();
  grid_.setSelection(block_);
  ClearSelectionOrCurrent(grid_);
  grid_.setSelection(selection);
}

void ClearCellsCommand::undo() {
  if (undoable_) before_.restore(grid_);
}

std::size_t ClearCellsCommand::memoryBytes() const {
  return sizeof(*this) + before_.memoryBytes();
}

ClearAllDataCommand::ClearAllDataCommand(VexaMess& doc, CellGrid& grid, bool showCodes)
    : doc_(doc), grid_(grid), showCodes_(showCodes) {}

void ClearAllDataCommand::clear() {
  CreateGrid(doc_, grid_, true, showCodes_);
  doc_.GridHasData = false;
}

void ClearAllDataCommand::redo() {
  if (done_ && undoable_) {
    other_.swapWith(grid_);
    after_.applyTo(doc_);
    return;
  }
  if (!done_) {
    done_ = true;
    before_ = GridLayout::of(doc_);
    undoable_ = other_.take(grid_);
  }
  clear();
  after_ = GridLayout::of(doc_);
}

void ClearAllDataCommand::undo() {
  if (!undoable_) return;
  other_.swapWith(grid_);
  before_.applyTo(doc_);
}

std::size_t ClearAllDataCommand::memoryBytes() const {
  return sizeof(*this) + other_.bytes();
}

bool canDeleteRow(const VexaMess& doc, const CellGrid& grid, std::int32_t row) {
  if (row < doc.DataRow1 || row < 1 || row > grid.rowCount()) return false;
  // The keys form's empty entry row stays: the rows above it are the table's.
  return !(doc.FileWithKeys && row == grid.rowCount());
}

DeleteRowCommand::DeleteRowCommand(VexaMess& doc, CellGrid& grid, std::int32_t row)
    : doc_(doc), grid_(grid), row_(row) {}

void DeleteRowCommand::redo() {
  deleted_ = canDeleteRow(doc_, grid_, row_);
  if (!deleted_) return;
  before_ = BlockSnapshot(grid_, {row_, 1, row_, grid_.colCount()});
  numRows_ = doc_.NumRows;
  grid_.deleteRows(row_, 1);
  if (doc_.FileWithKeys) doc_.NumRows = grid_.rowCount() - doc_.DataRow1 + 1;
}

void DeleteRowCommand::undo() {
  if (!deleted_) return;
  grid_.insertRows(row_, 1);
  before_.restore(grid_);
  doc_.NumRows = numRows_;
}

std::size_t DeleteRowCommand::memoryBytes() const {
  return sizeof(*this) + before_.memoryBytes();
}

SortKeysRowsCommand::SortKeysRowsCommand(VexaMess& doc, CellGrid& grid)
    : grid_(grid), block_(KeysRowsBlock(doc, grid)), order_(KeysRowsOrder(doc, grid)) {
  back_.resize(order_.size());
  for (std::size_t i = 0; i < order_.size(); ++i) {
    back_[order_[i]] = i;
    if (order_[i] != i) moves_ = true;
  }
}

void SortKeysRowsCommand::redo() {
  if (moves_) grid_.permuteRows(block_, order_);
}

void SortKeysRowsCommand::undo() {
  if (moves_) grid_.permuteRows(block_, back_);
}

std::size_t SortKeysRowsCommand::memoryBytes() const {
  return sizeof(*this) + (order_.capacity() + back_.capacity()) * sizeof(std::size_t);
}

}  // namespace zendra
