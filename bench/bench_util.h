#pragma once

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

// Reports how many cells a benchmark handled per second of its measured time.
inline void reportCellRate(benchmark::State& state, double cellsPerIteration) {
  state.counters["cells/s"] = benchmark::Counter(
      cellsPerIteration * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// Writes a table file of rows regions ("R0", ...; with codes "100000", ... when codes) by
// cols years, every cell a number, into a new temporary file and returns its path.
inline std::string writeBenchTable(int rows, int cols, bool codes = false) {
  char path[] = "/tmp/zendra-bench-XXXXXX";
  close(mkstemp(path));
  std::ofstream out(path, std::ios::binary);
  out << "MATRIX=\"BENCH\";\r\nDECIMALS=1;\r\nSTUB=\"region\";\r\nHEADING=\"year\";\r\n";
  out << "VALUES(\"region\")=";
  for (int i = 0; i < rows; ++i) out << (i ? ",\"R" : "\"R") << i << "\"";
  if (codes) {
    out << ";\r\nCODES(\"region\")=";
    for (int i = 0; i < rows; ++i) out << (i ? ",\"" : "\"") << 100000 + i << "\"";
  }
  out << ";\r\nVALUES(\"year\")=";
  for (int i = 0; i < cols; ++i) out << (i ? ",\"" : "\"") << 1000 + i << "\"";
  out << ";\r\nDATA=\r\n";
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < cols; ++c) out << (r * 7 + c) % 100000 << ".5 ";
    out << "\r\n";
  }
  out << ";\r\n";
  return path;
}
