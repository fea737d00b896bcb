// The database import's query path. On facts100k.mdb (100,000 rows): opening the Access
// file, copying the table into SQLite and running the table wizard's GROUP BY (count and
// sum over Region, Sex and Year: 2,000 groups), next to mdb-export reading the same table
// whole. At a million rows: the same GROUP BY on a SQLite file of Facts' shape, and the
// Access path's last step, the GROUP BY over a million copied rows (facts100k's rows ten
// times) in an in-memory table whose texts compare without case. Counters give rows/s
// and the file's MB/s.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/database/mdb_database.h"
#include "core/database/sqlite_database.h"

namespace {

using namespace zendra;

const std::string kFacts = std::string(ZENDRA_DATABASES) + "/facts100k.mdb";
const char* const kGroupBy =
    "SELECT [Region], [Sex], [Year], Count(*), Sum([Amount]) FROM [Facts] GROUP BY [Region], "
    "[Sex], [Year]";

void rates(benchmark::State& state, double rows, double bytes) {
  const auto n = static_cast<double>(state.iterations());
  state.counters["rows/s"] = benchmark::Counter(rows * n, benchmark::Counter::kIsRate);
  state.counters["MB/s"] = benchmark::Counter(bytes * n / 1e6, benchmark::Counter::kIsRate);
}

// Walks the grouped rows as the wizard does and checks there are 2,000 of them.
void walk(benchmark::State& state, clsAnyDatabase& db) {
  std::int32_t groups = 0;
  for (db.MoveFirst(); !db.AtEOF(); db.MoveNext()) {
    benchmark::DoNotOptimize(dbValueText(db.Field(0)));
    ++groups;
  }
  if (groups != 2000) state.SkipWithError("not 2000 groups");
}

void BM_AccessGroupBy_Facts100k(benchmark::State& state) {
  for (auto _ : state) {
    clsMDB db;
    db.setDbName(kFacts);
    if (!db.OpenDB() || !db.OpenRecordSet(kGroupBy)) {
      state.SkipWithError("the query failed");
      break;
    }
    walk(state, db);
  }
  rates(state, 100000, static_cast<double>(std::filesystem::file_size(kFacts)));
}
BENCHMARK(BM_AccessGroupBy_Facts100k)->Unit(benchmark::kMillisecond)->UseRealTime();

// Opening and copying alone (the GROUP BY then runs on the copy).
void BM_AccessCopy_Facts100k(benchmark::State& state) {
  for (auto _ : state) {
    clsMDB db;
    db.setDbName(kFacts);
    if (!db.OpenDB() || !db.OpenRecordSet("SELECT 1 FROM Facts LIMIT 1")) {
      state.SkipWithError("the copy failed");
      break;
    }
  }
  rates(state, 100000, static_cast<double>(std::filesystem::file_size(kFacts)));
}
BENCHMARK(BM_AccessCopy_Facts100k)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MdbExport_Facts100k(benchmark::State& state) {
  const std::string command = "mdb-export '" + kFacts + "' Facts > /dev/null";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError("mdb-export failed");
      break;
    }
  }
  rates(state, 100000, static_cast<double>(std::filesystem::file_size(kFacts)));
}
BENCHMARK(BM_MdbExport_Facts100k)->Unit(benchmark::kMillisecond)->UseRealTime();

// Fills table Facts of an open connection with rows rows of facts100k's pattern (repeated
// every 100,000 rows, so 2,000 groups of rows / 2,000 rows).
void fillFacts(sqlite3* db, std::int64_t rows, const char* textType) {
  const std::string create = std::string("CREATE TABLE Facts (Region ") + textType + ", Sex " +
                             textType + ", Year " + textType + ", Amount REAL)";
  sqlite3_exec(db, create.c_str(), nullptr, nullptr, nullptr);
  sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO Facts VALUES (?, ?, ?, ?)", -1, &insert, nullptr);
  char region[8], sex[4], year[8];
  for (std::int64_t k = 0; k < rows; ++k) {
    const std::int64_t i = k % 100000;
    std::snprintf(region, sizeof region, "R%03d", static_cast<int>(i % 100 + 1));
    std::snprintf(sex, sizeof sex, "%d", static_cast<int>((i / 100) % 2 + 1));
    std::snprintf(year, sizeof year, "%d", static_cast<int>(2000 + (i / 200) % 10));
    sqlite3_bind_text(insert, 1, region, -1, SQLITE_STATIC);
    sqlite3_bind_text(insert, 2, sex, -1, SQLITE_STATIC);
    sqlite3_bind_text(insert, 3, year, -1, SQLITE_STATIC);
    sqlite3_bind_double(insert, 4, static_cast<double>(i % 997) + 0.5);
    sqlite3_step(insert);
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
}

struct MillionFile {
  std::string path = (std::filesystem::temp_directory_path() /
                      ("zendra-bench-" + std::to_string(::getpid()) + "-facts.sqlite"))
                         .string();
  MillionFile() {
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    fillFacts(db, 1000000, "TEXT");
    sqlite3_close(db);
  }
  ~MillionFile() { std::filesystem::remove(path); }
};

void BM_SqliteGroupBy_Million(benchmark::State& state) {
  static const MillionFile file;
  for (auto _ : state) {
    clsSQLiteDb db;
    db.setDbName(file.path);
    if (!db.OpenDB() || !db.OpenRecordSet(kGroupBy)) {
      state.SkipWithError("the query failed");
      break;
    }
    walk(state, db);
  }
  rates(state, 1e6, static_cast<double>(std::filesystem::file_size(file.path)));
}
BENCHMARK(BM_SqliteGroupBy_Million)->Unit(benchmark::kMillisecond)->UseRealTime();

// The Access path's GROUP BY over a million copied rows, texts compared without case, as
// clsMDB runs it after its copy.
void BM_CaseFreeGroupBy_Million(benchmark::State& state) {
  sqlite3* db = nullptr;
  sqlite3_open(":memory:", &db);
  addCaseFreeCollation(db);
  fillFacts(db, 1000000, "TEXT COLLATE CASEFREE");
  for (auto _ : state) {
    sqlite3_stmt* query = nullptr;
    sqlite3_prepare_v2(db, kGroupBy, -1, &query, nullptr);
    int groups = 0;
    while (sqlite3_step(query) == SQLITE_ROW) ++groups;
    sqlite3_finalize(query);
    if (groups != 2000) state.SkipWithError("not 2000 groups");
  }
  sqlite3_close(db);
  rates(state, 1e6, 0);
}
BENCHMARK(BM_CaseFreeGroupBy_Million)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
