// A table filled from facts100k.mdb (100,000 rows grouped by Region, Sex and Year into 2,000
// cells of a table with those three variables, 100 x 2 down and 10 years across):
// - FirstQuery: the database opened anew, the statement run (the engine reads the table
//   the first time), the 2,000 rows read, placed and written through the undoable step;
// - Place: the placement and the step alone for a result already in memory.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "core/editor/database_import_command.h"
#include "core/grid/data_methods.h"
#include "core/database/table_from_database.h"

namespace {

using namespace zendra;

const std::string kFacts = std::string(ZENDRA_DATABASES) + "/facts100k.mdb";

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

const std::string kSql = CountSql({"Region", "Sex", "Year"}, "Facts");

void BM_FirstQuery(benchmark::State& state) {
  for (auto _ : state) {
    Table t;
    auto db = makeDatabase(DatabaseKind::Access);
    db->setDbName(kFacts);
    if (!db->OpenDB()) state.SkipWithError("facts100k.mdb cannot be opened");
    DbRows rows;
    if (!RunDbQuery(*db, kSql, rows)) state.SkipWithError("the statement failed");
    DatabaseImportCommand step(t.doc, t.grid, PlaceDbRows(t.doc, t.grid, rows));
    step.redo();
    benchmark::DoNotOptimize(t.grid.number(t.doc.DataRow1, t.doc.DataCol1));
  }
}
BENCHMARK(BM_FirstQuery)->Unit(benchmark::kMillisecond);

void BM_Place(benchmark::State& state) {
  auto db = makeDatabase(DatabaseKind::Access);
  db->setDbName(kFacts);
  DbRows rows;
  if (!db->OpenDB() || !RunDbQuery(*db, kSql, rows)) state.SkipWithError("no result");
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
