#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/editor/cell_commands.h"
#include "core/editor/cell_snapshot.h"
#include "core/editor/command.h"
#include "core/grid/cell_grid.h"
#include "core/model/vexa_mess.h"

// The grid follows the table: whenever every variable has values the grid is laid out,
// and its number cells are stored with the table's decimals (SaveDecimals, the larger of
// DECIMALS and every PRECISION). Both happen as part of the step that made them due, so
// that nothing but a step ever changes the grid or its layout fields, and each step's
// undo gives them back together with the cells. Showing a page never lays anything out.
namespace zendra {

// What bringing a grid in step with its table would do.
struct GridDue {
  bool layout = false;    // the structure is complete and the grid not laid out
  bool decimals = false;  // laid-out cells carry other decimals than SaveDecimals
};

// Recomputes SaveDecimals and says what the grid still lacks.
GridDue gridDue(VexaMess& doc);

// Brings the grid in step with the table, without keeping anything for undo: for a table
// just read or made, before its history starts. A table that cannot be laid out (too
// large, out of memory) keeps no grid.
void SettleGrid(VexaMess& doc, CellGrid& grid, bool showCodes);

// The decimals of every cell of a block, kept as runs (a grid whose cells share their
// decimals takes one run), to put back what SetCellDecimals changed.
class DecimalsSnapshot {
 public:
  DecimalsSnapshot() = default;
  DecimalsSnapshot(const CellGrid& grid, const Block& block);
  void restore(CellGrid& grid) const;
  std::size_t memoryBytes() const { return sizeof(*this) + runs_.capacity() * sizeof(Run); }

 private:
  struct Run {
    std::uint64_t count = 0;
    int decimals = 0;
  };
  Block block_{1, 1, 0, 0};
  std::vector<Run> runs_;
};

// A step of the window's history: does the user's step, then brings the grid in step
// with the table (see above). Undo takes back the grid's part first, then the step, and
// puts the layout fields and SaveDecimals back as they were before the step.
class SettledStep : public Command {
 public:
  SettledStep(std::unique_ptr<Command> step, VexaMess& doc, CellGrid& grid, bool showCodes);
  void redo() override;
  void undo() override;
  std::string text() const override { return step_->text(); }
  int id() const override { return settled() ? -1 : step_->id(); }
  bool mergeWith(const Command& next) override;
  std::size_t memoryBytes() const override;
  bool undoable() const override { return step_->undoable() && undoable_; }
  bool changesNothing() const override { return step_->changesNothing() && !settled(); }

  Command& step() const { return *step_; }

 private:
  bool settled() const { return relaid_ || redecimalled_; }
  void settle();

  std::unique_ptr<Command> step_;
  VexaMess& doc_;
  CellGrid& grid_;
  bool showCodes_;
  bool done_ = false;
  bool undoable_ = true;
  bool relaid_ = false;        // the step's change was followed by a layout
  bool redecimalled_ = false;  // ... and by new decimals for the cells
  GridCopy unlaid_;            // the grid as the step left it, before the layout
  DecimalsSnapshot decimals_;  // the cells' decimals before SetCellDecimals
  GridLayout layoutBefore_;
  GridLayout layoutStepped_;  // after the step, before the grid was settled
  GridLayout layoutAfter_;
  std::int16_t saveBefore_ = 0;
  std::int16_t saveStepped_ = 0;
  std::int16_t saveAfter_ = 0;
};

// The step as the window pushes it: wrapped so that the grid follows the table.
std::unique_ptr<Command> settled(std::unique_ptr<Command> step, VexaMess& doc, CellGrid& grid,
                                 bool showCodes);

}  // namespace zendra
