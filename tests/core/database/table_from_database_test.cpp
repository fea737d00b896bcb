// Tables filled from stats.mdb through the real engine: the generated statements, counts and
// sums in both table forms checked against the fixture's formulas, refused codes, Nulls, an
// edited statement of the wrong shape, and Finish as one step.
#include "core/database/table_from_database.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/editor/database_import_command.h"
#include "core/grid/data_methods.h"
#include "support/tables.h"

namespace zendra {
namespace {

using test::addVariable;
using test::gridRows;

const std::vector<std::string> kRegions{"01", "03", "04", "05"};
const std::vector<std::string> kSexes{"1", "2"};
const std::vector<std::string> kYears{"2021", "2022", "2023"};

// Rows of Persons per Region, Sex and Year (by index), and the sum of their Income.
double countOf(int r, int s, int y) {
  return (r + 1) * (s + 1) + y;
}
double sumOf(int r, int s, int y) {
  const double c = countOf(r, s, y);
  return c * (1000 * (r + 1) + 100 * s + 10 * y + 0.25) + c * (c - 1) / 2;
}

struct StatsTable : ::testing::Test {
  std::unique_ptr<clsAnyDatabase> db = makeDatabase(DatabaseKind::Access);
  VexaMess doc;
  CellGrid grid;

  void SetUp() override {
    db->setDbName(std::string(ZENDRA_DATABASES) + "/stats.mdb");
    ASSERT_TRUE(db->OpenDB());
  }
  // Region, Sex and Year on the sides given (0 stub, 1 heading).
  void build(int sexSide, int yearSide, bool keys = false) {
    doc.FileWithKeys = keys;
    addVariable(doc, "Region", 0, {"Stockholm", "Uppsala", "Södermanland", "Östergötland"},
                kRegions);
    addVariable(doc, "Sex", sexSide, {"men", "women"}, kSexes);
    addVariable(doc, "Year", yearSide, kYears);
    ASSERT_TRUE(CreateGrid(doc, grid, true, false));
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
    ASSERT_EQ(placement.errors, std::vector<std::string>{});
    ASSERT_TRUE(ApplyDbPlacement(doc, grid, placement));
  }
  // Finish done, undone and done again: the grid and its layout as before and after.
  void checkOneStep() {
    grid.setNumber(doc.DataRow1, doc.DataCol1, 7, 0);  // a cell the user typed earlier
    const std::string before = gridRows(grid, 1, -1, true);
    const GridLayout layoutBefore = GridLayout::of(doc);
    DatabaseImportCommand step(doc, grid, place(count()));
    step.redo();
    const std::string after = gridRows(grid, 1, -1, true);
    const GridLayout layoutAfter = GridLayout::of(doc);
    EXPECT_NE(after, before);
    EXPECT_TRUE(doc.GridHasData);
    for (int i = 0; i < 2; ++i) {
      step.undo();
      EXPECT_EQ(gridRows(grid, 1, -1, true), before);
      EXPECT_EQ(GridLayout::of(doc), layoutBefore);
      step.redo();
      EXPECT_EQ(gridRows(grid, 1, -1, true), after);
      EXPECT_EQ(GridLayout::of(doc), layoutAfter);
    }
    EXPECT_TRUE(step.undoable());
  }
  std::string count(const std::string& source = "Persons") {
    return CountSql({"Region", "Sex", "Year"}, source);
  }
  std::string sum(const std::string& source = "Persons") {
    return SumSql({"Region", "Sex", "Year"}, "Income", source);
  }
};

TEST(TableFromDatabaseSql, TextsBracketEveryName) {
  EXPECT_EQ(CountSql({"A", "B"}, "T"),
            "Select [A], [B], count(*) as CountOf  From [T] GROUP BY [A], [B]");
  EXPECT_EQ(SumSql({"A", "B"}, "S", "T"),
            "Select [A], [B], sum([S]) AS SumOf  From [T] GROUP BY [A], [B]");
  EXPECT_EQ(CountSql({"a]b"}, "x]] y"),
            "Select [a]]b], count(*) as CountOf  From [x]]]] y] GROUP BY [a]]b]");
}

TEST_F(StatsTable, StubOnlyCellsFormCountsAndSums) {
  build(0, 0);
  fill(count());
  for (int r = 0; r < 4; ++r) {
    for (int s = 0; s < 2; ++s) {
      for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(grid.number(doc.DataRow1 + r * 6 + s * 3 + y, doc.DataCol1), countOf(r, s, y));
      }
    }
  }
  fill(sum());
  EXPECT_TRUE(doc.GridHasData);
  for (int r = 0; r < 4; ++r) {
    for (int s = 0; s < 2; ++s) {
      for (int y = 0; y < 3; ++y) {
        EXPECT_DOUBLE_EQ(grid.number(doc.DataRow1 + r * 6 + s * 3 + y, doc.DataCol1),
                         sumOf(r, s, y));
      }
    }
  }
}

TEST_F(StatsTable, StubAndHeadingCellsFormSumsFromASavedQuery) {
  build(1, 1);  // Region down; Sex, then Year across
  fill(sum("PersonsSince2022"));
  for (int r = 0; r < 4; ++r) {
    for (int s = 0; s < 2; ++s) {
      EXPECT_TRUE(grid.isEmpty(doc.DataRow1 + r, doc.DataCol1 + s * 3));  // 2021 left out
      for (int y = 1; y < 3; ++y) {
        EXPECT_DOUBLE_EQ(grid.number(doc.DataRow1 + r, doc.DataCol1 + s * 3 + y), sumOf(r, s, y));
      }
    }
  }
}

TEST_F(StatsTable, KeysFormRowsWithAndWithoutHeading) {
  build(0, 0, true);
  fill(count());
  ASSERT_EQ(grid.rowCount(), doc.DataRow1 + 24);  // 24 rows and the entry row
  EXPECT_EQ(gridRows(grid, doc.DataRow1, doc.DataRow1 + 1, true), "01|1|2021|#1\n01|1|2022|#2\n");
  EXPECT_EQ(gridRows(grid, grid.rowCount() - 1, -1, true), "05|2|2023|#10\n|||\n");
  EXPECT_EQ(doc.NumRows, 25);

  VexaMess headed;
  CellGrid g2;
  headed.FileWithKeys = true;
  addVariable(headed, "Region", 0, {"a", "b", "c", "d"}, kRegions);
  addVariable(headed, "Sex", 0, {"men", "women"}, kSexes);
  addVariable(headed, "Year", 1, kYears);
  ASSERT_TRUE(CreateGrid(headed, g2, true, false));
  // Rows that share Region and Sex share one grid row; a query that leaves out 2021 leaves
  // those cells untouched.
  const DbPlacement placement = PlaceDbRows(headed, g2, run(sum("PersonsSince2022")));
  ASSERT_TRUE(placement.ok());
  ASSERT_TRUE(ApplyDbPlacement(headed, g2, placement));
  ASSERT_EQ(g2.rowCount(), headed.DataRow1 + 8);
  for (int r = 0; r < 4; ++r) {
    for (int s = 0; s < 2; ++s) {
      const std::int32_t row = headed.DataRow1 + r * 2 + s;
      EXPECT_EQ(g2.text(row, 1) + "|" + g2.text(row, 2), kRegions[r] + "|" + kSexes[s]);
      EXPECT_TRUE(g2.isEmpty(row, 3));
      EXPECT_DOUBLE_EQ(g2.number(row, 4), sumOf(r, s, 1));
      EXPECT_DOUBLE_EQ(g2.number(row, 5), sumOf(r, s, 2));
    }
  }
}

TEST_F(StatsTable, RefusedCodesAreListedAndNothingIsPlaced) {
  build(0, 0);
  const DbPlacement placement = place(sum("PersonsDirty"));
  EXPECT_EQ(placement.errors, (std::vector<std::string>{"Code: 'Null' in Region is  invalid",
                                                        "Code: 3 in Sex is  invalid",
                                                        "Code: 99 in Region is  invalid"}));
  const std::string before = gridRows(grid);
  EXPECT_FALSE(ApplyDbPlacement(doc, grid, placement));
  EXPECT_EQ(gridRows(grid), before);
  EXPECT_FALSE(doc.GridHasData);
}

TEST_F(StatsTable, NullSumEmptiesItsCellAndTextMatchesWithoutCase) {
  build(0, 0);
  fill(sum());
  const std::int32_t row = doc.DataRow1 + 1 * 6 + 1 * 3 + 2;  // 03, 2, 2023
  ASSERT_FALSE(grid.isEmpty(row, doc.DataCol1));
  fill(
      "SELECT Region, Sex, Year, SUM(Income) FROM PersonsDirty WHERE Region = '03' AND Sex = '2' "
      "GROUP BY Region, Sex, Year");
  EXPECT_TRUE(grid.isEmpty(row, doc.DataCol1));

  // Sex by its texts, in other letter case than the values.
  doc.colStub.Item(2)->UseCodes = false;
  fill(
      "SELECT Region, CASE Sex WHEN '1' THEN 'MEN' ELSE 'Women' END, Year, COUNT(*) FROM Persons "
      "GROUP BY 1, 2, 3");
  EXPECT_EQ(grid.number(row, doc.DataCol1), countOf(1, 1, 2));
}

TEST_F(StatsTable, EditedStatementsOfTheWrongShape) {
  build(0, 0);
  const DbRows tooFew = run("SELECT Region, Sex, COUNT(*) FROM Persons GROUP BY Region, Sex");
  EXPECT_EQ(DbShapeError(doc, tooFew),
            "The query gives 3 columns; the table needs 4: one for each variable, then the value");
  EXPECT_FALSE(PlaceDbRows(doc, grid, tooFew).ok());

  const DbPlacement text = place(
      "SELECT Region, Sex, Year, 'many' FROM Persons WHERE Region = '05' AND Sex = '2' "
      "GROUP BY Region, Sex, Year");
  EXPECT_EQ(text.errors, (std::vector<std::string>{"Value: many for 05 2 2021 is not a number",
                                                   "Value: many for 05 2 2022 is not a number",
                                                   "Value: many for 05 2 2023 is not a number"}));
}

// An edited statement that does not group: Stockholm's men of 2022 have two rows.
const char* const kUngrouped =
    "SELECT Region, Sex, Year, Income FROM Persons WHERE Region = '01' AND Sex = '1' AND "
    "Year IN ('2021', '2022')";

TEST_F(StatsTable, RowsThatMeetInOneCellAreRefused) {
  build(0, 1);
  EXPECT_EQ(place(kUngrouped).errors,
            std::vector<std::string>{"Value for 01 1 2022 is given more than once"});
}

TEST_F(StatsTable, RowsThatMeetInOneKeysRowCellAreRefused) {
  build(0, 1, true);
  EXPECT_EQ(place(kUngrouped).errors,
            std::vector<std::string>{"Value for 01 1 2022 is given more than once"});
}

TEST_F(StatsTable, FinishIsOneStepInCellsForm) {
  build(0, 1);
  checkOneStep();
}

TEST_F(StatsTable, FinishIsOneStepInKeysForm) {
  build(0, 1, true);
  checkOneStep();
}

TEST_F(StatsTable, AnEmptyResultIsStillAStep) {
  build(0, 0);
  DatabaseImportCommand step(doc, grid, place(count() + " HAVING count(*) > 1000"));
  step.redo();
  EXPECT_TRUE(doc.GridHasData);
  EXPECT_FALSE(step.changesNothing());  // the history keeps it, so undo clears GridHasData
  step.undo();
  EXPECT_FALSE(doc.GridHasData);
}

TEST_F(StatsTable, KeysRowsWithoutRoomPlaceNothing) {
  build(0, 0, true);
  const std::string before = gridRows(grid, 1, -1, true);
  const DbPlacement placement = place(count());
  grid.setMemoryBudget(static_cast<std::size_t>(grid.rowCount()) * grid.colCount() * 16);
  DatabaseImportCommand step(doc, grid, placement);
  step.redo();
  EXPECT_TRUE(step.changesNothing());  // the history drops it
  EXPECT_FALSE(doc.GridHasData);
  EXPECT_EQ(gridRows(grid, 1, -1, true), before);
}

}  // namespace
}  // namespace zendra
