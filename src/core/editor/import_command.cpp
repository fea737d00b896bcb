#include "core/editor/import_command.h"

#include <new>
#include <utility>

#include "core/editor/history.h"

namespace zendra {

ImportTextCommand::ImportTextCommand(VexaMess& doc, CellGrid& grid, TextSource source,
                                     TextImportSettings settings)
    : doc_(doc), grid_(grid), source_(std::move(source)), settings_(std::move(settings)) {}

void ImportTextCommand::keepRow(std::int32_t row) {
  if (!undoable_) return;
  // The normal form writes only data cells; the keys form also its key columns.
  const Block block{row, doc_.FileWithKeys ? 1 : doc_.DataCol1, row, grid_.colCount()};
  try {
    // A row that was empty costs little: its cells make one run.
    BlockSnapshot kept(grid_, block);
    keptBytes_ += kept.memoryBytes();
    if (keptBytes_ <= snapshotLimitBytes()) {
      rows_.push_back(std::move(kept));
      return;
    }
  } catch (const std::bad_alloc&) {
  }
  // Too much to keep: the import goes on without undo.
  undoable_ = false;
  std::deque<BlockSnapshot>().swap(rows_);
}

void ImportTextCommand::swapRows() {
  for (BlockSnapshot& kept : rows_) {
    BlockSnapshot now(grid_, kept.block());
    kept.restore(grid_);
    kept = std::move(now);
  }
}

void ImportTextCommand::redo() {
  if (!done_) {
    done_ = true;
    before_ = GridLayout::of(doc_);
    rowsBefore_ = grid_.rowCount();
    TextImport importer(doc_, grid_, settings_);
    importer.progress = progress;
    importer.beforeRowWrite = [this](std::int32_t row) { keepRow(row); };
    result_ = importer.run(std::move(source_));
    source_ = TextSource();
    rowsAfter_ = grid_.rowCount();
    after_ = GridLayout::of(doc_);
    // A row the import looked at but wrote nothing into (its record refused) is no change.
    wrote_ = result_.wrote || addedRows() > 0;
    if (finished) finished(result_);
    return;
  }
  if (!undoable_) return;
  swapRows();
  if (addedRows() > 0 && grid_.insertRows(rowsBefore_ + 1, addedRows())) {
    added_.restore(grid_);
  }
  added_ = BlockSnapshot();
  after_.applyTo(doc_);
}

void ImportTextCommand::undo() {
  if (!undoable_ || !done_) return;
  if (addedRows() > 0) {
    added_ = BlockSnapshot(grid_, {rowsBefore_ + 1, 1, rowsAfter_, grid_.colCount()});
    grid_.deleteRows(rowsBefore_ + 1, addedRows());
  }
  swapRows();
  before_.applyTo(doc_);
}

std::size_t ImportTextCommand::memoryBytes() const {
  std::size_t bytes = sizeof(*this) + source_.bytes.capacity() + added_.memoryBytes();
  for (const BlockSnapshot& kept : rows_) bytes += kept.memoryBytes();
  for (const std::string& line : result_.log) bytes += sizeof(line) + line.capacity();
  return bytes;
}

}  // namespace zendra
