#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/editor/cell_snapshot.h"
#include "core/editor/command.h"
#include "core/grid/cell_grid.h"
#include "core/model/vexa_mess.h"

// The commands that change data cells: a committed cell edit, the Delete key, Clear all
// data and Delete current row. Each works on the document and the grid it was made for,
// which must outlive it, and undoing puts back exactly what the step changed.
namespace zendra {

// The document fields that say where the data area lies and whether the grid holds
// data: what a step that lays the whole grid out again must put back.
struct GridLayout {
  bool GridCreated = false;
  bool GridHasData = false;
  std::int16_t GridDecimals = 0;
  std::int32_t DataRow1 = 0;
  std::int32_t DataCol1 = 0;
  std::int32_t NumRows = 0;
  std::int32_t NumCols = 0;

  static GridLayout of(const VexaMess& doc);
  void applyTo(VexaMess& doc) const;
  bool operator==(const GridLayout&) const = default;
};

// The text a user typed into a cell, stored as the data grid stores an edit: a number
// typed into the data area becomes a number cell, and in the keys form an edit in the
// entry row adds a new entry row below it. Each committed edit is its own step.
class EditCellCommand : public Command {
 public:
  EditCellCommand(VexaMess& doc, CellGrid& grid, std::int32_t row, std::int32_t col,
                  std::string typed);
  void redo() override;
  void undo() override;
  std::string text() const override { return "Typing"; }
  std::size_t memoryBytes() const override;
  // True when the last redo added the keys form's entry row, which the grid's view must
  // then show; undo removes that row again.
  bool grewRow() const { return grewRow_; }

 private:
  VexaMess& doc_;
  CellGrid& grid_;
  std::int32_t row_;
  std::int32_t col_;
  std::string typed_;
  CellState before_;
  bool hadData_ = false;
  std::int32_t numRows_ = 0;
  bool grewRow_ = false;
};

// The Delete key on a block: empties its cells (locked cells of a protected grid stay).
// Whole-row or whole-column bounds (-1) cover the grid in that direction.
class ClearCellsCommand : public Command {
 public:
  ClearCellsCommand(VexaMess& doc, CellGrid& grid, Block block);
  void redo() override;
  void undo() override;
  std::string text() const override { return "Delete"; }
  std::size_t memoryBytes() const override;
  bool undoable() const override { return undoable_; }
  // The cells the step covers, within the grid.
  const Block& block() const { return block_; }

 private:
  CellGrid& grid_;
  Block block_;
  bool done_ = false;
  bool undoable_ = true;
  BlockSnapshot before_;
};

// Edit/Clear all data: lays the grid out anew from the document, which empties every
// cell, and marks the grid as holding no data. Undo puts back a copy of the whole grid
// taken before, so a table too large for such a copy (snapshotLimitBytes) is cleared
// without one and the step cannot be undone.
class ClearAllDataCommand : public Command {
 public:
  ClearAllDataCommand(VexaMess& doc, CellGrid& grid, bool showCodes);
  void redo() override;
  void undo() override;
  std::string text() const override { return "Clear All Data"; }
  std::size_t memoryBytes() const override;
  bool undoable() const override { return undoable_; }

 private:
  void clear();

  VexaMess& doc_;
  CellGrid& grid_;
  bool showCodes_;
  bool done_ = false;
  bool undoable_ = true;
  // The grid the step does not show now: the one before the step while it is done, the
  // cleared one while it is undone. Undo and redo swap it with the shown grid.
  GridCopy other_;
  GridLayout before_;
  GridLayout after_;
};

// True when Edit/Delete current row applies to the row: a row of the data area, and in
// the keys form not the empty entry row at the end.
bool canDeleteRow(const VexaMess& doc, const CellGrid& grid, std::int32_t row);

// Edit/Delete current row. In the keys form NumRows follows the grid's rows. A row that
// canDeleteRow refuses is left alone.
class DeleteRowCommand : public Command {
 public:
  DeleteRowCommand(VexaMess& doc, CellGrid& grid, std::int32_t row);
  void redo() override;
  void undo() override;
  std::string text() const override { return "Delete Row"; }
  std::size_t memoryBytes() const override;

 private:
  VexaMess& doc_;
  CellGrid& grid_;
  std::int32_t row_;
  bool deleted_ = false;
  std::int32_t numRows_ = 0;
  BlockSnapshot before_;
};

// The keys form's rows sorted by their keys, as the completeness test sorts them before a
// save or on the Test page. Made a step of its own so that every step before it still
// finds its cells: undo puts the rows back in their order.
class SortKeysRowsCommand : public Command {
 public:
  SortKeysRowsCommand(VexaMess& doc, CellGrid& grid);
  // False when the rows are in order already (or the table is not in the keys form).
  bool moves() const { return moves_; }
  void redo() override;
  void undo() override;
  std::string text() const override { return "Sort Rows"; }
  std::size_t memoryBytes() const override;

 private:
  CellGrid& grid_;
  Block block_;
  std::vector<std::size_t> order_;
  std::vector<std::size_t> back_;
  bool moves_ = false;
};

}  // namespace zendra
