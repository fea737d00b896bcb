// The text import into a laid-out table: 1,000,000 lines of one cell each (two stub
// variables of 1000 and 100 values with codes, one heading variable of 10) and 100,000
// lines of 100 values each (one stub variable of 100,000 values, one heading variable of
// 100). Each run imports into a fresh grid through the undoable step; the counters give
// lines, cells and bytes per second, the bytes the step keeps for undo, and the memory the
// process needs during the import next to what the filled table holds after it.
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "core/base/file_io.h"
#include "core/editor/import_command.h"
#include "core/grid/data_methods.h"

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

// The lines written to a file in the temporary folder, removed at the end.
struct DataFile {
  std::string path;
  std::size_t bytes = 0;
  DataFile(const std::string& name, const std::string& text)
      : path((std::filesystem::temp_directory_path() /
              ("zendra-bench-" + std::to_string(::getpid()) + "-" + name))
                 .string()),
        bytes(text.size()) {
    std::ofstream(path, std::ios::binary).write(text.data(), std::streamsize(text.size()));
  }
  ~DataFile() { std::filesystem::remove(path); }
  DataFile(const DataFile&) = delete;
  DataFile& operator=(const DataFile&) = delete;
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

// A line of /proc/self/status in bytes ("VmRSS", "VmHWM"); 0 when it cannot be read.
double statusBytes(const std::string& key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.starts_with(key + ":")) return std::stod(line.substr(key.size() + 1)) * 1024;
  }
  return 0;
}

// Lets the process's peak resident size start again from its present size.
void resetPeak() {
  std::ofstream("/proc/self/clear_refs") << "5";
}

// Imports the file into a fresh table per run, from the file itself (fromFile) or, as
// before, from its bytes read whole first (that read is timed too). Besides the rates:
// gridMB, what the filled table and the undo copies hold after the import; peakMB, the
// most the process grew during it (from its size before the table was made); so peakMB
// minus gridMB is what the import needed beyond what it leaves.
void run(benchmark::State& state, bool rows, const DataFile& file, double lines, double cells) {
  const bool fromFile = state.range(0) != 0;
  std::size_t kept = 0;
  double grid = 0;
  double peak = 0;
  for (auto _ : state) {
    state.PauseTiming();
    ::malloc_trim(0);
    const double before = statusBytes("VmRSS");
    resetPeak();
    auto t = std::make_unique<Table>(rows);
    TextImportSettings settings;
    settings.multipleValues = rows;
    state.ResumeTiming();
    TextSource source = TextSource::ofFile(file.path);
    if (!fromFile) source = TextSource::ofBytes(readFileBytes(file.path).bytes);
    ImportTextCommand step(t->doc, t->grid, std::move(source), settings);
    step.redo();
    state.PauseTiming();
    peak = statusBytes("VmHWM") - before;
    ::malloc_trim(0);
    grid = statusBytes("VmRSS") - before;
    kept = step.memoryBytes();
    if (step.result().refused != 0 || step.result().aborted) state.SkipWithError("lines refused");
    t.reset();
    state.ResumeTiming();
  }
  state.SetLabel(fromFile ? "from the file" : "from its bytes");
  state.counters["lines/s"] =
      benchmark::Counter(lines, benchmark::Counter::kIsIterationInvariantRate);
  state.counters["cells/s"] =
      benchmark::Counter(cells, benchmark::Counter::kIsIterationInvariantRate);
  state.counters["MB/s"] = benchmark::Counter(static_cast<double>(file.bytes) / 1e6,
                                              benchmark::Counter::kIsIterationInvariantRate);
  state.counters["undoMB"] = static_cast<double>(kept) / 1e6;
  state.counters["fileMB"] = static_cast<double>(file.bytes) / 1e6;
  state.counters["gridMB"] = grid / 1e6;
  state.counters["peakMB"] = peak / 1e6;
  state.counters["extraMB"] = (peak - grid) / 1e6;
}

void BM_ImportOneCellLines(benchmark::State& state) {
  static const DataFile file("cells.txt", oneCellLines());
  run(state, false, file, 1e6, 1e6);
}
BENCHMARK(BM_ImportOneCellLines)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ImportRowLines(benchmark::State& state) {
  static const DataFile file("rows.txt", rowLines());
  run(state, true, file, 1e5, 1e7);
}
BENCHMARK(BM_ImportRowLines)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
