#include "core/export/table_cells.h"

#include <algorithm>

#include "core/format/data_builder.h"
#include "core/model/numeric_text.h"

namespace zendra {
namespace {

// Sets kind and text of cell from the grid's cell.
void readCell(const CellGrid& grid, std::int32_t row, std::int32_t col, ExportCell& cell) {
  if (GetDataMod::cellText(grid, row, col, cell.text)) {
    cell.kind = ExportCell::Kind::Number;
  } else if (cell.text.empty()) {
    cell.kind = ExportCell::Kind::Missing;
  } else {
    DataCheck check;
    cell.kind = GetDataMod::CheckSymbol(cell.text, check) ? ExportCell::Kind::Symbol
                                                          : ExportCell::Kind::Invalid;
  }
}

// Splits a 0-based position in the combinations of variables first..last of Dimensions
// (the last varies fastest) into each variable's value position.
void splitPosition(const VexaMess& doc, std::int32_t first, std::int32_t last,
                   std::int64_t position, std::vector<std::int32_t>& values) {
  for (std::int32_t v = last; v >= first; --v) {
    const std::int32_t count = std::max(1, doc.Dimensions.Item(v)->ValueCode.Count());
    values[static_cast<std::size_t>(v - 1)] = static_cast<std::int32_t>(position % count);
    position /= count;
  }
}

// The 0-based position of the value that key names in the variable, or -1.
std::int32_t keyPosition(const DimensionData& variable, const std::string& key) {
  std::int32_t at = 0;
  for (const auto& value : variable.ValueCode) {
    if ((variable.UseCodes ? value->code : value->value) == key) return at;
    ++at;
  }
  return -1;
}

}  // namespace

ExportWalk ForEachCell(const VexaMess& doc, const CellGrid& grid,
                       const std::function<bool(const ExportCell&)>& visit) {
  ExportWalk walk;
  if (!doc.GridCreated || doc.MetadataOnly) return walk;
  const std::int32_t variables = doc.Dimensions.Count();
  ExportCell cell;
  cell.values.assign(static_cast<std::size_t>(variables), 0);
  const std::int32_t lastCol = grid.colCount();

  if (!doc.FileWithKeys) {
    const std::int32_t stubs = doc.colStub.Count();
    for (std::int32_t row = doc.DataRow1; row <= grid.rowCount(); ++row) {
      splitPosition(doc, 1, stubs, row - doc.DataRow1, cell.values);
      for (std::int32_t col = doc.DataCol1; col <= lastCol; ++col) {
        splitPosition(doc, stubs + 1, variables, col - doc.DataCol1, cell.values);
        readCell(grid, row, col, cell);
        ++walk.cells;
        if (!visit(cell)) return walk;
      }
    }
    return walk;
  }

  // Keys form: the key columns name the first variables, the data columns are the
  // combinations of the rest; the last grid row is the empty entry row.
  const std::int32_t keys = doc.DataCol1 - 1;
  std::string key;
  for (std::int32_t row = doc.DataRow1; row < grid.rowCount(); ++row) {
    bool known = true;
    bool any = false;
    for (std::int32_t col = 1; col <= keys; ++col) {
      key.assign(trimBlanks(grid.text(row, col)));
      any = any || !key.empty();
      const std::int32_t at = keyPosition(*doc.Dimensions.Item(col), key);
      known = known && at >= 0;
      cell.values[static_cast<std::size_t>(col - 1)] = at;
    }
    if (!any) continue;
    if (!known) {
      ++walk.unknownKeyRows;
      continue;
    }
    for (std::int32_t col = doc.DataCol1; col <= lastCol; ++col) {
      splitPosition(doc, keys + 1, variables, col - doc.DataCol1, cell.values);
      readCell(grid, row, col, cell);
      ++walk.cells;
      if (!visit(cell)) return walk;
    }
  }
  return walk;
}

}  // namespace zendra
