#include "core/editor/value_commands.h"

#include <algorithm>
#include <utility>

#include "core/editor/field_commands.h"
#include "core/editor/history.h"
#include "core/editor/step_group.h"
#include "core/grid/data_methods.h"

namespace zendra {

AddValueCommand::AddValueCommand(VexaMess& doc, CellGrid& grid, DimensionRef variable,
                                 std::string text, std::string code, bool showCodes)
    : doc_(doc),
      grid_(grid),
      variable_(std::move(variable)),
      value_(ValueAndCode::create(std::move(text), std::move(code))),
      showCodes_(showCodes) {
  value_->Dimension = variable_;
}

void AddValueCommand::redo() {
  before_ = GridLayout::of(doc_);
  variable_->ValueCode.Add(value_);
  UpdateForValueChange(doc_, grid_, *variable_, ValueChange::Added, 0, showCodes_);
}

void AddValueCommand::undo() {
  const std::int32_t last = variable_->ValueCode.Count();
  // The added rows or columns are still empty: taking them out leaves the grid as it was.
  UpdateForValueChange(doc_, grid_, *variable_, ValueChange::Removing, last, showCodes_);
  variable_->RemoveVal(last);
  before_.applyTo(doc_);
}

std::size_t AddValueCommand::memoryBytes() const {
  return sizeof(*this) + sizeof(ValueAndCode) + value_->value.capacity() + value_->code.capacity();
}

SetValueCommand::SetValueCommand(VexaMess& doc, CellGrid& grid, DimensionRef variable,
                                 std::int32_t position, Field field, std::string after,
                                 bool showCodes)
    : doc_(doc),
      grid_(grid),
      variable_(std::move(variable)),
      value_(variable_->ValueCode.Item(position)),
      field_(field),
      after_(std::move(after)),
      eliminationBefore_(variable_->Elimination),
      eliminationAfter_(variable_->Elimination),
      showCodes_(showCodes) {
  if (!value_) return;
  before_ = field_ == Field::Text ? value_->value : value_->code;
  // ELIMINATION names its value by text: a new text for that value goes with it.
  if (field_ == Field::Text && !eliminationBefore_.empty() && eliminationBefore_ != "YES" &&
      eliminationBefore_ == before_) {
    eliminationAfter_ = after_;
  }
}

void SetValueCommand::set(const std::string& to, const std::string& elimination) {
  (field_ == Field::Text ? value_->value : value_->code) = to;
  variable_->Elimination = elimination;
  UpdateForValueChange(doc_, grid_, *variable_, ValueChange::TextChanged, 0, showCodes_);
}

void SetValueCommand::redo() {
  if (!changesNothing()) set(after_, eliminationAfter_);
}

void SetValueCommand::undo() {
  if (!changesNothing()) set(before_, eliminationBefore_);
}

std::size_t SetValueCommand::memoryBytes() const {
  return sizeof(*this) + before_.capacity() + after_.capacity() + eliminationBefore_.capacity() +
         eliminationAfter_.capacity();
}

RemoveValuesCommand::RemoveValuesCommand(VexaMess& doc, CellGrid& grid, DimensionRef variable,
                                         std::vector<std::int32_t> positions, bool showCodes)
    : doc_(doc), grid_(grid), variable_(std::move(variable)), showCodes_(showCodes) {
  const std::int32_t count = variable_->ValueCode.Count();
  std::sort(positions.begin(), positions.end());
  positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
  for (const std::int32_t p : positions) {
    if (p >= 1 && p <= count) positions_.push_back(p);
  }
  inStub_ = doc.colStub.IndexOf(variable_.get()) != 0;
}

void RemoveValuesCommand::redo() {
  // A step done without undo is never done twice: the history drops it.
  if (positions_.empty() || (done_ && !undoable_)) return;
  done_ = true;
  before_ = GridLayout::of(doc_);
  notes_ = doc_.Cellnotes;
  values_.clear();
  for (const std::int32_t p : positions_) values_.push_back(variable_->ValueCode.Item(p));

  // What the removed cells would take, known before copying any.
  std::size_t bytes = 0;
  for (const std::int32_t p : positions_) {
    for (const Block& b : ValueCells(doc_, grid_, *variable_, p)) {
      bytes += BlockSnapshot::mostBytes(b);
    }
  }
  undoable_ = bytes <= snapshotLimitBytes();

  cells_.clear();
  for (std::size_t i = positions_.size(); i-- > 0;) {
    const std::int32_t p = positions_[i];
    std::vector<BlockSnapshot> removed;
    if (undoable_) {
      for (const Block& b : ValueCells(doc_, grid_, *variable_, p)) removed.emplace_back(grid_, b);
    }
    cells_.push_back(std::move(removed));
    UpdateForValueChange(doc_, grid_, *variable_, ValueChange::Removing, p, showCodes_);
    doc_.Cellnotes.RemoveByUID(values_[i]->UID);
    variable_->RemoveVal(p);
  }
  // ELIMINATION names its value by text: with that value gone (and no other value of
  // that text left) the variable is eliminated by summing.
  eliminationBefore_ = variable_->Elimination;
  eliminationRemoved_ = false;
  const std::string& elimination = eliminationBefore_;
  if (!elimination.empty() && elimination != "YES" &&
      std::any_of(values_.begin(), values_.end(),
                  [&](const ValueRef& v) { return v->value == elimination; }) &&
      std::none_of(variable_->ValueCode.begin(), variable_->ValueCode.end(),
                   [&](const ValueRef& v) { return v->value == elimination; })) {
    eliminationRemoved_ = true;
    variable_->Elimination = "YES";
  }
  // A variable without values leaves nothing to lay out.
  if (before_.GridCreated && variable_->ValueCode.Count() == 0) {
    doc_.GridCreated = false;
    doc_.GridHasData = false;
  }
}

void RemoveValuesCommand::undo() {
  if (positions_.empty() || !undoable_) return;
  // In the reverse order of removal, so that each value's cells go back into the grid
  // they were taken from.
  for (std::size_t i = 0; i < positions_.size(); ++i) {
    variable_->ValueCode.Addbefore(values_[i], positions_[i]);
    for (const BlockSnapshot& cells : cells_[positions_.size() - 1 - i]) {
      const Block& b = cells.block();
      if (inStub_) {
        grid_.insertRows(b.row1, b.row2 - b.row1 + 1);
      } else {
        grid_.insertCols(b.col1, b.col2 - b.col1 + 1);
      }
      cells.restore(grid_);
    }
  }
  doc_.Cellnotes = notes_;
  variable_->Elimination = eliminationBefore_;
  before_.applyTo(doc_);
}

std::size_t RemoveValuesCommand::memoryBytes() const {
  std::size_t bytes = sizeof(*this) + positions_.capacity() * sizeof(std::int32_t) +
                      values_.capacity() * (sizeof(ValueRef) + sizeof(ValueAndCode));
  for (const auto& blocks : cells_) {
    for (const auto& b : blocks) bytes += b.memoryBytes();
  }
  return bytes;
}

ReorderValuesCommand::ReorderValuesCommand(VexaMess& doc, CellGrid& grid, DimensionRef variable,
                                           std::vector<std::int32_t> order, bool showCodes)
    : doc_(doc),
      grid_(grid),
      variable_(std::move(variable)),
      order_(std::move(order)),
      showCodes_(showCodes) {
  const auto count = static_cast<std::size_t>(variable_->ValueCode.Count());
  if (order_.size() != count) return;
  back_.assign(count, 0);
  for (std::size_t i = 0; i < count; ++i) {
    const std::int32_t from = order_[i];
    if (from < 1 || static_cast<std::size_t>(from) > count || back_[from - 1] != 0) return;
    back_[from - 1] = static_cast<std::int32_t>(i + 1);
    if (static_cast<std::size_t>(from) != i + 1) identity_ = false;
  }
  valid_ = true;
}

void ReorderValuesCommand::apply(const std::vector<std::int32_t>& order) {
  // The first value's cells in each repetition mark where that repetition's block of
  // count x span rows (or columns) starts; within it the spans move as their values do.
  const bool inStub = doc_.colStub.IndexOf(variable_.get()) != 0;
  const auto count = static_cast<std::int32_t>(order.size());
  for (const Block& first : ValueCells(doc_, grid_, *variable_, 1)) {
    const std::int32_t span = inStub ? first.row2 - first.row1 + 1 : first.col2 - first.col1 + 1;
    std::vector<std::size_t> lines(static_cast<std::size_t>(count) * span);
    for (std::size_t i = 0; i < lines.size(); ++i) {
      lines[i] = static_cast<std::size_t>(order[i / span] - 1) * span + i % span;
    }
    if (inStub) {
      grid_.permuteRows({first.row1, 1, first.row1 + count * span - 1, grid_.colCount()}, lines);
      continue;
    }
    // Row 1 holds the description, no value's label: in a table without stub variables
    // it lies over the data columns and stays where it is.
    std::vector<CellState> row(lines.size());
    for (std::int32_t r = 2; r <= grid_.rowCount(); ++r) {
      for (std::size_t i = 0; i < lines.size(); ++i) {
        row[i] = readCell(grid_, r, first.col1 + static_cast<std::int32_t>(i));
      }
      for (std::size_t i = 0; i < lines.size(); ++i) {
        writeCell(grid_, r, first.col1 + static_cast<std::int32_t>(i), row[lines[i]]);
      }
    }
  }
  VacCollection values;
  for (const std::int32_t from : order) values.Add(variable_->ValueCode.Item(from));
  variable_->ValueCode = std::move(values);
  UpdateForValueChange(doc_, grid_, *variable_, ValueChange::TextChanged, 0, showCodes_);
}

void ReorderValuesCommand::redo() {
  if (!changesNothing()) apply(order_);
}

void ReorderValuesCommand::undo() {
  if (!changesNothing()) apply(back_);
}

std::size_t ReorderValuesCommand::memoryBytes() const {
  return sizeof(*this) + (order_.capacity() + back_.capacity()) * sizeof(std::int32_t);
}

std::unique_ptr<Command> makeCodesChoiceCommand(VexaMess& doc, CellGrid& grid,
                                                DimensionRef variable, int index, bool showCodes) {
  // The data grid's labels show codes only for a variable that has them.
  auto relabel = [&doc, &grid, showCodes] {
    if (!doc.GridCreated) return;
    WriteStubLabels(doc, grid, showCodes);
    WriteHeadingLabels(doc, grid, showCodes);
  };
  std::vector<SetTextCommand::Change> texts = {
      {variable, &variable->DoubleColumn, index == 2 ? "YES" : ""}};
  if (index == 0) texts.push_back({variable, &variable->Prestext, ""});
  std::vector<std::unique_ptr<Command>> steps;
  steps.push_back(std::make_unique<SetFieldsCommand<bool>>(
      "Codes",
      std::vector<SetFieldsCommand<bool>::Change>{{variable, &variable->UseCodes, index != 0}}, 0,
      relabel));
  steps.push_back(std::make_unique<SetTextCommand>("Codes", std::move(texts)));
  return std::make_unique<StepGroup>("Codes and values", std::move(steps));
}

}  // namespace zendra
