#include "core/editor/variable_commands.h"

#include <algorithm>
#include <new>
#include <utility>

#include "core/editor/history.h"
#include "core/grid/data_methods.h"
#include "core/model/numeric_text.h"
#include "core/model/text_compare.h"

namespace zendra {
namespace {

std::vector<std::pair<DimensionRef, std::string>> namedVariables(const DimensionDataColl& side) {
  std::vector<std::pair<DimensionRef, std::string>> out;
  out.reserve(static_cast<std::size_t>(side.Count()));
  for (const auto& v : side) out.emplace_back(v, v->name);
  return out;
}

DimensionDataColl& sideOf(VexaMess& doc, std::int32_t side) {
  return side == 0 ? doc.colStub : doc.colHeading;
}

// Dimensions again from the stub and heading, stub variables first.
void rebuildDimensions(VexaMess& doc) {
  DimensionDataColl all;
  for (const auto& v : doc.colStub) all.Add(v, v->name);
  for (const auto& v : doc.colHeading) all.Add(v, v->name);
  doc.Dimensions = std::move(all);
}

// Cell note addresses hold one entry per variable in Dimensions order: after a change of
// the variables each entry moves with its variable, a new variable gets "*" and a removed
// one's entry goes. An address that did not fit the old variables is left alone.
void followNotes(VexaMess& doc, const std::vector<DimensionRef>& oldOrder) {
  for (const auto& note : doc.Cellnotes) {
    VacCollection& address = note->Values();
    if (address.Count() != static_cast<std::int32_t>(oldOrder.size())) continue;
    VacCollection moved;
    for (const auto& variable : doc.Dimensions) {
      const auto at = std::find(oldOrder.begin(), oldOrder.end(), variable);
      moved.Add(at == oldOrder.end()
                    ? doc.AllVals
                    : address.Item(static_cast<std::int32_t>(at - oldOrder.begin()) + 1));
    }
    address = std::move(moved);
  }
}

}  // namespace

std::string VariableNameProblem(const VexaMess& doc, std::string_view name,
                                const DimensionData* renaming) {
  name = trimBlanks(name);
  if (name.empty()) return kNameMissing;
  const auto holder = doc.Dimensions.Item(name);
  if (holder && holder.get() != renaming) return kNameInUse;
  return {};
}

StructureState StructureState::of(const VexaMess& doc) {
  StructureState s;
  s.stub = namedVariables(doc.colStub);
  s.heading = namedVariables(doc.colHeading);
  s.ContVariable = doc.ContVariable;
  s.notes = doc.Cellnotes;
  for (const auto& note : doc.Cellnotes) s.addresses.push_back(note->Values());
  s.layout = GridLayout::of(doc);
  return s;
}

void StructureState::applyTo(VexaMess& doc) const {
  DimensionDataColl stubColl;
  DimensionDataColl headingColl;
  for (const auto& [v, name] : stub) {
    v->name = name;
    stubColl.Add(v, name);
  }
  for (const auto& [v, name] : heading) {
    v->name = name;
    headingColl.Add(v, name);
  }
  doc.colStub = std::move(stubColl);
  doc.colHeading = std::move(headingColl);
  rebuildDimensions(doc);
  doc.ContVariable = ContVariable;
  doc.Cellnotes = notes;
  std::size_t i = 0;
  for (const auto& note : notes) note->Values() = addresses[i++];
  layout.applyTo(doc);
}

void StructureCommand::redo() {
  if (!refusal_.empty() || unchanged_) return;
  if (done_) {
    if (!undoable_) return;
    if (relaid_) other_.swapWith(grid_);
    after_.applyTo(doc_);
    return;
  }
  done_ = true;
  before_ = StructureState::of(doc_);
  relaid_ = doc_.GridCreated || doc_.GridHasData;
  if (relaid_) undoable_ = other_.take(grid_);
  const auto oldOrder = doc_.Dimensions.NewEnum();
  change();
  followNotes(doc_, oldOrder);
  if (relaid_) {
    // A variable without values cannot be laid out yet; its grid is left empty.
    if (!CreateGrid(doc_, grid_, true, showCodes_)) grid_.clearAll();
    doc_.GridHasData = false;
  }
  after_ = StructureState::of(doc_);
}

void StructureCommand::undo() {
  if (!done_ || !undoable_ || !refusal_.empty() || unchanged_) return;
  if (relaid_) other_.swapWith(grid_);
  before_.applyTo(doc_);
}

std::size_t StructureCommand::memoryBytes() const {
  return sizeof(*this) + other_.bytes() +
         (before_.addresses.size() + after_.addresses.size()) * sizeof(VacCollection);
}

AddVariableCommand::AddVariableCommand(VexaMess& doc, CellGrid& grid, std::int32_t side,
                                       std::string name, bool showCodes)
    : StructureCommand(doc, grid, showCodes),
      side_(side),
      variable_(DimensionData::create(std::string(trimBlanks(name)))) {
  refusal_ = VariableNameProblem(doc, variable_->name);
}

AddVariableCommand::AddVariableCommand(VexaMess& doc, CellGrid& grid, std::int32_t side,
                                       const DimensionData& source, bool showCodes)
    : StructureCommand(doc, grid, showCodes), side_(side), variable_(DimensionData::create()) {
  variable_->CopyDimdata(source);
  variable_->name = std::string(trimBlanks(variable_->name));
  refusal_ = VariableNameProblem(doc, variable_->name);
}

AddVariableCommand::AddVariableCommand(VexaMess& doc, CellGrid& grid, std::int32_t side,
                                       DimensionRef variable, bool showCodes)
    : StructureCommand(doc, grid, showCodes), side_(side), variable_(std::move(variable)) {
  variable_->name = std::string(trimBlanks(variable_->name));
  refusal_ = VariableNameProblem(doc, variable_->name);
}

void AddVariableCommand::change() {
  doc_.insertDimension(variable_, side_);
}

RemoveVariableCommand::RemoveVariableCommand(VexaMess& doc, CellGrid& grid, std::int32_t side,
                                             std::string name, bool showCodes)
    : StructureCommand(doc, grid, showCodes), side_(side), name_(std::move(name)) {
  if (!sideOf(doc, side).Contains(name_)) refusal_ = "No such variable";
}

void RemoveVariableCommand::change() {
  doc_.RemoveDimension(side_, std::string_view(name_));
  // ContVariable must name a variable of the table or nothing.
  if (equalsIgnoringCase(doc_.ContVariable, name_)) doc_.ContVariable.clear();
}

ReorderVariablesCommand::ReorderVariablesCommand(VexaMess& doc, CellGrid& grid, std::int32_t side,
                                                 const std::vector<std::string>& order,
                                                 bool showCodes)
    : StructureCommand(doc, grid, showCodes), side_(side) {
  const DimensionDataColl& current = sideOf(doc, side);
  bool same = true;
  for (const auto& name : order) {
    const auto variable = current.Item(name);
    if (!variable || std::find(order_.begin(), order_.end(), variable) != order_.end()) break;
    same = same && current.Item(static_cast<std::int32_t>(order_.size()) + 1) == variable;
    order_.push_back(variable);
  }
  if (order_.size() != order.size() || current.Count() != static_cast<std::int32_t>(order.size())) {
    refusal_ = "The new order must hold every variable once";
  }
  unchanged_ = same;
}

void ReorderVariablesCommand::change() {
  DimensionDataColl reordered;
  for (const auto& v : order_) reordered.Add(v, v->name);
  sideOf(doc_, side_) = std::move(reordered);
  rebuildDimensions(doc_);
}

AddOneValuedVariableCommand::AddOneValuedVariableCommand(VexaMess& doc, CellGrid& grid,
                                                         std::int32_t side, std::string name,
                                                         std::string code, std::string value,
                                                         bool showCodes)
    : doc_(doc),
      grid_(grid),
      side_(side),
      showCodes_(showCodes),
      name_(trimBlanks(name)),
      code_(std::move(code)),
      value_(std::move(value)) {
  refusal_ = VariableNameProblem(doc, name_);
  if (refusal_.empty() && trimBlanks(value_).empty()) refusal_ = kValueMissing;
}

void AddOneValuedVariableCommand::redo() {
  if (!refusal_.empty()) return;
  if (done_) {
    // The grid is extended again from the layout it had before.
    StructureState again = after_;
    again.layout = before_.layout;
    again.applyTo(doc_);
    AddOneValuedVariable(doc_, grid_, *variable_, showCodes_);
    if (doc_.GridCreated) grid_.setText(1, 1, cornerAfter_);
    return;
  }
  before_ = StructureState::of(doc_);
  // The description in the corner stays as it was shown, whatever the title is later.
  cornerBefore_ = grid_.text(1, 1);
  const auto oldOrder = doc_.Dimensions.NewEnum();
  variable_ = doc_.addTimeDimension(name_, side_, code_, value_);
  if (!variable_) {
    refusal_ = kNameInUse;
    return;
  }
  // A code the user gave is the variable's code: without UseCodes it would not be saved.
  variable_->UseCodes = !trimBlanks(code_).empty();
  followNotes(doc_, oldOrder);
  if (!AddOneValuedVariable(doc_, grid_, *variable_, showCodes_)) {
    before_.applyTo(doc_);
    refusal_ = "There is not enough memory to add the dimension";
    return;
  }
  done_ = true;
  after_ = StructureState::of(doc_);
  cornerAfter_ = grid_.text(1, 1);
}

void AddOneValuedVariableCommand::undo() {
  if (!done_ || !refusal_.empty()) return;
  if (doc_.GridCreated) {
    if (side_ == 0) {
      grid_.deleteCols(after_.layout.DataCol1 - 1, 1);
    } else if (after_.layout.DataRow1 > before_.layout.DataRow1) {
      grid_.deleteRows(2, after_.layout.DataRow1 - before_.layout.DataRow1);
    }
  }
  before_.applyTo(doc_);
  RelabelGrid(doc_, grid_, showCodes_);
  if (doc_.GridCreated) grid_.setText(1, 1, cornerBefore_);
}

std::size_t AddOneValuedVariableCommand::memoryBytes() const {
  return sizeof(*this) +
         (before_.addresses.size() + after_.addresses.size()) * sizeof(VacCollection);
}

RenameVariableCommand::RenameVariableCommand(VexaMess& doc, CellGrid& grid, std::string oldName,
                                             std::string newName)
    : doc_(doc), grid_(grid), newName_(trimBlanks(newName)) {
  const auto variable = doc.Dimensions.Item(oldName);
  if (!variable) {
    refusal_ = "No such variable";
    return;
  }
  oldName_ = variable->name;
  side_ = doc.colStub.IndexOf(variable.get()) != 0 ? 0 : 1;
  refusal_ = VariableNameProblem(doc, newName_, variable.get());
  contBefore_ = doc.ContVariable;
  contAfter_ = equalsIgnoringCase(contBefore_, oldName_) ? newName_ : contBefore_;
}

void RenameVariableCommand::rename(const std::string& from, const std::string& to,
                                   const std::string& contVariable) {
  doc_.RenameDimension(side_, from, to);
  doc_.ContVariable = contVariable;
  // The keys form's header row names the stub variables over their key columns. Only
  // that cell is written: the rest of the row may hold heading labels.
  const std::int32_t column = doc_.colStub.IndexOf(to);
  if (doc_.FileWithKeys && doc_.GridCreated && column != 0) grid_.setText(2, column, to);
}

void RenameVariableCommand::redo() {
  if (!changesNothing()) rename(oldName_, newName_, contAfter_);
}

void RenameVariableCommand::undo() {
  if (!changesNothing()) rename(newName_, oldName_, contBefore_);
}

std::size_t RenameVariableCommand::memoryBytes() const {
  return sizeof(*this) + oldName_.capacity() + newName_.capacity() + contBefore_.capacity() +
         contAfter_.capacity();
}

}  // namespace zendra
