#include "core/editor/paste_commands.h"

#include <algorithm>
#include <new>
#include <string_view>
#include <utility>

#include "core/editor/field_commands.h"
#include "core/editor/history.h"
#include "core/editor/step_group.h"
#include "core/editor/value_commands.h"
#include "core/format/completeness.h"
#include "core/grid/data_methods.h"

namespace zendra {
namespace {

// The part of [first, last] inside [low, high], as a count of places.
std::int64_t overlap(std::int64_t first, std::int64_t last, std::int64_t low, std::int64_t high) {
  return std::max<std::int64_t>(0, std::min(last, high) - std::max(first, low) + 1);
}

}  // namespace

Block PasteableCells(const VexaMess& doc, const CellGrid& grid) {
  if (!doc.GridCreated || doc.DataRow1 < 1 || doc.DataCol1 < 1) return {1, 1, 0, 0};
  const std::int32_t firstCol = doc.FileWithKeys ? 1 : doc.DataCol1;
  return {doc.DataRow1, firstCol, grid.rowCount(), grid.colCount()};
}

PasteCellsCommand::PasteCellsCommand(VexaMess& doc, CellGrid& grid, Block target,
                                     ClipboardBlock block)
    : doc_(doc), grid_(grid), target_(target), block_(std::move(block)) {
  place();
}

void PasteCellsCommand::place() {
  const Block cells = PasteableCells(doc_, grid_);
  if (block_.empty() || target_.empty() || target_.row1 < 1 || target_.col1 < 1) return;
  rowOffset_ = target_.row1;
  colOffset_ = target_.col1;
  std::int64_t lastRow = std::int64_t{rowOffset_} + block_.rows() - 1;
  std::int64_t lastCol = std::int64_t{colOffset_} + block_.widest() - 1;
  const bool oneCell = target_.row1 == target_.row2 && target_.col1 == target_.col2;
  if (!oneCell) {
    lastRow = std::min<std::int64_t>(lastRow, target_.row2);
    lastCol = std::min<std::int64_t>(lastCol, target_.col2);
  }
  // The keys form takes as many rows as the block brings; the normal form ends at its
  // last data row.
  const std::int64_t rowLimit = doc_.FileWithKeys ? CellGrid::kMaxCells : cells.row2;
  const std::int64_t rows = cells.empty() ? 0 : overlap(rowOffset_, lastRow, cells.row1, rowLimit);
  const std::int64_t cols =
      cells.empty() ? 0 : overlap(colOffset_, lastCol, cells.col1, cells.col2);
  leftOutRows_ = static_cast<std::int32_t>(lastRow - rowOffset_ + 1 - rows);
  leftOutCols_ = static_cast<std::int32_t>(lastCol - colOffset_ + 1 - cols);
  if (rows == 0 || cols == 0) {
    leftOutRows_ = static_cast<std::int32_t>(lastRow - rowOffset_ + 1);
    leftOutCols_ = static_cast<std::int32_t>(lastCol - colOffset_ + 1);
    return;
  }
  // A larger selection loses its marks as a whole, even where the block does not reach.
  const Block wanted = oneCell ? Block{rowOffset_, colOffset_, static_cast<std::int32_t>(lastRow),
                                       static_cast<std::int32_t>(lastCol)}
                               : target_;
  const std::int32_t row1 = std::max(wanted.row1, cells.row1);
  const std::int32_t col1 = std::max(wanted.col1, cells.col1);
  area_ = {row1, col1, static_cast<std::int32_t>(std::min<std::int64_t>(wanted.row2, rowLimit)),
           std::min(wanted.col2, cells.col2)};

  if (doc_.FileWithKeys && area_.row2 >= grid_.rowCount()) {
    addRows_ = area_.row2 + 1 - grid_.rowCount();
  }
}

void PasteCellsCommand::prepare() {
  prepared_ = true;
  // What undo needs: the cells of the area the grid has now, and the document's counts.
  const Block existing = grid_.clip(area_);
  undoable_ = BlockSnapshot::mostBytes(existing) <= snapshotLimitBytes();
  try {
    if (undoable_) before_ = BlockSnapshot(grid_, existing);
  } catch (const std::bad_alloc&) {
    before_ = BlockSnapshot();
    undoable_ = false;
  }
  layout_ = GridLayout::of(doc_);
}

void PasteCellsCommand::redo() {
  if (area_.empty()) return;
  if (!prepared_) prepare();
  // Keys form: the last pasted row must not be the entry row, which the writer leaves
  // out; the grid grows to one empty row past the block. When it cannot, the block stops
  // above the entry row.
  if (addRows_ > 0 && !AppendKeysRow(doc_, grid_, addRows_)) {
    addRows_ = 0;
    const std::int32_t lastRow = grid_.rowCount() - 1;
    leftOutRows_ += std::max(0, std::min(area_.row2, rowOffset_ + block_.rows() - 1) - lastRow);
    area_.row2 = lastRow;
    if (area_.empty()) return;
  }
  write();
}

void PasteCellsCommand::write() {
  const std::int32_t lastRow = std::min(area_.row2, rowOffset_ + block_.rows() - 1);
  for (std::int32_t r = area_.row1; r <= lastRow; ++r) {
    const std::int32_t line = r - rowOffset_;
    // A short line leaves the cells after its end as they are.
    const std::int32_t lastCol = std::min(area_.col2, colOffset_ + block_.fields(line) - 1);
    for (std::int32_t c = area_.col1; c <= lastCol; ++c) {
      if (!grid_.editable(r, c)) continue;
      grid_.setText(r, c, block_.cell(line, c - colOffset_));
      // The conversion of a typed cell: a number becomes a number cell.
      ConvertEditedCell(doc_, grid_, r, c);
    }
  }
  // The cells lose the marks of the cell check; the next check paints them anew.
  grid_.setBlockColours(area_, std::nullopt, std::nullopt);
  doc_.GridHasData = true;
}

void PasteCellsCommand::undo() {
  if (!undoable_ || area_.empty()) return;
  if (addRows_ > 0) grid_.deleteRows(grid_.rowCount() - addRows_ + 1, addRows_);
  before_.restore(grid_);
  layout_.applyTo(doc_);
}

std::size_t PasteCellsCommand::memoryBytes() const {
  return sizeof(*this) + block_.memoryBytes() + before_.memoryBytes();
}

ValuePaste MakeValuePaste(VexaMess& doc, CellGrid& grid, const DimensionRef& variable,
                          const std::vector<ValueField>& columns, std::int32_t row,
                          std::int32_t col, const ClipboardBlock& block, bool showCodes) {
  ValuePaste out;
  const auto available = static_cast<std::int32_t>(columns.size()) - col;
  if (!variable || row < 0 || col < 0 || available <= 0) return out;
  if (block.empty()) {
    out.fits = true;
    return out;
  }
  // Every line must fit, not only the first: a longer line is no block of this grid.
  if (block.widest() > available) {
    if (block.rows() > available) return out;
    out.turned = true;
  }
  out.fits = true;
  const std::int32_t gridRows = out.turned ? block.widest() : block.rows();
  const std::int32_t width = out.turned ? block.rows() : block.widest();
  // The text of the block's cell at grid offset (r, c); false where the block has none.
  auto cellAt = [&](std::int32_t r, std::int32_t c, std::string_view& text) {
    const std::int32_t line = out.turned ? c : r;
    const std::int32_t field = out.turned ? r : c;
    if (field >= block.fields(line)) return false;
    text = block.cell(line, field);
    return true;
  };
  auto timeField = [](const ValueRef& value, ValueField field) {
    return field == ValueField::Time ? &value->TimeVal : &value->TimeCode;
  };

  const std::int32_t values = variable->ValueCode.Count();
  std::vector<std::unique_ptr<Command>> steps;
  for (std::int32_t r = 0; r < gridRows; ++r) {
    const std::int64_t at = std::int64_t{row} + r;
    if (at < values) {
      // An existing value: each cell is an edit of one of its fields.
      const auto position = static_cast<std::int32_t>(at + 1);
      const ValueRef value = variable->ValueCode.Item(position);
      for (std::int32_t c = 0; c < width; ++c) {
        std::string_view text;
        if (!cellAt(r, c, text)) continue;
        const ValueField field = columns[static_cast<std::size_t>(col + c)];
        std::unique_ptr<Command> step;
        if (field == ValueField::Code || field == ValueField::Value) {
          step = std::make_unique<SetValueCommand>(doc, grid, variable, position,
                                                   field == ValueField::Code
                                                       ? SetValueCommand::Field::Code
                                                       : SetValueCommand::Field::Text,
                                                   std::string(text), showCodes);
        } else {
          step = std::make_unique<SetTextCommand>(
              field == ValueField::Time ? "Time" : "TimeType",
              std::vector<SetTextCommand::Change>{
                  {value, timeField(value, field), std::string(text)}});
        }
        steps.push_back(std::move(step));
      }
      continue;
    }
    // Past the last value: the row's cells make one new value, as typing into the empty
    // last row does; a row without any text makes none.
    std::string texts[4];
    bool any = false;
    for (std::int32_t c = 0; c < width; ++c) {
      std::string_view text;
      if (!cellAt(r, c, text)) continue;
      texts[static_cast<int>(columns[static_cast<std::size_t>(col + c)])] = text;
      any = any || !text.empty();
    }
    if (!any) continue;
    auto add = std::make_unique<AddValueCommand>(
        doc, grid, variable, texts[static_cast<int>(ValueField::Value)],
        texts[static_cast<int>(ValueField::Code)], showCodes);
    const ValueRef value = add->value();
    steps.push_back(std::move(add));
    for (const ValueField field : {ValueField::TimeType, ValueField::Time}) {
      std::string& text = texts[static_cast<int>(field)];
      if (text.empty()) continue;
      steps.push_back(std::make_unique<SetTextCommand>(
          field == ValueField::Time ? "Time" : "TimeType",
          std::vector<SetTextCommand::Change>{{value, timeField(value, field), std::move(text)}}));
    }
    ++out.newValues;
  }
  if (!steps.empty()) out.step = std::make_unique<StepGroup>("Paste", std::move(steps));
  return out;
}

bool TimeTypeAccepted(std::string_view text) {
  return text.empty() || IsTimeScale(text);
}

std::string TimeTypeRefusal(std::string_view text) {
  return "\"" + std::string(text) +
         "\" is no time type. TimeType takes A1 (years), H1 (half-years), Q1 (quarters), M1 "
         "(months) or W1 (weeks).";
}

std::optional<std::string> RefusedTimeType(const ClipboardBlock& block, bool turned,
                                           std::int32_t col,
                                           const std::vector<ValueField>& columns) {
  for (std::int32_t line = 0; line < block.rows(); ++line) {
    for (std::int32_t at = 0; at < block.fields(line); ++at) {
      const auto section = static_cast<std::size_t>(col + (turned ? line : at));
      if (section >= columns.size() || columns[section] != ValueField::TimeType) continue;
      const std::string_view text = block.cell(line, at);
      if (!TimeTypeAccepted(text)) return std::string(text);
    }
  }
  return std::nullopt;
}

}  // namespace zendra
