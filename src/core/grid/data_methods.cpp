#include "core/grid/data_methods.h"

#include <algorithm>
#include <limits>
#include <new>
#include <optional>
#include <vector>

#include "core/grid/numeric.h"

namespace zendra {
namespace {

const std::string& labelOf(const DimensionData& variable, const ValueAndCode& value,
                           bool showCodes) {
  return (variable.UseCodes && showCodes) ? value.code : value.value;
}

// A heading variable spans data columns unless the table is in the keys form and the
// variable is itself keyed.
bool spansColumns(const VexaMess& doc, const DimensionData& variable) {
  return !doc.FileWithKeys || variable.Keytype == 0;
}

std::int32_t lastRow(const CellGrid& grid) {
  return grid.rowCount();
}
std::int32_t lastCol(const CellGrid& grid) {
  return grid.colCount();
}

Block labelRows(const VexaMess& doc, const CellGrid& grid) {
  return {1, 1, doc.DataRow1 - 1, lastCol(grid)};
}

Block labelCols(const VexaMess& doc, const CellGrid& grid) {
  return {1, 1, lastRow(grid), doc.DataCol1 - 1};
}


void writeCorner(const VexaMess& doc, CellGrid& grid) {
  grid.setText(1, 1, doc.Description.empty() ? doc.Title : doc.Description);
}

// Locks and left-aligns the label rows; in the normal form also locks the label
// columns and makes each as wide as its longest label, at most twice the width of the
// first data column.
void formatLabels(const VexaMess& doc, CellGrid& grid) {
  const Block rows = labelRows(doc, grid);
  grid.setBlockLocked(rows, true);
  grid.setBlockAlignment(rows, HAlign::Left);
  if (doc.FileWithKeys) return;
  grid.setBlockLocked(labelCols(doc, grid), true);
  const float limit = 2 * grid.columnWidth(doc.DataCol1);
  for (std::int32_t col = 1; col < doc.DataCol1; ++col) {
    const auto needed = static_cast<float>(grid.maxTextWidth(col, doc.DataRow1, lastRow(grid)));
    grid.setColumnWidth(col, std::min(needed, limit));
  }
}

void freeze(const VexaMess& doc, CellGrid& grid) {
  if (doc.FileWithKeys) {
    grid.setFrozen(doc.DataRow1 - 1, 0);
  } else {
    grid.setFrozen(doc.colHeading.Count() + 1, doc.colStub.Count());
  }
}

// New cells inside a laid-out grid get the layout's format: right-aligned text cells,
// data cells with the grid's decimals.
void formatNewCells(const VexaMess& doc, CellGrid& grid, const Block& block) {
  grid.setBlockAlignment(block, HAlign::Right);
  const Block data{std::max(block.row1, doc.DataRow1), std::max(block.col1, doc.DataCol1),
                   block.row2, block.col2};
  grid.setBlockDecimals(data, doc.GridDecimals);
}

std::int64_t valueProduct(const std::vector<DimensionRef>& variables, std::size_t from,
                          std::size_t to) {
  std::int64_t product = 1;
  for (std::size_t i = from; i < to; ++i) {
    product = saturatingMultiply(product, variables[i]->ValueCode.Count());
  }
  return product;
}

// The variables that span the rows (stub) or the columns (heading) of the data area.
std::vector<DimensionRef> spanningStub(const VexaMess& doc) {
  return doc.colStub.NewEnum();
}

std::vector<DimensionRef> spanningHeading(const VexaMess& doc) {
  std::vector<DimensionRef> out;
  for (const auto& v : doc.colHeading) {
    if (spansColumns(doc, *v)) out.push_back(v);
  }
  return out;
}

// Span (data rows or columns one value covers within one repetition) and repetitions
// (combinations of the variables before it) of a variable among the spanning ones.
struct Spread {
  std::int32_t span = 0;
  std::int32_t repetitions = 0;
};

std::optional<Spread> spreadOf(const std::vector<DimensionRef>& variables,
                               const DimensionData& variable) {
  for (std::size_t i = 0; i < variables.size(); ++i) {
    if (variables[i].get() != &variable) continue;
    const auto span = valueProduct(variables, i + 1, variables.size());
    const auto reps = valueProduct(variables, 0, i);
    if (span <= 0 || reps <= 0 || span > std::numeric_limits<std::int32_t>::max() ||
        reps > std::numeric_limits<std::int32_t>::max()) {
      return std::nullopt;
    }
    return Spread{static_cast<std::int32_t>(span), static_cast<std::int32_t>(reps)};
  }
  return std::nullopt;
}

}  // namespace

Block DataArea(const VexaMess& doc, const CellGrid& grid) {
  return {doc.DataRow1, doc.DataCol1, lastRow(grid), lastCol(grid)};
}

namespace {

// The spans of a side's variables: a value of variable k covers the product of the value
// counts of the variables after it.
std::vector<std::int64_t> sideSpans(const DimensionDataColl& side) {
  std::vector<std::int64_t> spans(static_cast<std::size_t>(side.Count()), 1);
  for (std::int32_t k = side.Count() - 1; k >= 1; --k) {
    spans[static_cast<std::size_t>(k - 1)] =
        spans[static_cast<std::size_t>(k)] * std::max(1, side.Item(k + 1)->ValueCode.Count());
  }
  return spans;
}

bool addressSide(const DimensionDataColl& side, std::int64_t offset, CellAddress& address) {
  const std::vector<std::int64_t> spans = sideSpans(side);
  for (std::int32_t k = 1; k <= side.Count(); ++k) {
    const DimensionRef variable = side.Item(k);
    const std::int64_t index = offset / spans[static_cast<std::size_t>(k - 1)];
    offset %= spans[static_cast<std::size_t>(k - 1)];
    if (index >= variable->ValueCode.Count()) return false;
    address.values.emplace_back(variable.get(),
                                variable->ValueCode.Item(static_cast<std::int32_t>(index) + 1).get());
  }
  return true;
}

// The offset along a side of the values of address; -1 when one is gone.
std::int64_t findSide(const DimensionDataColl& side, const CellAddress& address) {
  const std::vector<std::int64_t> spans = sideSpans(side);
  std::int64_t offset = 0;
  for (std::int32_t k = 1; k <= side.Count(); ++k) {
    const DimensionRef variable = side.Item(k);
    const auto known = std::find_if(address.values.begin(), address.values.end(),
                                    [&](const auto& v) { return v.first == variable.get(); });
    if (known == address.values.end()) continue;  // a new variable: its first value
    std::int32_t index = -1;
    for (std::int32_t i = 1; i <= variable->ValueCode.Count(); ++i) {
      if (variable->ValueCode.Item(i).get() == known->second) index = i - 1;
    }
    if (index < 0) return -1;
    offset += index * spans[static_cast<std::size_t>(k - 1)];
  }
  return offset;
}

}  // namespace

CellAddress AddressOf(const VexaMess& doc, std::int32_t row, std::int32_t col) {
  CellAddress address;
  if (!doc.GridCreated || doc.FileWithKeys || row < doc.DataRow1 || col < doc.DataCol1) {
    return address;
  }
  if (!addressSide(doc.colStub, row - doc.DataRow1, address) ||
      !addressSide(doc.colHeading, col - doc.DataCol1, address)) {
    address.values.clear();
  }
  return address;
}

bool FindAddress(const VexaMess& doc, const CellAddress& address, std::int32_t& row,
                 std::int32_t& col) {
  if (address.empty() || !doc.GridCreated || doc.FileWithKeys) return false;
  const std::int64_t down = findSide(doc.colStub, address);
  const std::int64_t across = findSide(doc.colHeading, address);
  if (down < 0 || across < 0) return false;
  row = doc.DataRow1 + static_cast<std::int32_t>(down);
  col = doc.DataCol1 + static_cast<std::int32_t>(across);
  return true;
}

void KeepCurrentOnData(const VexaMess& doc, CellGrid& grid, const CellAddress& was) {
  if (!doc.GridCreated) return;
  std::int32_t foundRow = 0, foundCol = 0;
  if (FindAddress(doc, was, foundRow, foundCol) && grid.contains(foundRow, foundCol)) {
    if (foundRow != grid.currentRow() || foundCol != grid.currentCol()) {
      grid.setCurrent(foundRow, foundCol);
      grid.setSelection(Block{foundRow, foundCol, foundRow, foundCol});
    }
    return;
  }
  Block data = DataArea(doc, grid);
  // The keys form's key columns are typed into as well.
  if (doc.FileWithKeys) data.col1 = 1;
  if (data.row1 < 1 || data.row1 > data.row2 || data.col1 > data.col2) return;
  const std::int32_t row = grid.currentRow();
  const std::int32_t col = grid.currentCol();
  if (row >= data.row1 && row <= data.row2 && col >= data.col1 && col <= data.col2) return;
  grid.setCurrent(data.row1, data.col1);
  grid.setSelection(Block{data.row1, data.col1, data.row1, data.col1});
}

bool SizeGrid(VexaMess& doc, CellGrid& grid) {
  for (const auto& v : doc.Dimensions) {
    if (v->ValueCode.Count() == 0) return false;
  }
  const auto heading = spanningHeading(doc);
  const auto stub = spanningStub(doc);
  const std::int64_t cols = valueProduct(heading, 0, heading.size());
  const std::int64_t rows = doc.FileWithKeys ? 1 : valueProduct(stub, 0, stub.size());
  const std::int64_t gridRows = doc.DataRow1 + rows - 1;
  const std::int64_t gridCols = doc.DataCol1 + cols - 1;
  constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
  if (gridRows > kMax || gridCols > kMax || gridRows * gridCols > grid.maxCells()) {
    return false;
  }
  grid.setSize(0, 0);  // the layout empties the grid anyway; no cells to carry over
  if (!grid.setSize(static_cast<std::int32_t>(gridRows), static_cast<std::int32_t>(gridCols))) {
    return false;
  }
  doc.NumRows = static_cast<std::int32_t>(rows);
  doc.NumCols = static_cast<std::int32_t>(cols);
  return true;
}

bool CreateGrid(VexaMess& doc, CellGrid& grid, bool load, bool showCodes) {
  doc.GridCreated = false;
  if (doc.Dimensions.Count() == 0) return false;
  const std::int32_t h = doc.colHeading.Count();
  const std::int32_t s = doc.colStub.Count();
  doc.DataRow1 = (h == 0 && doc.FileWithKeys) ? 3 : h + 2;
  doc.DataCol1 = s + 1;
  if (!SizeGrid(doc, grid)) return false;

  grid.clearAll();
  grid.setBlockAlignment(grid.all(), HAlign::Right);
  grid.setProtected(false);
  try {
    writeCorner(doc, grid);
    if (doc.FileWithKeys) {
      WriteKeysHeader(doc, grid);
      WriteHeadingLabels(doc, grid, showCodes);
    } else {
      WriteHeadingLabels(doc, grid, showCodes);
      WriteStubLabels(doc, grid, showCodes);
    }
  } catch (const std::bad_alloc&) {
    grid.clear();  // no memory for the labels: no half-made layout stays
    return false;
  }
  freeze(doc, grid);
  formatLabels(doc, grid);
  grid.setProtected(true);
  grid.setGridLineColour(kSilver);
  grid.setCurrent(doc.DataRow1, doc.DataCol1);
  if (load) SetCellDecimals(doc, grid);
  doc.GridCreated = true;
  return true;
}

void WriteKeysHeader(const VexaMess& doc, CellGrid& grid) {
  std::int32_t col = 1;
  for (const auto& v : doc.colStub) grid.setText(2, col++, v->name);
  grid.setText(2, col, "Cell Value");
}

// Writes the labels of variables along one side of the data area: the k-th variable
// takes line k (a row over the data for the heading, a column beside it for the stub).
// Each value's label fills as many cells as one value spans, the product of the value
// counts of the variables after it, and the values repeat once per combination of the
// variables before it. A variable that spans nothing (skip) keeps its line empty.
// put(line, offset, label) writes one cell, offset counted from the data area's edge.
template <typename Skip, typename Put>
void writeLabels(const DimensionDataColl& variables, std::int64_t total, bool showCodes, Skip skip,
                 Put put) {
  std::int64_t span = total;
  std::int64_t repeat = 1;
  std::int32_t line = 0;
  for (const auto& variable : variables) {
    ++line;
    if (skip(*variable)) continue;
    const std::int32_t count = variable->ValueCode.Count();
    if (count == 0) return;
    span /= count;
    std::int64_t offset = 0;
    for (std::int64_t r = 0; r < repeat; ++r) {
      for (const auto& value : variable->ValueCode) {
        const std::string& label = labelOf(*variable, *value, showCodes);
        for (std::int64_t i = 0; i < span; ++i) put(line, offset++, label);
      }
    }
    repeat *= count;
  }
}

void WriteHeadingLabels(const VexaMess& doc, CellGrid& grid, bool showCodes) {
  writeLabels(
      doc.colHeading, doc.NumCols, showCodes,
      [&doc](const DimensionData& v) { return !spansColumns(doc, v); },
      [&](std::int32_t line, std::int64_t offset, const std::string& label) {
        grid.setText(line + 1, doc.DataCol1 + static_cast<std::int32_t>(offset), label);
      });
}

void WriteStubLabels(const VexaMess& doc, CellGrid& grid, bool showCodes) {
  if (doc.FileWithKeys) return;
  writeLabels(
      doc.colStub, doc.NumRows, showCodes, [](const DimensionData&) { return false; },
      [&](std::int32_t line, std::int64_t offset, const std::string& label) {
        grid.setText(doc.DataRow1 + static_cast<std::int32_t>(offset), line, label);
      });
}

void SetCellDecimals(VexaMess& doc, CellGrid& grid) {
  grid.setBlockDecimals(DataArea(doc, grid), doc.SaveDecimals);
  doc.GridDecimals = doc.SaveDecimals;
}

void UpdateForValueChange(VexaMess& doc, CellGrid& grid, const DimensionData& variable,
                          ValueChange kind, std::int32_t position, bool showCodes) {
  if (!doc.GridCreated) return;
  const bool inStub = doc.colStub.IndexOf(&variable) != 0;
  const bool inHeading = doc.colHeading.IndexOf(&variable) != 0;
  if (!inStub && !inHeading) return;
  // The keys form has no label columns: its rows come from the keys the user types.
  if (doc.FileWithKeys && inStub) return;

  auto rewriteLabels = [&] {
    if (inStub) {
      WriteStubLabels(doc, grid, showCodes);
      formatLabels(doc, grid);
    } else {
      WriteHeadingLabels(doc, grid, showCodes);
      formatLabels(doc, grid);
    }
  };
  if (kind == ValueChange::TextChanged || (inHeading && !spansColumns(doc, variable))) {
    rewriteLabels();
    return;
  }

  const auto variables = inStub ? spanningStub(doc) : spanningHeading(doc);
  const auto spread = spreadOf(variables, variable);
  if (!spread) return;
  const std::int32_t span = spread->span;
  const std::int32_t reps = spread->repetitions;
  const std::int32_t first = inStub ? doc.DataRow1 : doc.DataCol1;
  std::int32_t& count = inStub ? doc.NumRows : doc.NumCols;

  if (kind == ValueChange::Added) {
    const std::int32_t newCount = variable.ValueCode.Count();
    const std::int32_t oldCount = newCount - 1;
    if (oldCount <= 0) return;
    const std::int64_t grown = static_cast<std::int64_t>(count) / oldCount * newCount;
    const std::int64_t other = inStub ? grid.colCount() : grid.rowCount();
    const std::int64_t total = (inStub ? doc.DataRow1 : doc.DataCol1) - 1 + grown;
    if (total > std::numeric_limits<std::int32_t>::max() || total * other > grid.maxCells()) {
      doc.GridCreated = false;  // cannot follow: the grid must be laid out anew
      return;
    }
    for (std::int32_t r = reps; r >= 1; --r) {
      const std::int32_t at = first + r * oldCount * span;
      if (inStub) {
        grid.insertRows(at, span);
        formatNewCells(doc, grid, {at, 1, at + span - 1, grid.colCount()});
      } else {
        grid.insertCols(at, span);
        formatNewCells(doc, grid, {1, at, grid.rowCount(), at + span - 1});
      }
    }
    count = static_cast<std::int32_t>(grown);
    rewriteLabels();
    return;
  }

  // Removing: the value at position is still in the variable.
  const std::int32_t oldCount = variable.ValueCode.Count();
  if (position < 1 || position > oldCount) return;
  for (std::int32_t r = reps; r >= 1; --r) {
    const std::int32_t at = first + (r - 1) * oldCount * span + (position - 1) * span;
    if (inStub) {
      grid.deleteRows(at, span);
    } else {
      grid.deleteCols(at, span);
    }
  }
  count = count / oldCount * (oldCount - 1);
}

std::vector<Block> ValueCells(const VexaMess& doc, const CellGrid& grid,
                              const DimensionData& variable, std::int32_t position) {
  if (!doc.GridCreated) return {};
  const bool inStub = doc.colStub.IndexOf(&variable) != 0;
  const bool inHeading = doc.colHeading.IndexOf(&variable) != 0;
  if ((!inStub && !inHeading) || (doc.FileWithKeys && inStub)) return {};
  if (inHeading && !spansColumns(doc, variable)) return {};
  const std::int32_t count = variable.ValueCode.Count();
  if (position < 1 || position > count) return {};
  const auto spread = spreadOf(inStub ? spanningStub(doc) : spanningHeading(doc), variable);
  if (!spread) return {};
  std::vector<Block> blocks;
  blocks.reserve(static_cast<std::size_t>(spread->repetitions));
  for (std::int32_t r = 1; r <= spread->repetitions; ++r) {
    const std::int32_t at = (r - 1) * count * spread->span + (position - 1) * spread->span;
    const std::int32_t last = at + spread->span - 1;
    if (inStub) {
      blocks.push_back({doc.DataRow1 + at, 1, doc.DataRow1 + last, grid.colCount()});
    } else {
      blocks.push_back({1, doc.DataCol1 + at, grid.rowCount(), doc.DataCol1 + last});
    }
  }
  return blocks;
}

Block KeysRowsBlock(const VexaMess& doc, const CellGrid& grid) {
  if (!doc.FileWithKeys || doc.DataRow1 < 1) return {1, 1, 0, 0};
  return {doc.DataRow1, 1, grid.rowCount() - 1, grid.colCount()};
}

std::vector<std::size_t> KeysRowsOrder(const VexaMess& doc, const CellGrid& grid) {
  const Block block = KeysRowsBlock(doc, grid);
  if (block.empty()) return {};
  std::vector<std::int32_t> keys;
  for (std::int32_t col = 1; col < doc.DataCol1; ++col) keys.push_back(col);
  return grid.sortOrder(block, keys);
}

void SortKeysRows(const VexaMess& doc, CellGrid& grid) {
  grid.permuteRows(KeysRowsBlock(doc, grid), KeysRowsOrder(doc, grid));
}

bool AddOneValuedVariable(VexaMess& doc, CellGrid& grid, const DimensionData& variable,
                          bool showCodes) {
  if (!doc.GridCreated) return true;
  const bool wasProtected = grid.isProtected();
  if (doc.colHeading.IndexOf(&variable) != 0) {
    const std::int32_t h = doc.colHeading.Count();
    const std::int32_t newRow1 = (h == 0 && doc.FileWithKeys) ? 3 : h + 2;
    if (newRow1 > doc.DataRow1) {
      // Below row 1, so the description stays where it is.
      if (!grid.insertRows(2, newRow1 - doc.DataRow1)) return false;
      doc.DataRow1 = newRow1;
    }
    grid.clearBlock({2, 1, doc.DataRow1 - 1, grid.colCount()});
    grid.setBlockAlignment({2, 1, doc.DataRow1 - 1, grid.colCount()}, HAlign::Right);
    if (doc.FileWithKeys) WriteKeysHeader(doc, grid);
    WriteHeadingLabels(doc, grid, showCodes);
  } else if (doc.colStub.IndexOf(&variable) != 0) {
    const std::int32_t s = doc.colStub.Count();
    if (!grid.insertCols(s, 1)) return false;
    doc.DataCol1 = s + 1;
    formatNewCells(doc, grid, {1, s, grid.rowCount(), s});
    // Row 1 holds only the description; put it back in column 1.
    grid.clearBlock({1, 1, 1, grid.colCount()});
    writeCorner(doc, grid);
    if (doc.FileWithKeys) {
      // The key as the check reads it: the code of a variable with codes.
      const auto value = variable.ValueCode.Item(1);
      const std::string text = !value              ? std::string()
                               : variable.UseCodes ? value->code
                                                   : value->value;
      for (std::int32_t row = doc.DataRow1; row < grid.rowCount(); ++row) {
        grid.setText(row, s, text);
      }
      // The heading's first label row is the header row: its labels come after the
      // header, as in every layout, so that a later relabelling changes nothing.
      WriteKeysHeader(doc, grid);
      WriteHeadingLabels(doc, grid, showCodes);
    } else {
      WriteStubLabels(doc, grid, showCodes);
    }
  } else {
    return true;
  }
  freeze(doc, grid);
  formatLabels(doc, grid);
  grid.setProtected(wasProtected);
  return true;
}

void RelabelGrid(const VexaMess& doc, CellGrid& grid, bool showCodes) {
  if (!doc.GridCreated) return;
  const bool wasProtected = grid.isProtected();
  grid.setProtected(false);
  const Block rows = labelRows(doc, grid);
  grid.clearBlock(rows);
  grid.setBlockAlignment(rows, HAlign::Right);
  writeCorner(doc, grid);
  if (doc.FileWithKeys) {
    WriteKeysHeader(doc, grid);
  } else {
    const Block cols{doc.DataRow1, 1, lastRow(grid), doc.DataCol1 - 1};
    grid.clearBlock(cols);
    grid.setBlockAlignment(cols, HAlign::Right);
    WriteStubLabels(doc, grid, showCodes);
  }
  WriteHeadingLabels(doc, grid, showCodes);
  freeze(doc, grid);
  formatLabels(doc, grid);
  grid.setProtected(wasProtected);
}

void ConvertEditedCell(const VexaMess& doc, CellGrid& grid, std::int32_t row, std::int32_t col) {
  if (doc.DataRow1 < 1 || row < doc.DataRow1 || col < doc.DataCol1 || !grid.contains(row, col)) {
    return;
  }
  if (grid.kind(row, col) == CellKind::Number) return;
  const std::string shown(grid.storedText(row, col));
  double value = 0;
  // The user's decimal character, or the "." of files and of other programs.
  if (parseNumeric(shown, grid.decimalChar(), value) || parseNumeric(shown, ".", value)) {
    grid.setNumber(row, col, value, doc.SaveDecimals);
  } else {
    grid.setAlignment(row, col, HAlign::Right);
  }
}

void ClearSelectionOrCurrent(CellGrid& grid) {
  const Block block = grid.clip(grid.selection().value_or(
      Block{grid.currentRow(), grid.currentCol(), grid.currentRow(), grid.currentCol()}));
  if (!grid.isProtected()) {
    grid.clearBlock(block);
    return;
  }
  for (std::int32_t r = block.row1; r <= block.row2; ++r) {
    for (std::int32_t c = block.col1; c <= block.col2; ++c) {
      if (grid.editable(r, c)) grid.clearCell(r, c);
    }
  }
}

bool AppendKeysRow(VexaMess& doc, CellGrid& grid, std::int32_t count) {
  const std::int32_t first = grid.rowCount() + 1;
  if (count < 1 || !grid.insertRows(first, count)) return false;
  formatNewCells(doc, grid, {first, 1, grid.rowCount(), grid.colCount()});
  doc.NumRows = grid.rowCount() - doc.DataRow1 + 1;
  return true;
}

bool GrowKeysEntryRow(VexaMess& doc, CellGrid& grid, std::int32_t editedRow) {
  if (!doc.FileWithKeys || !doc.GridCreated || editedRow != grid.rowCount()) return false;
  return AppendKeysRow(doc, grid);
}

}  // namespace zendra
