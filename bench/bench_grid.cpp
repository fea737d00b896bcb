// Laying out and filling the data grid of large tables.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <string>

#include "bench_util.h"
#include "core/grid/data_methods.h"

namespace {

void addValues(zendra::DimensionData& v, int count, const char* prefix) {
  v.UseCodes = true;
  for (int i = 0; i < count; ++i) {
    auto value = v.addVal();
    value->value = std::string(prefix) + " number " + std::to_string(i);
    value->code = std::to_string(i);
  }
}

// A table of the benchmark's size, state.range(0) rows by state.range(1) columns:
// stub region (rows/10) x sex (10), heading year.
struct Table {
  explicit Table(const benchmark::State& state)
      : rows(static_cast<int>(state.range(0))), cols(static_cast<int>(state.range(1))) {
    addValues(*doc.addDimension("region", 0), rows / 10, "Region");
    addValues(*doc.addDimension("sex", 0), 10, "Sex");
    addValues(*doc.addDimension("year", 1), cols, "Year");
    doc.SaveDecimals = 1;
  }
  double cells() const { return static_cast<double>(rows) * cols; }
  int rows, cols;
  zendra::VexaMess doc;
  zendra::CellGrid grid;
};

void BM_CreateGrid(benchmark::State& state) {
  Table t(state);
  for (auto _ : state) benchmark::DoNotOptimize(zendra::CreateGrid(t.doc, t.grid, true, false));
  reportCellRate(state, t.cells());
}
BENCHMARK(BM_CreateGrid)->Args({1000, 1000})->Args({100000, 10})->Unit(benchmark::kMillisecond);

void BM_CreateAndFillGrid(benchmark::State& state) {
  Table t(state);
  for (auto _ : state) {
    zendra::CreateGrid(t.doc, t.grid, true, false);
    double v = 0;
    for (int r = 0; r < t.doc.NumRows; ++r) {
      for (int c = 0; c < t.doc.NumCols; ++c) {
        t.grid.setNumber(t.doc.DataRow1 + r, t.doc.DataCol1 + c, v += 0.5, 1);
      }
    }
  }
  struct rusage usage {};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["maxRSS_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
  reportCellRate(state, t.cells());
}
BENCHMARK(BM_CreateAndFillGrid)
    ->Args({1000, 1000})
    ->Args({10000, 1000})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace
