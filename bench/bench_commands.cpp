// Undoable steps on a 10,000,000-cell table: a cell edit and its undo keep one cell, so
// each takes well under a millisecond however large the table; Clear all data keeps a
// copy of the whole grid. Value steps on a laid-out grid with data: an edit of a value's
// text on 1,000,000 cells, and 1,000 of 10,000 values removed with their rows.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "core/editor/cell_commands.h"
#include "core/editor/value_commands.h"
#include "core/grid/data_methods.h"

namespace {

using Clock = std::chrono::steady_clock;

void addValues(zendra::DimensionData& v, int count, const char* prefix) {
  for (int i = 0; i < count; ++i) v.addVal()->value = prefix + std::to_string(i);
}

// 10,000 rows (region 1000 x sex 10) by 1000 years, every data cell a number; in the
// keys form the same 10,000 rows of keys and the entry row below them.
struct Table {
  explicit Table(bool keys) {
    doc.FileWithKeys = keys;
    addValues(*doc.addDimension("region", 0), 1000, "Region ");
    addValues(*doc.addDimension("sex", 0), 10, "Sex ");
    addValues(*doc.addDimension("year", 1), 1000, "");
    doc.SaveDecimals = 1;
    zendra::CreateGrid(doc, grid, true, false);
    if (keys) {
      grid.insertRows(doc.DataRow1, 10000);
      doc.NumRows = grid.rowCount() - doc.DataRow1 + 1;
    }
    for (std::int32_t r = doc.DataRow1; r < doc.DataRow1 + 10000; ++r) {
      for (std::int32_t c = doc.DataCol1; c <= grid.colCount(); ++c) grid.setNumber(r, c, r + c, 1);
    }
    doc.GridHasData = true;
  }
  zendra::VexaMess doc;
  zendra::CellGrid grid;
};

// Times redo and undo apart and reports each in nanoseconds a step.
void editAndUndo(benchmark::State& state, Table& t, std::int32_t row, std::int32_t col) {
  Clock::duration redo{}, undo{};
  std::int64_t steps = 0;
  for (auto _ : state) {
    zendra::EditCellCommand edit(t.doc, t.grid, row, col, "12.5");
    const auto start = Clock::now();
    edit.redo();
    const auto done = Clock::now();
    edit.undo();
    undo += Clock::now() - done;
    redo += done - start;
    ++steps;
  }
  auto ns = [&](Clock::duration d) {
    return static_cast<double>(std::chrono::duration_cast<std::chrono::nanoseconds>(d).count()) /
           static_cast<double>(steps);
  };
  state.counters["redo_ns"] = ns(redo);
  state.counters["undo_ns"] = ns(undo);
  state.counters["cells"] = static_cast<double>(t.grid.rowCount()) * t.grid.colCount();
}

void BM_EditCellRedoUndo(benchmark::State& state) {
  Table t(false);
  editAndUndo(state, t, t.doc.DataRow1 + 5000, t.doc.DataCol1 + 500);
}
BENCHMARK(BM_EditCellRedoUndo)->Unit(benchmark::kMicrosecond);

// The keys form's entry row: the edit adds a row of 1002 cells and undo removes it.
void BM_EditEntryRowRedoUndo(benchmark::State& state) {
  Table t(true);
  // The first new row may move the whole cell array once; later ones reuse its room.
  zendra::EditCellCommand first(t.doc, t.grid, t.grid.rowCount(), 1, "Region 1");
  first.redo();
  first.undo();
  editAndUndo(state, t, t.grid.rowCount(), 1);
}
BENCHMARK(BM_EditEntryRowRedoUndo)->Unit(benchmark::kMicrosecond);

// For comparison: Clear all data copies the whole grid before it lays it out anew.
void BM_ClearAllDataRedoUndo(benchmark::State& state) {
  Table t(false);
  for (auto _ : state) {
    zendra::ClearAllDataCommand clear(t.doc, t.grid, false);
    clear.redo();
    clear.undo();
    state.counters["undoable"] = clear.undoable();
    state.counters["kept_MB"] = static_cast<double>(clear.memoryBytes()) / (1 << 20);
  }
}
BENCHMARK(BM_ClearAllDataRedoUndo)->Unit(benchmark::kMillisecond)->Iterations(3);

// A laid-out grid of rows x cols data cells, each a number: stub "row", heading "col".
struct ValueTable {
  ValueTable(int rows, int cols) {
    addValues(*doc.addDimension("row", 0), rows, "Row ");
    addValues(*doc.addDimension("col", 1), cols, "Col ");
    zendra::CreateGrid(doc, grid, true, false);
    for (std::int32_t r = doc.DataRow1; r <= grid.rowCount(); ++r) {
      for (std::int32_t c = doc.DataCol1; c <= grid.colCount(); ++c) grid.setNumber(r, c, r + c, 0);
    }
    doc.GridHasData = true;
  }
  zendra::VexaMess doc;
  zendra::CellGrid grid;
};

// Times a step's redo and undo apart, in milliseconds, a new step each iteration.
template <typename Make>
void redoAndUndo(benchmark::State& state, Make make) {
  Clock::duration redo{}, undo{};
  std::int64_t steps = 0;
  for (auto _ : state) {
    auto step = make();
    const auto start = Clock::now();
    step.redo();
    const auto done = Clock::now();
    step.undo();
    undo += Clock::now() - done;
    redo += done - start;
    ++steps;
  }
  auto ms = [&](Clock::duration d) {
    return static_cast<double>(std::chrono::duration_cast<std::chrono::microseconds>(d).count()) /
           1000.0 / static_cast<double>(steps);
  };
  state.counters["redo_ms"] = ms(redo);
  state.counters["undo_ms"] = ms(undo);
}

// A new text for one value of each side of a 1000 x 1000 grid: its labels are rewritten.
void BM_EditValueTextMillionCells(benchmark::State& state) {
  ValueTable t(1000, 1000);
  const auto side = state.range(0) == 0 ? t.doc.colStub.Item(1) : t.doc.colHeading.Item(1);
  redoAndUndo(state, [&] {
    return zendra::SetValueCommand(t.doc, t.grid, side, 500, zendra::SetValueCommand::Field::Text,
                                   "Renamed", false);
  });
}
BENCHMARK(BM_EditValueTextMillionCells)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A new value at the end of the heading of a 1000 x 1000 grid: a column of 1000 cells.
void BM_AddValueMillionCells(benchmark::State& state) {
  ValueTable t(1000, 1000);
  redoAndUndo(state, [&] {
    return zendra::AddValueCommand(t.doc, t.grid, t.doc.colHeading.Item(1), "New", "", false);
  });
}
BENCHMARK(BM_AddValueMillionCells)->Unit(benchmark::kMillisecond);

// Every tenth value of a 10,000-valued stub variable removed at once, on 10,000 x 10
// cells with data, and put back.
void BM_RemoveThousandOfTenThousandValues(benchmark::State& state) {
  ValueTable t(10000, 10);
  std::vector<std::int32_t> every10th;
  for (std::int32_t p = 1; p <= 10000; p += 10) every10th.push_back(p);
  redoAndUndo(state, [&] {
    return zendra::RemoveValuesCommand(t.doc, t.grid, t.doc.colStub.Item(1), every10th, false);
  });
}
BENCHMARK(BM_RemoveThousandOfTenThousandValues)->Unit(benchmark::kMillisecond);

}  // namespace
