#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/editor/cell_snapshot.h"
#include "core/editor/command.h"
#include "core/grid/cell_grid.h"
#include "core/model/vexa_mess.h"

namespace zendra {

// The data cells Fill works on: the data area, and in the keys form its rows above the
// empty entry row (which the writer never saves, so a symbol there would make a row).
Block FillArea(const VexaMess& doc, const CellGrid& grid);

// Edit/Fill empty cells: writes a missing-value symbol into the data cells the check
// finds wanting. Number cells are never touched. A text cell (or an empty one) whose
// trimmed text is empty is filled when fillEmpty is set; one whose text is neither a
// number nor an accepted symbol (".", "..", ... "......", "-") when fillInvalid is set.
// The symbol "0" makes number cells; any other stays a right-aligned text. Cells the
// check painted are painted black on white again. In the keys form a row without any
// content is left alone, as the writer leaves it out.
//
// Undo puts back a copy of the rows the step changed; when that copy would be past
// snapshotLimitBytes() the cells are filled without one and the step cannot be undone.
class FillEmptyCommand : public Command {
 public:
  FillEmptyCommand(VexaMess& doc, CellGrid& grid, bool fillEmpty, bool fillInvalid,
                   std::string symbol);
  void redo() override;
  void undo() override;
  std::string text() const override { return "Fill Empty Cells"; }
  std::size_t memoryBytes() const override;
  bool undoable() const override { return undoable_; }
  bool changesNothing() const override { return done_ && changed_.empty(); }
  // The cells the first redo filled with the symbol.
  std::int64_t filled() const { return filled_; }

 private:
  enum class Change { None, Paint, Fill };
  Change changeOf(std::int32_t row, std::int32_t col) const;
  bool skipRow(std::int32_t row) const;
  // Finds the rows that change and counts the cells to fill.
  void survey();
  void apply();

  VexaMess& doc_;
  CellGrid& grid_;
  bool fillEmpty_;
  bool fillInvalid_;
  std::string symbol_;
  bool symbolIsNumber_ = false;
  double symbolValue_ = 0;
  bool done_ = false;
  bool undoable_ = true;
  bool hadData_ = false;
  std::int64_t filled_ = 0;
  Block changed_{1, 1, 0, 0};  // the rows (data columns only) the step changes
  BlockSnapshot before_;
};

}  // namespace zendra
