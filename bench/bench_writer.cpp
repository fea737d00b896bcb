// Writing tables of 1,000,000 and 10,000,000 number cells: the DATA text alone, and the
// whole file written to disk.
#include <benchmark/benchmark.h>

#include "bench_number_table.h"
#include "bench_util.h"

#include <cstdio>
#include <string>

#include "core/format/writer.h"
#include "core/grid/data_methods.h"

namespace {

void BM_BuildDataText(benchmark::State& state) {
  NumberTable t(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  std::size_t bytes = 0;
  for (auto _ : state) {
    zendra::DataCheck check;
    const std::string text = zendra::GetDataMod::BuildDataText(t.doc, t.grid, check);
    bytes = text.size();
    benchmark::DoNotOptimize(text.data());
  }
  const double cells = static_cast<double>(state.range(0)) * static_cast<double>(state.range(1));
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes) * state.iterations());
  reportCellRate(state, cells);
}
BENCHMARK(BM_BuildDataText)->Args({1000, 1000})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildDataText)->Args({10000, 1000})->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_WriteToFile(benchmark::State& state) {
  NumberTable t(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  const std::string path = "/tmp/zendra-bench-write.vq";
  zendra::WriteOptions options;
  options.ansi = state.range(2) != 0;
  for (auto _ : state) {
    const auto result = zendra::Write_To_File(t.doc, path, options);
    if (!result.ok) state.SkipWithError(result.error.c_str());
  }
  std::FILE* f = std::fopen(path.c_str(), "rb");
  std::fseek(f, 0, SEEK_END);
  const auto bytes = static_cast<std::size_t>(std::ftell(f));
  std::fclose(f);
  std::remove(path.c_str());
  const double cells = static_cast<double>(state.range(0)) * static_cast<double>(state.range(1));
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes) * state.iterations());
  reportCellRate(state, cells);
}
BENCHMARK(BM_WriteToFile)
    ->Args({1000, 1000, 1})
    ->Args({1000, 1000, 0})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteToFile)->Args({10000, 1000, 1})->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
