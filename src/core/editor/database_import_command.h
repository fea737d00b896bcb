#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/editor/cell_commands.h"
#include "core/editor/cell_snapshot.h"
#include "core/editor/command.h"
#include "core/grid/cell_grid.h"
#include "core/database/table_from_database.h"
#include "core/model/vexa_mess.h"

namespace zendra {

// The rows of a database query placed in the data grid, as one step. The placement is
// worked out (and found free of errors) before the step is made; the first redo writes it.
// To undo, the step keeps the block it wrote into as it was (in the keys form the entry
// row, and the rows it added while undone); undo and redo swap that copy with the grid.
class DatabaseImportCommand : public Command {
 public:
  DatabaseImportCommand(VexaMess& doc, CellGrid& grid, DbPlacement placement);
  void redo() override;
  void undo() override;
  std::string text() const override { return "Create table from database"; }
  std::size_t memoryBytes() const override;
  bool undoable() const override { return undoable_; }
  bool changesNothing() const override { return done_ && !wrote_; }

 private:
  void swapKept();

  VexaMess& doc_;
  CellGrid& grid_;
  DbPlacement placement_;
  bool done_ = false;
  bool wrote_ = false;
  bool undoable_ = true;
  // The written block: as it was while the step is done, as the step left it while undone.
  BlockSnapshot kept_;
  // The keys form's added rows, kept while the step is undone.
  BlockSnapshot added_;
  std::int32_t rowsBefore_ = 0;
  std::int32_t rowsAfter_ = 0;
  GridLayout before_;
  GridLayout after_;
};

}  // namespace zendra
