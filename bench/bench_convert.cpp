// Converting a table file of 10,000,000 number cells (10,000 rows by 1,000 columns), next to
// the least a program can do with the same file: BM_BareFromToChars reads it, parses every
// number of the DATA section with std::from_chars, formats it with std::to_chars with the
// decimals the file shows and writes the result, on one thread; BM_Convert runs the
// companion's convert command (load, completeness check, write) on it. Both report cells/s
// and the input's bytes per second; BM_Convert also the process's peak memory.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <sstream>
#include <string>
#include <string_view>

#include "bench_util.h"
#include "core/cli/commands.h"

namespace {

constexpr int kRows = 10000;
constexpr int kCols = 1000;

// The input, written once and removed when the program ends.
const std::string& inputFile() {
  static const struct Input {
    std::string path = writeBenchTable(kRows, kCols);
    ~Input() { std::remove(path.c_str()); }
  } input;
  return input.path;
}

std::size_t fileSize(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  std::fseek(f, 0, SEEK_END);
  const auto size = static_cast<std::size_t>(std::ftell(f));
  std::fclose(f);
  return size;
}

void report(benchmark::State& state, const std::string& path) {
  const auto bytes = static_cast<double>(fileSize(path));
  state.counters["cells/s"] = benchmark::Counter(
      static_cast<double>(kRows) * kCols * static_cast<double>(state.iterations()),
      benchmark::Counter::kIsRate);
  state.counters["MB/s"] = benchmark::Counter(bytes / 1e6 * static_cast<double>(state.iterations()),
                                              benchmark::Counter::kIsRate);
  state.counters["file_MB"] = bytes / 1e6;
}

// Reads the whole file, parses the DATA numbers, writes them back with `decimals` decimals,
// one output line per input line. Returns the number of cells written.
std::size_t bareConvert(const std::string& in, const std::string& out, int decimals) {
  std::string text;
  {
    const int fd = ::open(in.c_str(), O_RDONLY);
    text.resize(fileSize(in));
    std::size_t got = 0;
    while (got < text.size()) {
      const ssize_t n = ::read(fd, text.data() + got, text.size() - got);
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
    ::close(fd);
  }
  const std::size_t data = text.find("DATA=");
  std::string output = text.substr(0, data + 5);
  output.reserve(text.size() + text.size() / 8);
  const char* p = text.data() + data + 5;
  const char* const end = text.data() + text.size();
  std::size_t cells = 0;
  char buffer[64];
  while (p < end && *p != ';') {
    const char c = *p;
    if (c == ' ' || c == '\t' || c == ',') {
      ++p;
    } else if (c == '\r' || c == '\n') {
      output += c;
      ++p;
    } else {
      double value = 0;
      const auto parsed = std::from_chars(p, end, value);
      if (parsed.ec != std::errc()) break;
      p = parsed.ptr;
      const auto formatted =
          std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
      output.append(buffer, formatted.ptr);
      output += ' ';
      ++cells;
    }
  }
  output += ";\r\n";
  std::FILE* f = std::fopen(out.c_str(), "wb");
  std::fwrite(output.data(), 1, output.size(), f);
  std::fclose(f);
  return cells;
}

void BM_BareFromToChars(benchmark::State& state) {
  const std::string& in = inputFile();
  const std::string out = in + ".bare";
  for (auto _ : state) {
    if (bareConvert(in, out, 1) != static_cast<std::size_t>(kRows) * kCols) {
      state.SkipWithError("not every cell read");
    }
  }
  std::remove(out.c_str());
  report(state, in);
}
BENCHMARK(BM_BareFromToChars)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_Convert(benchmark::State& state) {
  const std::string& in = inputFile();
  const std::string out = in + ".converted";
  for (auto _ : state) {
    std::ostringstream err;
    if (zendra::cli::runConvert(in, out, false, false, err) != 0) {
      state.SkipWithError(err.str().c_str());
    }
  }
  std::remove(out.c_str());
  report(state, in);
  struct rusage usage {};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["maxRSS_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_Convert)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
