// Filling the empty cells of a 1,000,000-cell table (1000 regions by 1000 years) with a
// symbol text or with 0, and converting a 1,000,000-cell table with every cell a number
// to the keys form, keeping the heading (1000 rows of 1000 cells) or making every
// variable a key (1,000,000 rows). Each redo is timed; undo is reported apart.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "bench_util.h"
#include "core/editor/fill_commands.h"
#include "core/editor/keys_conversion.h"
#include "core/grid/data_methods.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr double kCells = 1000.0 * 1000.0;

// 1000 regions (with codes) by 1000 years, laid out; every cell a number when filled.
struct Table {
  explicit Table(bool filled) {
    auto region = doc.addDimension("region", 0);
    for (int i = 0; i < 1000; ++i) {
      auto value = region->addVal();
      value->value = "Region " + std::to_string(i);
      value->code = std::to_string(100000 + i);
    }
    region->UseCodes = true;
    auto year = doc.addDimension("year", 1);
    for (int i = 0; i < 1000; ++i) year->addVal()->value = std::to_string(1000 + i);
    doc.SaveDecimals = 1;
    zendra::CreateGrid(doc, grid, true, false);
    if (filled) {
      for (std::int32_t r = doc.DataRow1; r <= grid.rowCount(); ++r) {
        for (std::int32_t c = doc.DataCol1; c <= grid.colCount(); ++c) {
          grid.setNumber(r, c, r + c, 1);
        }
      }
    }
    doc.GridHasData = true;
  }
  zendra::VexaMess doc;
  zendra::CellGrid grid;
};

double ms(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

// Arg 0: ".." (text cells); 1: "0" (number cells).
void BM_FillEmptyMillionCells(benchmark::State& state) {
  const char* symbol = state.range(0) == 0 ? ".." : "0";
  Clock::duration undo{};
  for (auto _ : state) {
    state.PauseTiming();
    auto t = std::make_unique<Table>(false);
    zendra::FillEmptyCommand fill(t->doc, t->grid, true, false, symbol);
    state.ResumeTiming();
    fill.redo();
    state.PauseTiming();
    const auto start = Clock::now();
    fill.undo();
    undo += Clock::now() - start;
    t.reset();
    state.ResumeTiming();
  }
  reportCellRate(state, kCells);
  state.counters["undo_ms"] = ms(undo) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_FillEmptyMillionCells)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Arg 1: keeping the heading; 0: every variable a key.
void BM_ConvertToKeysMillionCells(benchmark::State& state) {
  const bool keepHeading = state.range(0) == 1;
  Clock::duration undo{};
  for (auto _ : state) {
    state.PauseTiming();
    auto t = std::make_unique<Table>(true);
    zendra::ConvertToKeysCommand convert(t->doc, t->grid, keepHeading, false);
    state.ResumeTiming();
    convert.redo();
    state.PauseTiming();
    const auto start = Clock::now();
    convert.undo();
    undo += Clock::now() - start;
    t.reset();
    state.ResumeTiming();
  }
  reportCellRate(state, kCells);
  state.counters["undo_ms"] = ms(undo) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ConvertToKeysMillionCells)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace
