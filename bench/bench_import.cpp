// The text import into a laid-out table: 1,000,000 lines of one cell each (two stub
// variables of 1000 and 100 values with codes, one heading variable of 10) and 100,000
// lines of 100 values each (one stub variable of 100,000 values, one heading variable of
// 100). Each run imports into a fresh grid through the undoable step; the counters give
// lines, cells and bytes per second and the bytes the step keeps for undo.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>

#include "editor/import_command.h"
#include "grid/data_methods.h"

namespace {

using namespace zendra;

DimensionRef addCoded(VexaMess& doc, const std::string& name, int side, int count) {
  auto v = doc.addDimension(name, side);
  for (int i = 0; i < count; ++i) {
    auto value = v->addVal();
    value->value = name + " " + std::to_string(i);
    value->code = std::to_string(i);
  }
  v->UseCodes = true;
  return v;
}

struct Table {
  VexaMess doc;
  CellGrid grid;
  Table(bool rows) {
    if (rows) {
      addCoded(doc, "region", 0, 100000);
      addCoded(doc, "item", 1, 100);
    } else {
      addCoded(doc, "region", 0, 1000);
      addCoded(doc, "age", 0, 100);
      addCoded(doc, "year", 1, 10);
    }
    doc.SprData = &grid;
    CreateGrid(doc, grid, true, false);
  }
};

std::string oneCellLines() {
  std::string text;
  for (int r = 0; r < 1000; ++r) {
    for (int a = 0; a < 100; ++a) {
      for (int y = 0; y < 10; ++y) {
        text += std::to_string(r) + ';' + std::to_string(a) + ';' + std::to_string(y) + ';' +
                std::to_string(r + a + y) + ".5\n";
      }
    }
  }
  return text;
}

std::string rowLines() {
  std::string text;
  for (int r = 0; r < 100000; ++r) {
    text += std::to_string(r);
    for (int c = 0; c < 100; ++c) text += ';' + std::to_string(r % 1000 + c) + ".25";
    text += '\n';
  }
  return text;
}

void run(benchmark::State& state, bool rows, const std::string& text, double lines, double cells) {
  std::size_t kept = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto t = std::make_unique<Table>(rows);
    TextImportSettings settings;
    settings.multipleValues = rows;
    ImportTextCommand step(t->doc, t->grid, text, settings);
    state.ResumeTiming();
    step.redo();
    state.PauseTiming();
    kept = step.memoryBytes();
    if (step.result().refused != 0) state.SkipWithError("lines refused");
    t.reset();
    state.ResumeTiming();
  }
  state.counters["lines/s"] =
      benchmark::Counter(lines, benchmark::Counter::kIsIterationInvariantRate);
  state.counters["cells/s"] =
      benchmark::Counter(cells, benchmark::Counter::kIsIterationInvariantRate);
  state.counters["MB/s"] = benchmark::Counter(static_cast<double>(text.size()) / 1e6,
                                              benchmark::Counter::kIsIterationInvariantRate);
  state.counters["undoMB"] = static_cast<double>(kept) / 1e6;
  state.counters["fileMB"] = static_cast<double>(text.size()) / 1e6;
}

void BM_ImportOneCellLines(benchmark::State& state) {
  static const std::string text = oneCellLines();
  run(state, false, text, 1e6, 1e6);
}
BENCHMARK(BM_ImportOneCellLines)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ImportRowLines(benchmark::State& state) {
  static const std::string text = rowLines();
  run(state, true, text, 1e5, 1e7);
}
BENCHMARK(BM_ImportRowLines)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
