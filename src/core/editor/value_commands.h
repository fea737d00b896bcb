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

// The steps that change the values of one variable. A laid-out grid follows each of
// them and keeps every other cell; undo puts back only the cells the step moved or
// removed. Positions are 1-based. The document, the grid and the variable must outlive
// the step.
namespace zendra {

// Appends a value (text and code) to the variable; a laid-out grid gains its empty rows
// or columns.
class AddValueCommand : public Command {
 public:
  AddValueCommand(VexaMess& doc, CellGrid& grid, DimensionRef variable, std::string text,
                  std::string code, bool showCodes);
  void redo() override;
  void undo() override;
  std::string text() const override { return "Add Value"; }
  std::size_t memoryBytes() const override;
  const ValueRef& value() const { return value_; }

 private:
  VexaMess& doc_;
  CellGrid& grid_;
  DimensionRef variable_;
  ValueRef value_;
  bool showCodes_;
  GridLayout before_;
};

// Sets the text or the code of the value at a position; the grid's labels follow. A
// variable eliminated by that value keeps being eliminated by it under its new text.
class SetValueCommand : public Command {
 public:
  enum class Field { Text, Code };
  SetValueCommand(VexaMess& doc, CellGrid& grid, DimensionRef variable, std::int32_t position,
                  Field field, std::string after, bool showCodes);
  void redo() override;
  void undo() override;
  std::string text() const override { return field_ == Field::Text ? "Value" : "Code"; }
  std::size_t memoryBytes() const override;
  bool changesNothing() const override { return !value_ || before_ == after_; }

 private:
  void set(const std::string& to, const std::string& elimination);
  VexaMess& doc_;
  CellGrid& grid_;
  DimensionRef variable_;
  ValueRef value_;
  Field field_;
  std::string before_;
  std::string after_;
  std::string eliminationBefore_;
  std::string eliminationAfter_;
  bool showCodes_;
};

// Removes the values at a set of positions (out-of-range ones ignored), with their rows
// or columns of the grid and the cell notes bound to them. Undo puts back the values,
// the notes and the removed cells exactly; when those cells would take more than
// snapshotLimitBytes the step is done without undo.
class RemoveValuesCommand : public Command {
 public:
  RemoveValuesCommand(VexaMess& doc, CellGrid& grid, DimensionRef variable,
                      std::vector<std::int32_t> positions, bool showCodes);
  void redo() override;
  void undo() override;
  std::string text() const override { return "Delete Value"; }
  std::size_t memoryBytes() const override;
  bool undoable() const override { return undoable_; }
  bool changesNothing() const override { return positions_.empty(); }
  // True when a removed value was the one the variable is eliminated by. ELIMINATION
  // would then name no value, so the step sets it to "YES" (undo gives the value back
  // and with it the old ELIMINATION); the caller tells the user.
  bool removesEliminationValue() const { return eliminationRemoved_; }

 private:
  VexaMess& doc_;
  CellGrid& grid_;
  DimensionRef variable_;
  std::vector<std::int32_t> positions_;  // ascending
  std::vector<ValueRef> values_;         // the removed values, as positions_
  bool showCodes_;
  bool done_ = false;
  bool undoable_ = true;
  bool inStub_ = false;
  bool eliminationRemoved_ = false;
  std::string eliminationBefore_;
  // The removed cells of each value, taken just before it left (last value first).
  std::vector<std::vector<BlockSnapshot>> cells_;
  CellNoteColl notes_;
  GridLayout before_;
};

// Puts the values in a new order: order[i] is the current position of the value that
// comes to place i + 1. The grid's rows or columns move with their values.
class ReorderValuesCommand : public Command {
 public:
  ReorderValuesCommand(VexaMess& doc, CellGrid& grid, DimensionRef variable,
                       std::vector<std::int32_t> order, bool showCodes);
  void redo() override;
  void undo() override;
  std::string text() const override { return "Reorder Values"; }
  std::size_t memoryBytes() const override;
  bool changesNothing() const override { return !valid_ || identity_; }
  // False when order is not a permutation of the positions: the step then does nothing.
  bool valid() const { return valid_; }

 private:
  void apply(const std::vector<std::int32_t>& order);
  VexaMess& doc_;
  CellGrid& grid_;
  DimensionRef variable_;
  std::vector<std::int32_t> order_;
  std::vector<std::int32_t> back_;
  bool showCodes_;
  bool valid_ = false;
  bool identity_ = true;
};

// The Values / Codes / Codes and values choice of a variable (index 0, 1 or 2): whether it
// uses codes, DOUBLECOLUMN, and (for values only) no PRESTEXT, as one step. The data
// grid's labels follow.
std::unique_ptr<Command> makeCodesChoiceCommand(VexaMess& doc, CellGrid& grid,
                                                DimensionRef variable, int index, bool showCodes);

}  // namespace zendra
