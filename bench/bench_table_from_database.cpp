// A table filled from an Access table of facts (rows grouped by Region, Sex and Year into
// 2,000 cells of a table with those three variables, 100 x 2 down and 10 years across):
// - Count / Sum: what `zendra-cli dbimport` and the wizard do: the database opened anew,
//   the generated statement run, its 2,000 rows placed and written through the undoable
//   step; CountCopied / SumCopied the same statements edited, so that SQLite groups a copy
//   of the table; next to MdbExport, mdb-export reading the same table whole, at 100,000 rows
//   (facts100k.mdb) and 1,000,000 (facts100k's table ten times, made by make_big_mdb.py
//   into the temporary folder when the benchmark starts);
// - Place: the placement and the step alone for a result already in memory.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "core/database/table_from_database.h"
#include "core/editor/database_import_command.h"
#include "core/grid/data_methods.h"

namespace {

using namespace zendra;

const std::string kFacts = std::string(ZENDRA_DATABASES) + "/facts100k.mdb";

// facts100k.mdb's table ten times over, in a file removed when the program ends.
struct MillionFile {
  std::string path = (std::filesystem::temp_directory_path() /
                      ("zendra-bench-" + std::to_string(::getpid()) + "-facts1m.mdb"))
                         .string();
  bool made = false;
  MillionFile() {
    const std::string command = std::string("/usr/bin/python3 '") + ZENDRA_SOURCE_DIR +
                                "/bench/make_big_mdb.py' '" + kFacts + "' '" + path + "' Facts 10";
    made = std::system(command.c_str()) == 0;
  }
  ~MillionFile() { std::filesystem::remove(path); }
};

const std::string& fileOf(std::int64_t rows) {
  static const MillionFile million;
  return rows == 1000000 ? million.path : kFacts;
}

struct Table {
  VexaMess doc;
  CellGrid grid;
  Table() {
    auto region = doc.addDimension("Region", 0);
    for (int i = 1; i <= 100; ++i) {
      char code[8];
      std::snprintf(code, sizeof code, "R%03d", i);
      region->addVal()->value = code;
    }
    auto sex = doc.addDimension("Sex", 0);
    for (const char* s : {"1", "2"}) sex->addVal()->value = s;
    auto year = doc.addDimension("Year", 1);
    for (int y = 2000; y < 2010; ++y) year->addVal()->value = std::to_string(y);
    CreateGrid(doc, grid, true, false);
  }
};

const std::vector<std::string> kFields{"Region", "Sex", "Year"};

// sum: the sum's statement, else the count's; copied: the statement with a space after it,
// which is an edited statement and runs in SQLite on a copy of the table (as every
// statement did before the generated ones were grouped as the rows arrive).
void fill(benchmark::State& state, bool sum, bool copied = false) {
  const std::string& file = fileOf(state.range(0));
  for (auto _ : state) {
    Table t;
    auto db = makeDatabase(DatabaseKind::Access);
    db->setDbName(file);
    if (!db->OpenDB()) {
      state.SkipWithError("the database cannot be opened");
      break;
    }
    const std::string sql =
        (sum ? SumSql(*db, kFields, "Amount", "Facts") : CountSql(*db, kFields, "Facts")) +
        (copied ? " " : "");
    DbRows rows;
    if (!RunDbQuery(*db, sql, rows) || rows.rows.size() != 2000) {
      state.SkipWithError("the statement failed");
      break;
    }
    // Every row of the table is counted once.
    std::int64_t counted = 0;
    for (const auto& row : rows.rows) counted += sum ? 0 : row.back().integer;
    if (!sum && counted != state.range(0)) state.SkipWithError("rows counted wrongly");
    const DbPlacement placement = PlaceDbRows(t.doc, t.grid, rows);
    if (!placement.ok()) state.SkipWithError("the rows do not fit");
    DatabaseImportCommand step(t.doc, t.grid, placement);
    step.redo();
    benchmark::DoNotOptimize(t.grid.number(t.doc.DataRow1, t.doc.DataCol1));
  }
  state.counters["rows/s"] = benchmark::Counter(
      static_cast<double>(state.range(0)) * static_cast<double>(state.iterations()),
      benchmark::Counter::kIsRate);
}

void BM_Count(benchmark::State& state) {
  fill(state, false);
}
void BM_Sum(benchmark::State& state) {
  fill(state, true);
}
void BM_CountCopied(benchmark::State& state) {
  fill(state, false, true);
}
void BM_SumCopied(benchmark::State& state) {
  fill(state, true, true);
}

void BM_MdbExport(benchmark::State& state) {
  const std::string command = "mdb-export '" + fileOf(state.range(0)) + "' Facts > /dev/null";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError("mdb-export failed");
      break;
    }
  }
}

// Side by side for each size: mdb-export, then the count and the sum.
BENCHMARK(BM_MdbExport)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Count)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Sum)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CountCopied)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SumCopied)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Place(benchmark::State& state) {
  auto db = makeDatabase(DatabaseKind::Access);
  db->setDbName(kFacts);
  DbRows rows;
  if (!db->OpenDB() || !RunDbQuery(*db, CountSql(kFields, "Facts"), rows)) {
    state.SkipWithError("no result");
  }
  for (auto _ : state) {
    state.PauseTiming();
    Table t;
    state.ResumeTiming();
    const DbPlacement placement = PlaceDbRows(t.doc, t.grid, rows);
    DatabaseImportCommand step(t.doc, t.grid, placement);
    step.redo();
    benchmark::DoNotOptimize(t.grid.number(t.doc.DataRow1, t.doc.DataCol1));
  }
  state.counters["rows"] = static_cast<double>(rows.rows.size());
}
BENCHMARK(BM_Place)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
