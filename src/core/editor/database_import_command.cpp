#include "core/editor/database_import_command.h"

#include <algorithm>
#include <limits>
#include <new>
#include <utility>

#include "core/editor/history.h"

namespace zendra {

DatabaseImportCommand::DatabaseImportCommand(VexaMess& doc, CellGrid& grid, DbPlacement placement)
    : doc_(doc), grid_(grid), placement_(std::move(placement)) {}

void DatabaseImportCommand::swapKept() {
  BlockSnapshot now(grid_, kept_.block());
  kept_.restore(grid_);
  kept_ = std::move(now);
}

void DatabaseImportCommand::redo() {
  if (!done_) {
    done_ = true;
    before_ = GridLayout::of(doc_);
    rowsBefore_ = grid_.rowCount();
    // The block the writes fall in, which existed before: the keys form writes from the
    // entry row on, and only that row was there.
    Block block{std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::max(),
                0, 0};
    for (const auto& w : placement_.writes) {
      block.row1 = std::min(block.row1, w.row);
      block.col1 = std::min(block.col1, w.col);
      block.row2 = std::max(block.row2, std::min(w.row, rowsBefore_));
      block.col2 = std::max(block.col2, w.col);
    }
    wrote_ = !placement_.writes.empty() || placement_.filledRows > 0;
    try {
      if (!block.empty() && BlockSnapshot::mostBytes(block) <= snapshotLimitBytes()) {
        kept_ = BlockSnapshot(grid_, block);
      } else if (!block.empty()) {
        undoable_ = false;
      }
    } catch (const std::bad_alloc&) {
      undoable_ = false;
    }
    if (!ApplyDbPlacement(doc_, grid_, placement_)) {
      // The keys form's rows could not be added: nothing was written, and the step
      // changes nothing (the caller sees the grid still without data and says so).
      wrote_ = false;
      kept_ = BlockSnapshot();
      placement_ = DbPlacement();
      return;
    }
    rowsAfter_ = grid_.rowCount();
    after_ = GridLayout::of(doc_);
    // An empty result still marks the grid as holding data.
    if (!(after_ == before_)) wrote_ = true;
    placement_ = DbPlacement();  // undo and redo use the kept copies
    return;
  }
  if (!undoable_) return;
  if (rowsAfter_ > rowsBefore_) {
    // Without room for the rows again the grid stays as undone, whole, rather than half
    // laid out.
    if (!grid_.insertRows(rowsBefore_ + 1, rowsAfter_ - rowsBefore_)) return;
    added_.restore(grid_);
  }
  added_ = BlockSnapshot();
  swapKept();
  after_.applyTo(doc_);
}

void DatabaseImportCommand::undo() {
  if (!undoable_ || !done_) return;
  if (rowsAfter_ > rowsBefore_) {
    added_ = BlockSnapshot(grid_, {rowsBefore_ + 1, 1, rowsAfter_, grid_.colCount()});
    grid_.deleteRows(rowsBefore_ + 1, rowsAfter_ - rowsBefore_);
  }
  swapKept();
  before_.applyTo(doc_);
}

std::size_t DatabaseImportCommand::memoryBytes() const {
  std::size_t bytes = sizeof(*this) + kept_.memoryBytes() + added_.memoryBytes();
  for (const auto& w : placement_.writes) bytes += sizeof(w) + w.text.capacity();
  return bytes;
}

}  // namespace zendra
