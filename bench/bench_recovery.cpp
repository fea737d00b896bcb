// A recovery copy of a 1,000,000-cell table: what the interface's thread spends taking the
// snapshot (the metadata text and a copy of the grid), and what the copy's own thread
// spends turning it into the file's bytes.
#include <benchmark/benchmark.h>

#include "bench_number_table.h"
#include "bench_util.h"

#include <string>

#include "core/format/recovery.h"
#include "core/grid/data_methods.h"

namespace {

void BM_RecoverySnapshot(benchmark::State& state) {
  NumberTable t(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  for (auto _ : state) {
    zendra::recovery::Snapshot s = zendra::recovery::takeSnapshot(t.doc, {});
    benchmark::DoNotOptimize(s.metadata.data());
  }
  reportCellRate(state, static_cast<double>(state.range(0)) * static_cast<double>(state.range(1)));
}
BENCHMARK(BM_RecoverySnapshot)->Args({1000, 1000})->Unit(benchmark::kMillisecond);

void BM_RecoveryBytes(benchmark::State& state) {
  NumberTable t(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
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
