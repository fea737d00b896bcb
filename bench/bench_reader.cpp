// Reading normal-form table files of 1,000,000 and 10,000,000 cells into a document
// and its grid, and files with one PRECISION statement per value.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>
#include "bench_util.h"

#include <cstdio>
#include <fstream>
#include <string>

#include "core/format/reader.h"

namespace {

// Writes a table of rows (region x sex) by cols (year), numbers with one decimal, and
// returns the file's size. Written row by row so that the benchmark's own memory stays
// out of the reader's peak.
std::size_t makeFile(const char* path, int rows, int cols) {
  std::ofstream out(path, std::ios::binary);
  std::string text = "VEXA-VERSION=\"2000\";\r\nMATRIX=\"BENCH\";\r\nDECIMALS=1;\r\n";
  text += "STUB=\"region\",\"sex\";\r\nHEADING=\"year\";\r\nVALUES(\"region\")=";
  for (int i = 0; i < rows / 2; ++i) text += (i ? ",\"R" : "\"R") + std::to_string(i) + "\"";
  text += ";\r\nVALUES(\"sex\")=\"men\",\"women\";\r\nVALUES(\"year\")=";
  for (int i = 0; i < cols; ++i) text += (i ? ",\"" : "\"") + std::to_string(1000 + i) + "\"";
  text += ";\r\nDATA=\r\n";
  std::size_t size = 0;
  unsigned v = 12345;
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < cols; ++c) {
      v = v * 1103515245u + 12345u;
      text += std::to_string(v % 100000) + "." + std::to_string(v % 10) + " ";
    }
    text += "\r\n";
    out << text;
    size += text.size();
    text.clear();
  }
  out << ";\r\n";
  return size + 3;
}

void BM_LoadFile(benchmark::State& state) {
  const auto rows = static_cast<int>(state.range(0));
  const auto cols = static_cast<int>(state.range(1));
  char path[] = "/tmp/zendra-bench-XXXXXX";
  const int fd = mkstemp(path);
  const std::size_t fileSize = makeFile(path, rows, cols);
  close(fd);
  for (auto _ : state) {
    zendra::VexaMess doc;
    zendra::CellGrid grid;
    zendra::ScriptedPrompt prompt(zendra::Prompt::Answer::No);  // load the cells
    doc.VQfilename = path;
    doc.SprData = &grid;
    zendra::Load_From_File(doc, false, &grid, prompt);
    if (!doc.HasData) state.SkipWithError("not loaded");
  }
  std::remove(path);
  struct rusage usage {};
  getrusage(RUSAGE_SELF, &usage);
  const double cells = static_cast<double>(rows) * cols;
  state.SetBytesProcessed(static_cast<std::int64_t>(fileSize) * state.iterations());
  reportCellRate(state, cells);
  state.counters["file_MB"] = static_cast<double>(fileSize) / 1e6;
  state.counters["maxRSS_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_LoadFile)->Args({1000, 1000})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadFile)->Args({10000, 1000})->Unit(benchmark::kMillisecond)->Iterations(2);

// A variable of n values with a PRECISION statement for each, as some producers write.
void BM_LoadPrecisionPerValue(benchmark::State& state) {
  const auto n = static_cast<int>(state.range(0));
  std::string text = "STUB=\"v\";VALUES(\"v\")=";
  for (int i = 0; i < n; ++i) text += (i ? ",\"" : "\"") + std::to_string(i) + "\"";
  text += ";\r\n";
  for (int i = 0; i < n; ++i) {
    text += "PRECISION(\"v\",\"" + std::to_string(i) + "\")=" + std::to_string(i % 4) + ";\r\n";
  }
  for (auto _ : state) {
    zendra::VexaMess doc;
    zendra::ScriptedPrompt prompt;
    zendra::Load_From_Text(doc, text, true, nullptr, prompt);
    if (doc.SaveDecimals != 3) state.SkipWithError("precision not read");
  }
  state.counters["statements/s"] =
      benchmark::Counter(static_cast<double>(n) * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LoadPrecisionPerValue)->Arg(30000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
