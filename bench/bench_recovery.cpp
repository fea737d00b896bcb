// A recovery copy of a 1,000,000-cell table: what the interface's thread spends taking the
// snapshot (the metadata text and a copy of the grid), and what the copy's own thread
// spends turning it into the file's bytes.
#include <benchmark/benchmark.h>

#include "bench_util.h"

#include <string>

#include "format/recovery.h"
#include "grid/data_methods.h"

namespace {

struct Table {
  zendra::VexaMess doc;
  zendra::CellGrid grid;
  Table(int rows, int cols) {
    auto add = [this](const char* name, int side, int count) {
      auto v = doc.addDimension(name, side);
      for (int i = 0; i < count; ++i) v->addVal()->value = name + std::to_string(i);
    };
    add("region", 0, rows / 2);
    add("sex", 0, 2);
    add("year", 1, cols);
    doc.Decimaler = 1;
    doc.setSaveDecimals();
    doc.SprData = &grid;
    zendra::CreateGrid(doc, grid, true, false);
    unsigned v = 12345;
    for (int r = 0; r < doc.NumRows; ++r) {
      for (int c = 0; c < doc.NumCols; ++c) {
        v = v * 1103515245u + 12345u;
        grid.setNumber(doc.DataRow1 + r, doc.DataCol1 + c, (v % 1000000) / 10.0, 1);
      }
    }
    doc.GridHasData = true;
  }
};

void BM_RecoverySnapshot(benchmark::State& state) {
  Table t(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  for (auto _ : state) {
    zendra::recovery::Snapshot s = zendra::recovery::takeSnapshot(t.doc, {});
    benchmark::DoNotOptimize(s.metadata.data());
  }
  reportCellRate(state, static_cast<double>(state.range(0)) * static_cast<double>(state.range(1)));
}
BENCHMARK(BM_RecoverySnapshot)->Args({1000, 1000})->Unit(benchmark::kMillisecond);

void BM_RecoveryBytes(benchmark::State& state) {
  Table t(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  for (auto _ : state) {
    state.PauseTiming();
    zendra::recovery::Snapshot s = zendra::recovery::takeSnapshot(t.doc, {});
    state.ResumeTiming();
    const std::string bytes = zendra::recovery::snapshotBytes(s);
    benchmark::DoNotOptimize(bytes.data());
  }
}
BENCHMARK(BM_RecoveryBytes)->Args({1000, 1000})->Unit(benchmark::kMillisecond);

}  // namespace
