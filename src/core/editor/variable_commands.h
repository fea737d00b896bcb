#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/editor/cell_commands.h"
#include "core/editor/cell_snapshot.h"
#include "core/editor/command.h"
#include "core/grid/cell_grid.h"
#include "core/model/vexa_mess.h"

// The steps that change a table's variables and values. Each works on the document and
// the grid it was made for, which must outlive it. A step that cannot be done (a name in
// use, a blank name) changes nothing and says why in refusal(), for the caller to show;
// such a step changesNothing(), so the history does not keep it.
namespace zendra {

inline constexpr const char* kNameInUse = "Variable name in use";
inline constexpr const char* kNameMissing = "Name must be given";
inline constexpr const char* kValueMissing = "Value must be given";

// Why a variable could not be called name: kNameMissing for a name of blanks only,
// kNameInUse when another variable than renaming has it as a key (letter case does not
// count); empty when the name will do. Surrounding blanks are not part of a name.
std::string VariableNameProblem(const VexaMess& doc, std::string_view name,
                                const DimensionData* renaming = nullptr);

// What a change of the variables touches besides the grid's cells: the stub and heading
// in order with their names, ContVariable, the cell notes with their addresses, and the
// grid's layout fields.
struct StructureState {
  std::vector<std::pair<DimensionRef, std::string>> stub;
  std::vector<std::pair<DimensionRef, std::string>> heading;
  std::string ContVariable;
  CellNoteColl notes;
  std::vector<VacCollection> addresses;  // of notes, one by one
  GridLayout layout;

  static StructureState of(const VexaMess& doc);
  void applyTo(VexaMess& doc) const;
};

// A step that changes the stub or heading. Such a change lays a laid-out grid out anew
// (which empties it), so undo puts back a copy of the whole grid taken before; a table
// too large for that copy (snapshotLimitBytes) is changed without one and the step
// cannot be undone. Cell note addresses follow the variables: a new variable gets "*",
// a removed one's entry is dropped, and a new order permutes them.
class StructureCommand : public Command {
 public:
  void redo() override;
  void undo() override;
  std::size_t memoryBytes() const override;
  bool undoable() const override { return undoable_; }
  bool changesNothing() const override { return !refusal_.empty() || unchanged_; }
  // Why the step was refused; empty when it was done.
  const std::string& refusal() const { return refusal_; }

 protected:
  StructureCommand(VexaMess& doc, CellGrid& grid, bool showCodes)
      : doc_(doc), grid_(grid), showCodes_(showCodes) {}
  // Changes the document's variables.
  virtual void change() = 0;

  VexaMess& doc_;
  std::string refusal_;
  bool unchanged_ = false;

 private:
  CellGrid& grid_;
  bool showCodes_;
  bool done_ = false;
  bool undoable_ = true;
  bool relaid_ = false;  // the step laid the grid out anew
  GridCopy other_;       // the grid not shown now
  StructureState before_;
  StructureState after_;
};

// Adds a variable at the end of the stub (side 0) or the heading. What is placed is
// always a new variable, a copy (CopyDimdata) of the one given, or one made for this table
// alone, so that a variable of another table or of the default data is never shared:
// editing it here changes only this table.
class AddVariableCommand : public StructureCommand {
 public:
  AddVariableCommand(VexaMess& doc, CellGrid& grid, std::int32_t side, std::string name,
                     bool showCodes);
  AddVariableCommand(VexaMess& doc, CellGrid& grid, std::int32_t side, const DimensionData& source,
                     bool showCodes);
  // Places variable itself: one made for this table alone (read from a database), which
  // keeps what it records of its source (dbName, TableName, CodeField).
  AddVariableCommand(VexaMess& doc, CellGrid& grid, std::int32_t side, DimensionRef variable,
                     bool showCodes);
  std::string text() const override { return "Add Variable"; }
  // The variable placed in the table.
  const DimensionRef& variable() const { return variable_; }

 private:
  void change() override;
  std::int32_t side_;
  DimensionRef variable_;
};

// Removes a stub (side 0) or heading variable by name. Removing the content variable
// leaves the table without one.
class RemoveVariableCommand : public StructureCommand {
 public:
  RemoveVariableCommand(VexaMess& doc, CellGrid& grid, std::int32_t side, std::string name,
                        bool showCodes);
  std::string text() const override { return "Remove Variable"; }

 private:
  void change() override;
  std::int32_t side_;
  std::string name_;
};

// Gives the stub (side 0) or heading a new order: every one of its variables' names
// once, letter case aside. The same order as now changes nothing.
class ReorderVariablesCommand : public StructureCommand {
 public:
  ReorderVariablesCommand(VexaMess& doc, CellGrid& grid, std::int32_t side,
                          const std::vector<std::string>& order, bool showCodes);
  std::string text() const override { return "Reorder Variables"; }

 private:
  void change() override;
  std::int32_t side_;
  std::vector<DimensionRef> order_;
};

// Adds a variable with one value to a table whose grid holds data ("Add Dimension"): at
// the end of the stub (side 0) or first in the heading. One value keeps the number of
// cells, so every cell stays: the grid gains one label column or label rows, and the
// data area's first row and column move with them. Cell note addresses get "*" for the
// new variable, which uses codes when a code is given (so that the code is saved).
// Refused when the name will not do or the value's text is blank.
class AddOneValuedVariableCommand : public Command {
 public:
  AddOneValuedVariableCommand(VexaMess& doc, CellGrid& grid, std::int32_t side, std::string name,
                              std::string code, std::string value, bool showCodes);
  void redo() override;
  void undo() override;
  std::string text() const override { return "Add Dimension"; }
  std::size_t memoryBytes() const override;
  bool changesNothing() const override { return !refusal_.empty(); }
  const std::string& refusal() const { return refusal_; }
  const DimensionRef& variable() const { return variable_; }

 private:
  VexaMess& doc_;
  CellGrid& grid_;
  std::int32_t side_;
  bool showCodes_;
  std::string name_;
  std::string code_;
  std::string value_;
  DimensionRef variable_;
  bool done_ = false;
  StructureState before_;
  StructureState after_;
  std::string cornerBefore_;
  std::string cornerAfter_;
  std::string refusal_;
};

// Renames a variable. The cells stay where they are (the keys form's header row, which
// shows the stub names, follows). A new name that differs from the old one only in
// letter case is allowed.
class RenameVariableCommand : public Command {
 public:
  RenameVariableCommand(VexaMess& doc, CellGrid& grid, std::string oldName, std::string newName);
  void redo() override;
  void undo() override;
  std::string text() const override { return "Rename Variable"; }
  std::size_t memoryBytes() const override;
  bool changesNothing() const override { return !refusal_.empty() || oldName_ == newName_; }
  const std::string& refusal() const { return refusal_; }

 private:
  void rename(const std::string& from, const std::string& to, const std::string& contVariable);
  VexaMess& doc_;
  CellGrid& grid_;
  std::string oldName_;
  std::string newName_;
  std::string contBefore_;
  std::string contAfter_;
  std::int32_t side_ = 0;
  std::string refusal_;
};

}  // namespace zendra
