// A 1,000 x 1,000 block through the clipboard: a grid's block written as clipboard text,
// that text read back, and the paste step (with its undo copy and the conversion of every
// cell) on a 1,000 x 1,000 data area. Each reports cells/s and the text's MB/s.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "bench_util.h"
#include "core/editor/paste_commands.h"
#include "core/grid/clipboard_block.h"
#include "core/grid/data_methods.h"

namespace {

constexpr int kSide = 1000;
constexpr double kCells = static_cast<double>(kSide) * kSide;

// Region (1000 values) by year (1000 values), every data cell a number with a decimal.
struct Table {
  Table() {
    auto region = doc.addDimension("region", 0);
    auto year = doc.addDimension("year", 1);
    for (int i = 0; i < kSide; ++i) {
      region->addVal()->value = "R" + std::to_string(i);
      year->addVal()->value = std::to_string(1000 + i);
    }
    doc.SaveDecimals = 1;
    zendra::CreateGrid(doc, grid, true, false);
    for (std::int32_t r = doc.DataRow1; r <= grid.rowCount(); ++r) {
      for (std::int32_t c = doc.DataCol1; c <= grid.colCount(); ++c) {
        grid.setNumber(r, c, (r * 7 + c) % 100000 + 0.5, 1);
      }
    }
    doc.GridHasData = true;
  }
  zendra::Block data() const {
    return {doc.DataRow1, doc.DataCol1, grid.rowCount(), grid.colCount()};
  }
  zendra::VexaMess doc;
  zendra::CellGrid grid;
};

void reportBytes(benchmark::State& state, std::size_t bytes) {
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes) * state.iterations());
  reportCellRate(state, kCells);
}

void BM_CopyBlockToText(benchmark::State& state) {
  Table t;
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string text = zendra::FormatClipboardBlock(t.grid, t.data());
    bytes = text.size();
    benchmark::DoNotOptimize(text.data());
  }
  reportBytes(state, bytes);
}
BENCHMARK(BM_CopyBlockToText)->Unit(benchmark::kMillisecond);

void BM_ParseClipboardText(benchmark::State& state) {
  Table t;
  const std::string text = zendra::FormatClipboardBlock(t.grid, t.data());
  for (auto _ : state) {
    const auto block = zendra::ClipboardBlock::parse(text);
    benchmark::DoNotOptimize(block.rows());
  }
  reportBytes(state, text.size());
}
BENCHMARK(BM_ParseClipboardText)->Unit(benchmark::kMillisecond);

// Parse and paste, as Paste does: the block read from the text, the cells it covers kept
// for undo, every text converted to a number cell.
void BM_PasteBlock(benchmark::State& state) {
  Table t;
  const std::string text = zendra::FormatClipboardBlock(t.grid, t.data());
  const zendra::Block at{t.doc.DataRow1, t.doc.DataCol1, t.doc.DataRow1, t.doc.DataCol1};
  for (auto _ : state) {
    zendra::PasteCellsCommand paste(t.doc, t.grid, at, zendra::ClipboardBlock::parse(text));
    paste.redo();
    benchmark::DoNotOptimize(paste.area());
  }
  reportBytes(state, text.size());
}
BENCHMARK(BM_PasteBlock)->Unit(benchmark::kMillisecond);

}  // namespace
