// A table of counts grouped by a PostgreSQL server over 10,000,000 rows, through ODBC:
// `zendra-cli dbimport` as a whole command next to `psql` running the same statement and
// printing its result, and the import in-process. The server does the grouping (2,000
// groups by Region, Sex and Year), so the client should add little to psql's time.
//
// The benchmark starts a server of its own with the tests' script (tests/support/
// odbc_servers.sh), loads the 10,000,000 rows with generate_series (a minute or so), and
// stops and removes the server at the end. Counters give the source rows per second.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "core/cli/commands.h"

namespace {

constexpr double kRows = 10'000'000;
const std::string kState = "/tmp/zendra-bench-odbc.env";
const char* const kSql =
    "Select \"Region\", \"Sex\", \"Year\", count(*) as CountOf  From \"public\".\"Big\" GROUP BY "
    "\"Region\", \"Sex\", \"Year\"";

std::string stateValue(const std::string& key) {
  std::ifstream in(kState);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
  }
  return {};
}

// Runs a shell command and reads all it prints; its exit status.
int run(const std::string& command, std::string& output) {
  output.clear();
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return -1;
  std::array<char, 65536> buffer{};
  for (std::size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;) {
    output.append(buffer.data(), n);
  }
  return ::pclose(pipe);
}

std::string psql() {
  return "PGPASSWORD='" + stateValue("POSTGRESQL_PASSWORD") + "' psql -X -h 127.0.0.1 -p " +
         stateValue("POSTGRESQL_PORT") + " -U zendra -d zendra";
}

// Region (100 codes) and Sex (2) down the side, Year (10) across: Big's 2,000 groups.
std::string tableFile() {
  const std::string path = "/tmp/zendra-bench-odbc.vq";
  std::ofstream out(path, std::ios::binary);
  out << "MATRIX=\"BIG\";DECIMALS=0;STUB=\"Region\",\"Sex\";HEADING=\"Year\";VALUES(\"Region\")=";
  for (int r = 1; r <= 100; ++r) out << (r > 1 ? "," : "") << "\"R" << r << "\"";
  out << ";VALUES(\"Sex\")=\"1\",\"2\";VALUES(\"Year\")=";
  for (int y = 0; y < 10; ++y) out << (y ? "," : "") << "\"" << 2000 + y << "\"";
  out << ";DATA=\n;";
  return path;
}

class Server {
 public:
  Server() {
    std::string out;
    const std::string script = std::string(ZENDRA_SOURCE_DIR) + "/tests/support/odbc_servers.sh";
    ok_ = run("bash " + script + " start " + kState + " " + ZENDRA_SOURCE_DIR +
                  "/tests/data/databases 2>&1",
              out) == 0 &&
          run(psql() +
                  " -q -c \"CREATE TABLE \\\"Big\\\" AS SELECT 'R' || (i % 100 + 1) AS "
                  "\\\"Region\\\", (i / 100 % 2 + 1)::text AS \\\"Sex\\\", (2000 + i / 200 % "
                  "10)::text AS \\\"Year\\\", (i % 997) + 0.5 AS \\\"Amount\\\" FROM "
                  "generate_series(0, 9999999) AS i\" -c 'VACUUM ANALYZE \"Big\"' 2>&1",
              out) == 0;
    if (!ok_) std::fprintf(stderr, "the server did not start: %s\n", out.c_str());
  }
  ~Server() {
    std::string out;
    run("bash " + std::string(ZENDRA_SOURCE_DIR) + "/tests/support/odbc_servers.sh stop " + kState,
        out);
  }
  bool ok() const { return ok_; }

 private:
  bool ok_ = false;
};

void rates(benchmark::State& state) {
  state.counters["rows/s"] = benchmark::Counter(kRows * static_cast<double>(state.iterations()),
                                                benchmark::Counter::kIsRate);
}

void BM_Psql_GroupedCount10M(benchmark::State& state) {
  std::string out;
  for (auto _ : state) {
    if (run(psql() + " -c '" + kSql + "'", out) != 0 ||
        out.find("(2000 rows)") == std::string::npos) {
      state.SkipWithError("psql failed");
      break;
    }
  }
  rates(state);
}
BENCHMARK(BM_Psql_GroupedCount10M)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_ZendraCliDbImport_GroupedCount10M(benchmark::State& state) {
  const std::string table = tableFile();
  const std::string command = std::string(ZENDRA_CLI) + " dbimport " + table +
                              " 'odbc:" + stateValue("POSTGRESQL") +
                              "' /tmp/zendra-bench-odbc-out.vq --source Big --fields "
                              "Region,Sex,Year --count 2>&1";
  std::string out;
  for (auto _ : state) {
    if (run(command, out) != 0) {
      state.SkipWithError(("dbimport failed: " + out).c_str());
      break;
    }
  }
  rates(state);
}
BENCHMARK(BM_ZendraCliDbImport_GroupedCount10M)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);

// The same in-process: what the client adds beyond starting a program.
void BM_DbImportInProcess_GroupedCount10M(benchmark::State& state) {
  const std::string table = tableFile();
  const zendra::cli::DbImportOptions options{"Big", {"Region", "Sex", "Year"}, "", std::nullopt};
  for (auto _ : state) {
    std::ostringstream err;
    if (zendra::cli::runDbImport(table, "odbc:" + stateValue("POSTGRESQL"),
                                 "/tmp/zendra-bench-odbc-out.vq", options, err) != 0) {
      state.SkipWithError(("dbimport failed: " + err.str()).c_str());
      break;
    }
  }
  rates(state);
}
BENCHMARK(BM_DbImportInProcess_GroupedCount10M)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  Server started;
  if (!started.ok()) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
