#include "core/editor/keys_conversion.h"

#include <algorithm>
#include <new>
#include <utility>

#include "core/editor/history.h"
#include "core/grid/data_methods.h"
#include "core/model/numeric_text.h"

namespace zendra {
namespace {

// How a data row (stub) or column (heading) index splits into the positions of the
// variables' values, the first variable varying slowest; with each value's key.
struct Axis {
  std::vector<std::vector<std::string>> keys;  // per variable, per value
  std::vector<std::int64_t> spans;             // indexes one value of the variable covers

  explicit Axis(const DimensionDataColl& variables) {
    std::int64_t span = 1;
    for (std::int32_t i = variables.Count(); i >= 1; --i) {
      const DimensionData& v = *variables.Item(i);
      std::vector<std::string> values;
      for (const auto& value : v.ValueCode)
        values.push_back(v.UseCodes ? value->code : value->value);
      keys.insert(keys.begin(), std::move(values));
      spans.insert(spans.begin(), span);
      span *= std::max<std::int64_t>(1, v.ValueCode.Count());
    }
  }
  const std::string& key(std::size_t variable, std::int64_t index) const {
    const auto& values = keys[variable];
    return values[static_cast<std::size_t>(index / spans[variable]) % values.size()];
  }
  std::size_t size() const { return keys.size(); }
};

// The data area of a laid-out normal-form grid.
Block dataArea(const VexaMess& doc, const CellGrid& grid) {
  if (!doc.GridCreated || doc.DataRow1 < 1 || doc.DataCol1 < 1) return {1, 1, 0, 0};
  return grid.clip({doc.DataRow1, doc.DataCol1, grid.rowCount(), grid.colCount()});
}

// A number the writer saves as one, other than 0: a number cell, or a numeric text.
bool nonZeroNumber(const CellGrid& grid, std::int32_t row, std::int32_t col) {
  double value = 0;
  int decimals = 0;
  if (grid.numberAt(row, col, value, decimals)) return value != 0;
  const std::string_view text = trimBlanks(grid.storedText(row, col));
  if (text.empty()) return false;
  return (parseNumeric(text, ".", value) || parseNumeric(text, grid.decimalChar(), value)) &&
         value != 0;
}

bool nonEmpty(const CellGrid& grid, std::int32_t row, std::int32_t col) {
  return grid.kind(row, col) == CellKind::Number || !trimBlanks(grid.storedText(row, col)).empty();
}

bool rowHasNumber(const CellGrid& grid, const Block& area, std::int32_t row) {
  for (std::int32_t col = area.col1; col <= area.col2; ++col) {
    if (nonZeroNumber(grid, row, col)) return true;
  }
  return false;
}

// A cell's content with its kind; the new grid's format stays.
void copyContent(const CellGrid& from, std::int32_t row, std::int32_t col, CellGrid& to,
                 std::int32_t toRow, std::int32_t toCol) {
  double value = 0;
  int decimals = 0;
  if (from.numberAt(row, col, value, decimals)) {
    to.setNumber(toRow, toCol, value, decimals);
  } else if (from.kind(row, col) == CellKind::Text) {
    to.setText(toRow, toCol, from.storedText(row, col));
  }
}

// Gives the keys-form grid rows data rows above its entry row, formatted as the layout
// formats cells. False when the memory for them cannot be had.
bool addKeysRows(VexaMess& doc, CellGrid& grid, std::int64_t rows) {
  const std::int64_t total = doc.DataRow1 + rows;
  if (total > grid.rowCount() && !grid.setRowCount(static_cast<std::int32_t>(total))) return false;
  const Block added{doc.DataRow1, 1, grid.rowCount(), grid.colCount()};
  grid.setBlockAlignment(added, HAlign::Right);
  grid.setBlockDecimals({added.row1, doc.DataCol1, added.row2, added.col2}, doc.GridDecimals);
  doc.NumRows = grid.rowCount() - doc.DataRow1 + 1;
  return true;
}

}  // namespace

std::int64_t CellsNotKeptByKeysConversion(const VexaMess& doc, const CellGrid& grid,
                                          bool keepHeading) {
  const Block area = dataArea(doc, grid);
  std::int64_t dropped = 0;
  for (std::int32_t row = area.row1; row <= area.row2 && !area.empty(); ++row) {
    if (keepHeading && rowHasNumber(grid, area, row)) continue;
    for (std::int32_t col = area.col1; col <= area.col2; ++col) {
      if (nonEmpty(grid, row, col) && (keepHeading || !nonZeroNumber(grid, row, col))) ++dropped;
    }
  }
  return dropped;
}

ConvertToKeysCommand::Variables ConvertToKeysCommand::Variables::of(const VexaMess& doc) {
  Variables out;
  out.structure = StructureState::of(doc);
  for (const auto& v : doc.Dimensions) out.keying.push_back({v, v->Keytype, v->CodesAftes});
  out.FileWithKeys = doc.FileWithKeys;
  return out;
}

void ConvertToKeysCommand::Variables::applyTo(VexaMess& doc) const {
  structure.applyTo(doc);
  for (const auto& k : keying) {
    k.variable->Keytype = k.Keytype;
    k.variable->CodesAftes = k.CodesAftes;
  }
  doc.FileWithKeys = FileWithKeys;
}

ConvertToKeysCommand::ConvertToKeysCommand(VexaMess& doc, CellGrid& grid, bool keepHeading,
                                           bool showCodes)
    : doc_(doc), grid_(grid), keepHeading_(keepHeading), showCodes_(showCodes) {}

bool ConvertToKeysCommand::convert(const CellGrid& old) {
  const Block area = dataArea(doc_, old);
  const Axis stub(doc_.colStub);
  const Axis heading(doc_.colHeading);
  std::int64_t span = 1;
  for (std::int32_t i = doc_.colStub.Count(); i >= 1; --i) {
    const auto& v = doc_.colStub.Item(i);
    v->CodesAftes = static_cast<std::int32_t>(span);
    span *= v->ValueCode.Count();
  }

  // The cells that become rows: whole grid rows keeping the heading, else single cells.
  std::vector<std::pair<std::int32_t, std::int32_t>> kept;
  for (std::int32_t row = area.row1; row <= area.row2 && !area.empty(); ++row) {
    if (keepHeading_) {
      if (rowHasNumber(old, area, row)) kept.emplace_back(row, area.col1);
      continue;
    }
    for (std::int32_t col = area.col1; col <= area.col2; ++col) {
      if (nonZeroNumber(old, row, col)) kept.emplace_back(row, col);
    }
  }

  if (keepHeading_) {
    for (const auto& v : doc_.colHeading) v->Keytype = 0;  // they stay columns
  } else {
    // Every variable a key column, in Dimensions order: the old heading after the stub.
    DimensionDataColl all;
    for (const auto& v : doc_.Dimensions) all.Add(v, v->name);
    doc_.colStub = std::move(all);
    doc_.colHeading = DimensionDataColl();
  }
  for (const auto& v : doc_.colStub) v->Keytype = v->UseCodes ? 1 : 2;
  doc_.FileWithKeys = true;
  if (!CreateGrid(doc_, grid_, true, showCodes_)) return false;
  if (!addKeysRows(doc_, grid_, static_cast<std::int64_t>(kept.size()))) return false;

  std::int32_t row = doc_.DataRow1;
  for (const auto& [oldRow, oldCol] : kept) {
    const std::int64_t r = oldRow - area.row1;
    std::int32_t col = 1;
    for (std::size_t i = 0; i < stub.size(); ++i) grid_.setText(row, col++, stub.key(i, r));
    if (keepHeading_) {
      for (std::int32_t c = area.col1; c <= area.col2 && col <= grid_.colCount(); ++c) {
        copyContent(old, oldRow, c, grid_, row, col++);
      }
    } else {
      const std::int64_t c = oldCol - area.col1;
      for (std::size_t i = 0; i < heading.size(); ++i) grid_.setText(row, col++, heading.key(i, c));
      copyContent(old, oldRow, oldCol, grid_, row, col);
    }
    ++row;
  }
  grid_.setCurrent(doc_.DataRow1, 1);
  doc_.GridHasData = true;
  return true;
}

void ConvertToKeysCommand::redo() {
  if (failed_) return;
  if (done_) {
    if (!undoable_) return;
    std::swap(other_, grid_);
    after_.applyTo(doc_);
    return;
  }
  done_ = true;
  before_ = Variables::of(doc_);
  const std::size_t bytes = gridBytes(grid_);
  undoable_ = bytes <= snapshotLimitBytes();
  // The grid shown is set aside whole and the converted one built beside it.
  CellGrid old;
  std::swap(old, grid_);
  grid_.setDecimalChar(old.decimalChar());
  grid_.setMaxCells(old.maxCells());
  bool converted = false;
  try {
    converted = convert(old);
  } catch (const std::bad_alloc&) {
    converted = false;
  }
  if (!converted) {
    failed_ = true;
    std::swap(old, grid_);
    before_.applyTo(doc_);
    return;
  }
  if (undoable_) {
    other_ = std::move(old);
    otherBytes_ = bytes;
  }
  after_ = Variables::of(doc_);
}

void ConvertToKeysCommand::undo() {
  if (failed_ || !undoable_) return;
  std::swap(other_, grid_);
  before_.applyTo(doc_);
}

std::size_t ConvertToKeysCommand::memoryBytes() const {
  return sizeof(*this) + otherBytes_ +
         (before_.structure.addresses.size() + after_.structure.addresses.size()) *
             sizeof(VacCollection);
}

}  // namespace zendra
