// Exporting tables of 1,000,000 and 10,000,000 number cells to tidy CSV, JSON-stat and
// XLSX, beside writing the same table as a table file (what `zendra-cli convert` writes).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "bench_number_table.h"
#include "bench_util.h"
#include "core/base/file_io.h"
#include "core/export/csv_export.h"
#include "core/export/json_stat_export.h"
#include "core/export/xlsx_export.h"
#include "core/format/writer.h"

namespace {

enum Format { kTable, kCsv, kJsonStat, kXlsx };

void BM_Export(benchmark::State& state) {
  NumberTable t(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  const auto format = static_cast<Format>(state.range(2));
  const std::string path = "/tmp/zendra-bench-export";
  std::string error;
  for (auto _ : state) {
    bool ok = false;
    if (format == kTable) {
      ok = zendra::Write_To_File(t.doc, path, {}).ok;
    } else if (format == kXlsx) {
      ok = zendra::WriteXlsx(t.doc, t.grid, path, error);
    } else {
      ok = zendra::writeFileAtomically(
          path,
          [&](const zendra::PieceWriter& write) {
            if (format == kCsv) {
              zendra::WriteTidyCsv(t.doc, t.grid, {}, write);
            } else {
              zendra::WriteJsonStat(t.doc, t.grid, write);
            }
            return true;
          },
          error);
    }
    if (!ok) state.SkipWithError("export failed");
  }
  const double cells = static_cast<double>(state.range(0)) * static_cast<double>(state.range(1));
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    std::fseek(f, 0, SEEK_END);
    state.SetBytesProcessed(static_cast<std::int64_t>(std::ftell(f)) * state.iterations());
    std::fclose(f);
  }
  reportCellRate(state, cells);
  std::remove(path.c_str());
}
BENCHMARK(BM_Export)
    ->ArgNames({"rows", "cols", "format"})
    ->Args({10000, 1000, kTable})
    ->Args({10000, 1000, kCsv})
    ->Args({10000, 1000, kJsonStat})
    ->Args({1000, 1000, kXlsx})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
