// Tables filled from stats.mdb through the real engine: the generated statements, counts and
// sums in both table forms checked against the fixture's formulas, refused codes, Nulls, an
// edited statement of the wrong shape, and Finish as one step.
#include "core/database/table_from_database.h"

#include <gtest/gtest.h>

#include <memory>

#include "core/editor/database_import_command.h"
#include "core/grid/data_methods.h"
#include "support/tables.h"

namespace zendra {
namespace {

using test::addVariable;
using test::gridRows;
using Texts = std::vector<std::string>;

const Texts kRegions{"01", "03", "04", "05"}, kSexes{"1", "2"}, kYears{"2021", "2022", "2023"};

// Rows of Persons per Region, Sex and Year (by index), and the sum of their Income.
double countOf(int r, int s, int y) {
  return (r + 1) * (s + 1) + y;
}
double sumOf(int r, int s, int y) {
  const double c = countOf(r, s, y);
  return c * (1000 * (r + 1) + 100 * s + 10 * y + 0.25) + c * (c - 1) / 2;
}

// Region down the side; Sex and Year on the sides given (0 stub, 1 heading).
struct StatsTable {
  std::unique_ptr<clsAnyDatabase> db = makeDatabase(DatabaseKind::Access);
  VexaMess doc;
  CellGrid grid;

  StatsTable(int sexSide, int yearSide, bool keys = false) {
    db->setDbName(std::string(ZENDRA_DATABASES) + "/stats.mdb");
    EXPECT_TRUE(db->OpenDB());
    doc.FileWithKeys = keys;
    addVariable(doc, "Region", 0, {"Stockholm", "Uppsala", "Södermanland", "Östergötland"},
                kRegions);
    addVariable(doc, "Sex", sexSide, {"men", "women"}, kSexes);
    addVariable(doc, "Year", yearSide, kYears);
    EXPECT_TRUE(CreateGrid(doc, grid, true, false));
  }
  DbRows run(const std::string& sql) {
    DbRows rows;
    EXPECT_TRUE(RunDbQuery(*db, sql, rows)) << sql;
    return rows;
  }
  DbPlacement place(const std::string& sql) {
    const DbRows rows = run(sql);
    EXPECT_EQ(DbShapeError(doc, rows), "");
    return PlaceDbRows(doc, grid, rows);
  }
  void fill(const std::string& sql) {
    const DbPlacement placement = place(sql);
    ASSERT_EQ(placement.errors, Texts{});
    ASSERT_TRUE(ApplyDbPlacement(doc, grid, placement));
  }
  // The cell of the stub-only table for region r, sex s and year y.
  double cell(int r, int s, int y) const {
    return grid.number(doc.DataRow1 + r * 6 + s * 3 + y, doc.DataCol1);
  }
};

std::string count(const std::string& source = "Persons") {
  return CountSql({"Region", "Sex", "Year"}, source);
}
std::string sum(const std::string& source = "Persons") {
  return SumSql({"Region", "Sex", "Year"}, "Income", source);
}

TEST(TableFromDatabase, CellsFormSumsWithStubOnlyOrAHeadingNullSumsAndCaseFreeTexts) {
  StatsTable t(0, 0);
  t.fill(sum());
  for (int i = 0; i < 24; ++i) {
    EXPECT_DOUBLE_EQ(t.cell(i / 6, i / 3 % 2, i % 3), sumOf(i / 6, i / 3 % 2, i % 3)) << i;
  }
  // A Null sum empties its cell.
  t.fill(
      "SELECT Region, Sex, Year, SUM(Income) FROM PersonsDirty WHERE Region = '03' AND "
      "Sex = '2' GROUP BY Region, Sex, Year");
  EXPECT_TRUE(t.grid.isEmpty(t.doc.DataRow1 + 6 + 3 + 2, t.doc.DataCol1));
  // Sex by its texts, in other letter case than the values.
  t.doc.colStub.Item(2)->UseCodes = false;
  t.fill(
      "SELECT Region, CASE Sex WHEN '1' THEN 'MEN' ELSE 'Women' END, Year, COUNT(*) FROM "
      "Persons GROUP BY 1, 2, 3");
  EXPECT_EQ(t.cell(1, 1, 2), countOf(1, 1, 2));

  StatsTable h(1, 1);  // Region down; Sex, then Year across; from a saved query
  h.fill(sum("PersonsSince2022"));
  for (int i = 0; i < 24; ++i) {
    const int r = i / 6, s = i / 3 % 2, y = i % 3;
    const std::int32_t row = h.doc.DataRow1 + r, col = h.doc.DataCol1 + s * 3 + y;
    // 2021 left out: its cells stay empty.
    const double cell = h.grid.isEmpty(row, col) ? -1 : h.grid.number(row, col);
    EXPECT_DOUBLE_EQ(cell, y ? sumOf(r, s, y) : -1) << i;
  }
}

TEST(TableFromDatabase, KeysFormRowsWithAndWithoutHeading) {
  StatsTable t(0, 0, true);
  t.fill(count());
  ASSERT_EQ(t.grid.rowCount(), t.doc.DataRow1 + 24);  // 24 rows and the entry row
  EXPECT_EQ(gridRows(t.grid, t.grid.rowCount() - 1, -1, true), "05|2|2023|#10\n|||\n");

  // Rows that share Region and Sex share one grid row; a query that leaves out 2021 leaves
  // those cells untouched.
  StatsTable h(0, 1, true);
  h.fill(sum("PersonsSince2022"));
  ASSERT_EQ(h.grid.rowCount(), h.doc.DataRow1 + 8);
  for (int r = 0; r < 4; ++r) {
    for (int s = 0; s < 2; ++s) {
      const std::int32_t row = h.doc.DataRow1 + r * 2 + s;
      EXPECT_EQ(h.grid.text(row, 1) + "|" + h.grid.text(row, 2), kRegions[r] + "|" + kSexes[s]);
      EXPECT_TRUE(h.grid.isEmpty(row, 3));
      EXPECT_DOUBLE_EQ(h.grid.number(row, 5), sumOf(r, s, 2));
    }
  }
}

TEST(TableFromDatabase, RefusedCodesAndEditedStatementsOfTheWrongShape) {
  StatsTable t(0, 0);
  const DbPlacement placement = t.place(sum("PersonsDirty"));
  EXPECT_EQ(placement.errors,
            (Texts{"Code: 'Null' in Region is  invalid", "Code: 3 in Sex is  invalid",
                   "Code: 99 in Region is  invalid"}));
  EXPECT_FALSE(ApplyDbPlacement(t.doc, t.grid, placement));
  const DbRows tooFew = t.run("SELECT Region, Sex, COUNT(*) FROM Persons GROUP BY Region, Sex");
  EXPECT_EQ(DbShapeError(t.doc, tooFew),
            "The query gives 3 columns; the table needs 4: one for each variable, then the value");
  EXPECT_FALSE(PlaceDbRows(t.doc, t.grid, tooFew).ok());
  EXPECT_EQ(t.place("SELECT Region, Sex, Year, 'many' FROM Persons WHERE Region = '05' AND "
                    "Sex = '2' AND Year = '2021' GROUP BY Year")
                .errors,
            Texts{"Value: many for 05 2 2021 is not a number"});

  // A statement that does not group: Stockholm's men of 2022 have two rows, which meet in
  // one cell in either form.
  for (const bool keys : {false, true}) {
    StatsTable h(0, 1, keys);
    EXPECT_EQ(h.place("SELECT Region, Sex, Year, Income FROM Persons WHERE Region = '01' AND "
                      "Sex = '1' AND Year IN ('2021', '2022')")
                  .errors,
              Texts{"Value for 01 1 2022 is given more than once"})
        << keys;
  }
}

TEST(TableFromDatabase, OnlyTheGeneratedStatementsAreRecognised) {
  const auto db = makeDatabase(DatabaseKind::Access);
  const std::string count = CountSql(*db, {"Re]gion", "Sex"}, "Fa[cts");
  const std::string sum = SumSql(*db, {"Region"}, "Amount]", "Facts");
  const auto counted = RecogniseGeneratedSql(*db, count);
  ASSERT_TRUE(counted);
  EXPECT_EQ(counted->fields, (Texts{"Re]gion", "Sex"}));
  EXPECT_EQ(counted->sumField, "");
  EXPECT_EQ(counted->source, "Fa[cts");
  const auto summed = RecogniseGeneratedSql(*db, sum);
  ASSERT_TRUE(summed);
  EXPECT_EQ(summed->fields, Texts{"Region"});
  EXPECT_EQ(summed->sumField, "Amount]");
  EXPECT_EQ(summed->source, "Facts");
  for (const std::string& edited : Texts{
           count + " ", "s" + count.substr(1), count + ", [Sex]", count.substr(0, count.size() - 1),
           sum.substr(0, sum.find(" GROUP")), "Select [Region]",
           "Select [Region], count(*) as CountOf  From [Facts] GROUP BY [Region] HAVING 1"}) {
    EXPECT_FALSE(RecogniseGeneratedSql(*db, edited)) << edited;
  }
}

TEST(TableFromDatabase, FinishIsOneStepInEitherFormAnEmptyResultTooKeysRowsWithoutRoomNone) {
  for (const bool keys : {false, true}) {
    SCOPED_TRACE(keys ? "keys form" : "cells form");
    StatsTable t(0, 1, keys);
    // Done, undone and done again: the grid and its layout as before and after.
    t.grid.setNumber(t.doc.DataRow1, t.doc.DataCol1, 7, 0);  // a cell the user typed earlier
    const std::string before = gridRows(t.grid, 1, -1, true);
    const GridLayout layoutBefore = GridLayout::of(t.doc);
    DatabaseImportCommand step(t.doc, t.grid, t.place(count()));
    step.redo();
    const std::string after = gridRows(t.grid, 1, -1, true);
    EXPECT_NE(after, before);
    step.undo();
    EXPECT_EQ(gridRows(t.grid, 1, -1, true), before);
    EXPECT_EQ(GridLayout::of(t.doc), layoutBefore);
    step.redo();
    EXPECT_EQ(gridRows(t.grid, 1, -1, true), after);
  }

  // An empty result is a step too; keys rows without room are none.
  StatsTable t(0, 0);
  DatabaseImportCommand empty(t.doc, t.grid, t.place(count() + " HAVING count(*) > 1000"));
  empty.redo();
  EXPECT_TRUE(t.doc.GridHasData);
  EXPECT_FALSE(empty.changesNothing());  // the history keeps it, so undo clears GridHasData
  empty.undo();
  EXPECT_FALSE(t.doc.GridHasData);

  StatsTable k(0, 0, true);
  const std::string before = gridRows(k.grid, 1, -1, true);
  const DbPlacement placement = k.place(count());
  k.grid.setMemoryBudget(static_cast<std::size_t>(k.grid.rowCount()) * k.grid.colCount() * 16);
  DatabaseImportCommand step(k.doc, k.grid, placement);
  step.redo();
  EXPECT_TRUE(step.changesNothing());  // the history drops it
  EXPECT_EQ(gridRows(k.grid, 1, -1, true), before);
}

}  // namespace
}  // namespace zendra
