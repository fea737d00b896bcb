#include "core/editor/fill_commands.h"

#include <algorithm>
#include <new>
#include <utility>

#include "core/editor/history.h"
#include "core/format/data_builder.h"
#include "core/model/numeric_text.h"

namespace zendra {
namespace {

// A text the DATA builder writes as a number: "12.5", or "12,5" with the grid's decimal
// character.
bool numericText(const CellGrid& grid, std::string_view text) {
  return isNumeric(text, ".") || isNumeric(text, grid.decimalChar());
}

bool paintedOtherThanPlain(const CellGrid& grid, std::int32_t row, std::int32_t col) {
  const auto back = grid.backColour(row, col);
  const auto fore = grid.foreColour(row, col);
  return (back || fore) && (back != kWhite || fore != kBlack);
}

}  // namespace

Block FillArea(const VexaMess& doc, const CellGrid& grid) {
  if (!doc.GridCreated || doc.DataRow1 < 1 || doc.DataCol1 < 1) return {1, 1, 0, 0};
  const std::int32_t lastRow = doc.FileWithKeys ? grid.rowCount() - 1 : grid.rowCount();
  return grid.clip({doc.DataRow1, doc.DataCol1, lastRow, grid.colCount()});
}

FillEmptyCommand::FillEmptyCommand(VexaMess& doc, CellGrid& grid, bool fillEmpty, bool fillInvalid,
                                   std::string symbol)
    : doc_(doc),
      grid_(grid),
      fillEmpty_(fillEmpty),
      fillInvalid_(fillInvalid),
      symbol_(std::move(symbol)) {
  symbolIsNumber_ = parseNumeric(symbol_, ".", symbolValue_);
}

bool FillEmptyCommand::skipRow(std::int32_t row) const {
  if (!doc_.FileWithKeys) return false;
  for (std::int32_t col = 1; col <= grid_.colCount(); ++col) {
    if (grid_.kind(row, col) == CellKind::Number) return false;
    if (!trimBlanks(grid_.storedText(row, col)).empty()) return false;
  }
  return true;
}

FillEmptyCommand::Change FillEmptyCommand::changeOf(std::int32_t row, std::int32_t col) const {
  const Change paint = paintedOtherThanPlain(grid_, row, col) ? Change::Paint : Change::None;
  if (grid_.kind(row, col) == CellKind::Number) return paint;
  const std::string_view text = trimBlanks(grid_.storedText(row, col));
  if (text.empty()) return fillEmpty_ || fillInvalid_ ? Change::Fill : paint;
  if (!fillInvalid_ || numericText(grid_, text)) return paint;
  DataCheck ignored;
  return GetDataMod::CheckSymbol(text, ignored) ? paint : Change::Fill;
}

void FillEmptyCommand::survey() {
  const Block area = FillArea(doc_, grid_);
  changed_ = {1, 1, 0, 0};
  filled_ = 0;
  for (std::int32_t row = area.row1; row <= area.row2 && !area.empty(); ++row) {
    if (skipRow(row)) continue;
    bool rowChanges = false;
    for (std::int32_t col = area.col1; col <= area.col2; ++col) {
      const Change change = changeOf(row, col);
      if (change == Change::Fill) ++filled_;
      rowChanges = rowChanges || change != Change::None;
    }
    if (!rowChanges) continue;
    if (changed_.empty()) changed_ = {row, area.col1, row, area.col2};
    changed_.row2 = row;
  }
}

void FillEmptyCommand::apply() {
  for (std::int32_t row = changed_.row1; row <= changed_.row2 && !changed_.empty(); ++row) {
    if (skipRow(row)) continue;
    for (std::int32_t col = changed_.col1; col <= changed_.col2; ++col) {
      const Change change = changeOf(row, col);
      if (change == Change::Fill) {
        if (symbolIsNumber_) {
          grid_.setNumber(row, col, symbolValue_, doc_.SaveDecimals);
        } else {
          grid_.setText(row, col, symbol_);
          grid_.setAlignment(row, col, HAlign::Right);
        }
      }
      // A cell never painted already shows black on white; it gets no colours to keep.
      if (change != Change::None && (grid_.backColour(row, col) || grid_.foreColour(row, col))) {
        grid_.setColours(row, col, kWhite, kBlack);
      }
    }
  }
}

void FillEmptyCommand::redo() {
  if (!done_) {
    done_ = true;
    hadData_ = doc_.GridHasData;
    survey();
    undoable_ = BlockSnapshot::mostBytes(changed_) <= snapshotLimitBytes();
    try {
      if (undoable_) before_ = BlockSnapshot(grid_, changed_);
    } catch (const std::bad_alloc&) {
      before_ = BlockSnapshot();
      undoable_ = false;
    }
  }
  apply();
  if (filled_ > 0) doc_.GridHasData = true;
}

void FillEmptyCommand::undo() {
  if (!undoable_) return;
  before_.restore(grid_);
  doc_.GridHasData = hadData_;
}

std::size_t FillEmptyCommand::memoryBytes() const {
  return sizeof(*this) + symbol_.capacity() + before_.memoryBytes();
}

}  // namespace zendra
