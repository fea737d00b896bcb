// Undoable steps on a 10,000,000-cell table: a cell edit and its undo keep one cell, so
// each takes well under a millisecond however large the table; Clear all data keeps a
// copy of the whole grid.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <string>

#include "editor/cell_commands.h"
#include "grid/data_methods.h"

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

}  // namespace
