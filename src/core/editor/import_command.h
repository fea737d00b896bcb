#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/editor/cell_commands.h"
#include "core/editor/cell_snapshot.h"
#include "core/editor/command.h"
#include "core/grid/cell_grid.h"
#include "core/import/text_import.h"
#include "core/model/vexa_mess.h"

namespace zendra {

// A text file imported into the data grid, as one step. The first redo runs the import
// (with progress and Cancel; what was loaded before a Cancel or an abort stays part of the
// step). To undo, the step keeps the grid rows the import wrote into as they were before,
// and in the keys form the rows it added; undo and redo swap those copies with the grid,
// so only one copy is ever kept. An import whose copies would pass snapshotLimitBytes()
// is done without undo.
class ImportTextCommand : public Command {
 public:
  // The text comes from source: a file is read as the import goes, and again by nothing
  // else (undo and redo use the kept rows).
  ImportTextCommand(VexaMess& doc, CellGrid& grid, TextSource source, TextImportSettings settings);
  ImportTextCommand(VexaMess& doc, CellGrid& grid, std::string bytes, TextImportSettings settings)
      : ImportTextCommand(doc, grid, TextSource::ofBytes(std::move(bytes)), std::move(settings)) {}
  void redo() override;
  void undo() override;
  std::string text() const override { return "Import"; }
  std::size_t memoryBytes() const override;
  bool undoable() const override { return undoable_; }
  // Once done: true when the import wrote no cell.
  bool changesNothing() const override { return done_ && !wrote_; }

  // Called during the first redo; false cancels the import (see TextImport::progress).
  std::function<bool(std::size_t done, std::size_t total)> progress;
  // Called once the first redo has run the import, with its log and counts (the history
  // may let go of a step that wrote nothing right after it was done).
  std::function<void(const TextImportResult&)> finished;
  const TextImportResult& result() const { return result_; }

 private:
  void keepRow(std::int32_t row);
  void swapRows();
  std::int32_t addedRows() const { return rowsAfter_ - rowsBefore_; }

  VexaMess& doc_;
  CellGrid& grid_;
  TextSource source_;
  TextImportSettings settings_;
  bool done_ = false;
  bool undoable_ = true;
  bool wrote_ = false;
  TextImportResult result_;
  // The rows the import wrote into that were there before it: as they were while the
  // import is done, as the import left them while it is undone.
  // A deque: it grows without copying, so a long import never holds the list twice.
  std::deque<BlockSnapshot> rows_;
  std::size_t keptBytes_ = 0;
  // The keys form's rows the import added, kept while it is undone.
  BlockSnapshot added_;
  std::int32_t rowsBefore_ = 0;
  std::int32_t rowsAfter_ = 0;
  GridLayout before_;
  GridLayout after_;
};

}  // namespace zendra
