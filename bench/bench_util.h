#pragma once

#include <benchmark/benchmark.h>

// Reports how many cells a benchmark handled per second of its measured time.
inline void reportCellRate(benchmark::State& state, double cellsPerIteration) {
  state.counters["cells/s"] = benchmark::Counter(
      cellsPerIteration * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
