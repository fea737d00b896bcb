// Laying the data grid out from a table, keeping it in step with value changes, and
// the editing rules.
#include <gtest/gtest.h>

#include "core/grid/data_methods.h"
#include "support/tables.h"

using namespace zendra;
using namespace zendra::test;

namespace {

// Where the data area starts and how large it is: "DataRow1,DataCol1 NumRowsxNumCols".
std::string area(const VexaMess& doc) {
  return std::to_string(doc.DataRow1) + "," + std::to_string(doc.DataCol1) + " " +
         std::to_string(doc.NumRows) + "x" + std::to_string(doc.NumCols);
}

// Region (3 values, codes) by sex (2) by time (2): the layout example of the editor.
struct RegionSexTime {
  VexaMess doc;
  CellGrid grid;
  DimensionRef region =
      addVariable(doc, "region", 0, {"North", "Middle", "South"}, {"01", "02", "03"});
  DimensionRef sex = addVariable(doc, "sex", 1, {"men", "women"});
  DimensionRef time = addVariable(doc, "time", 1, {"2004", "2005"});
  RegionSexTime() { doc.Title = "Population by region, sex and time"; }

  // Lays the grid out and numbers each data cell by its position: r*10+c from 11.
  void createAndFill() {
    ASSERT_TRUE(CreateGrid(doc, grid, true, false));
    for (std::int32_t r = 0; r < doc.NumRows; ++r) {
      for (std::int32_t c = 0; c < doc.NumCols; ++c) {
        grid.setNumber(doc.DataRow1 + r, doc.DataCol1 + c, (r + 1) * 10 + (c + 1), 0);
      }
    }
  }
};

// A keys-form table with these stub variables (name, key type, values).
struct KeysTable {
  VexaMess doc;
  CellGrid grid;
  KeysTable() { doc.FileWithKeys = true; }
  DimensionRef add(const char* name, int side, const Texts& values, int keytype = 0) {
    auto v = addVariable(doc, name, side, values);
    v->Keytype = static_cast<std::int16_t>(keytype);
    return v;
  }
};

}  // namespace

TEST(DataGridLayout, NormalFormPutsLabelsAroundTheDataAreaWithDecimalsOnlyWhenLoading) {
  RegionSexTime t;
  t.doc.SaveDecimals = 2;
  ASSERT_TRUE(CreateGrid(t.doc, t.grid, false, false));
  EXPECT_EQ(t.grid.decimals(4, 2) * 10 + t.doc.GridDecimals, 0);
  ASSERT_TRUE(CreateGrid(t.doc, t.grid, true, false));
  EXPECT_EQ(t.grid.decimals(6, 5) * 10 + t.grid.decimals(3, 2), 20);  // labels keep theirs
  EXPECT_EQ(area(t.doc), "4,2 3x4");
  EXPECT_EQ(gridRows(t.grid),
            "Population by region, sex and time||||\n|men|men|women|women\n"
            "|2004|2005|2004|2005\nNorth||||\nMiddle||||\nSouth||||\n");
  EXPECT_EQ(t.grid.frozenRows() * 10 + t.grid.frozenCols(), 31);

  t.grid.setNumber(4, 2, 1.234, 2);
  t.doc.SaveDecimals = 1;
  SetCellDecimals(t.doc, t.grid);
  EXPECT_EQ(t.grid.text(4, 2) + std::to_string(t.doc.GridDecimals), "1.21");

  // Labels show codes only when asked and the variable uses them.
  t.sex->ValueCode.Item(1)->code = "1";
  ASSERT_TRUE(CreateGrid(t.doc, t.grid, false, true));
  EXPECT_EQ(gridRows(t.grid, 4, 4), "01||||\n");
  WriteStubLabels(t.doc, t.grid, false);
  EXPECT_EQ(t.grid.text(4, 1), "North");
}

TEST(DataGridLayout, KeysFormHasAHeaderRowAndOneEntryRow) {
  KeysTable t;
  auto region = t.add("region", 0, {"North", "South"}, 1);
  t.add("age", 0, {"0-9", "10-19", "20+"}, 2);
  ASSERT_TRUE(CreateGrid(t.doc, t.grid, true, false));
  EXPECT_EQ(gridRows(t.grid, 2), "region|age|Cell Value\n||\n");

  // Heading labels take the place of "Cell Value"; keyed heading variables span no
  // columns.
  auto sex = t.add("sex", 1, {"men", "women"});
  t.add("kind", 1, {"a", "b", "c"}, 1);
  ASSERT_TRUE(CreateGrid(t.doc, t.grid, true, false));
  EXPECT_EQ(area(t.doc), "4,3 1x2");

  // Value changes: stub variables add no rows, heading variables add columns.
  t.grid.setText(4, 1, "North");
  t.grid.setNumber(4, 3, 5, 0);
  region->addVal()->value = "West";
  UpdateForValueChange(t.doc, t.grid, *region, ValueChange::Added, 0, false);
  sex->addVal()->value = "all";
  UpdateForValueChange(t.doc, t.grid, *sex, ValueChange::Added, 0, false);
  EXPECT_EQ(gridRows(t.grid, 2), "region|age|men|women|all\n||||\nNorth||5||\n");
}

TEST(DataGridLayout, TablesThatCannotBeLaidOutLeaveTheGridAsItWas) {
  RegionSexTime t;
  t.createAndFill();
  const std::string before = gridRows(t.grid);
  addVariable(t.doc, "empty", 1, {});
  EXPECT_FALSE(CreateGrid(t.doc, t.grid, true, false));
  EXPECT_EQ(gridRows(t.grid), before);
  Texts many;
  for (int i = 0; i < 50'000; ++i) many.push_back(std::to_string(i));
  VexaMess huge;
  addVariable(huge, "a", 0, many);
  addVariable(huge, "b", 1, many);  // 2.5e9 cells
  CellGrid grid;
  EXPECT_FALSE(CreateGrid(huge, grid, true, false));
  EXPECT_EQ(grid.rowCount(), 0);
}

TEST(DataGridValueChange, AValueAddedToOrRemovedFromAMiddleStubVariableKeepsCells) {
  // Stub: a (2) x b (2) x c (2); adding a value to the middle variable b.
  VexaMess doc;
  CellGrid grid;
  addVariable(doc, "a", 0, {"a1", "a2"});
  auto b = addVariable(doc, "b", 0, {"b1", "b2"});
  addVariable(doc, "c", 0, {"c1", "c2"});
  addVariable(doc, "h", 1, {"h1"});
  ASSERT_TRUE(CreateGrid(doc, grid, true, false));
  for (std::int32_t r = 0; r < 8; ++r) grid.setNumber(doc.DataRow1 + r, 4, r + 1, 0);

  b->addVal()->value = "b3";
  UpdateForValueChange(doc, grid, *b, ValueChange::Added, 0, false);
  EXPECT_EQ(gridRows(grid, doc.DataRow1),
            "a1|b1|c1|1\na1|b1|c2|2\na1|b2|c1|3\na1|b2|c2|4\na1|b3|c1|\na1|b3|c2|\n"
            "a2|b1|c1|5\na2|b1|c2|6\na2|b2|c1|7\na2|b2|c2|8\na2|b3|c1|\na2|b3|c2|\n");
  EXPECT_TRUE(grid.locked(doc.DataRow1 + 4, 1));  // new label cells are locked too

  // Removing b1 (position 1) drops its rows in both repetitions.
  UpdateForValueChange(doc, grid, *b, ValueChange::Removing, 1, false);
  b->RemoveVal(1);
  EXPECT_EQ(gridRows(grid, doc.DataRow1),
            "a1|b2|c1|3\na1|b2|c2|4\na1|b3|c1|\na1|b3|c2|\n"
            "a2|b2|c1|7\na2|b2|c2|8\na2|b3|c1|\na2|b3|c2|\n");
}

// The normal form's label rows and columns are checked with the step that adds them.
// The key column's filling is checked with the step that adds the variable.
TEST(DataGridOneValued, KeysFormRelabellingChangesNothing) {
  // With a heading, the header row is also its first label row; the labels come last,
  // as in every layout, so relabelling later changes nothing.
  KeysTable heading;
  heading.add("region", 0, {"North"});
  heading.add("sex", 1, {"men", "women"});
  ASSERT_TRUE(CreateGrid(heading.doc, heading.grid, true, false));
  AddOneValuedVariable(heading.doc, heading.grid,
                       *heading.doc.addTimeDimension("year", 0, "2020", "2020"), false);
  const std::string added = gridRows(heading.grid);
  RelabelGrid(heading.doc, heading.grid, false);
  EXPECT_EQ(gridRows(heading.grid), added);
}

TEST(DataGridEditing, EditedCellsBecomeNumbersOnlyWhenNumericAndInTheDataArea) {
  RegionSexTime t;
  t.doc.SaveDecimals = 2;
  ASSERT_TRUE(CreateGrid(t.doc, t.grid, true, false));
  t.grid.setDecimalChar(",");
  t.grid.setAlignment(4, 4, HAlign::Left);
  // " 12,5 " in the user's form, "..." no number, "2004" a label; the file's form and a
  // text in a number cell are checked with the step that edits a cell.
  const struct {
    std::int32_t row, col;
    const char* typed;
    const char* shown;
    CellKind kind;
  } cases[] = {{4, 2, " 12,5 ", "12,50", CellKind::Number},
               {4, 4, "...", "...", CellKind::Text},
               {3, 2, "2004", "2004", CellKind::Text}};
  for (const auto& c : cases) {
    t.grid.setText(c.row, c.col, c.typed);
    ConvertEditedCell(t.doc, t.grid, c.row, c.col);
    EXPECT_EQ(t.grid.text(c.row, c.col) + (t.grid.kind(c.row, c.col) == c.kind ? "" : " kind"),
              c.shown);
  }
  EXPECT_EQ(t.grid.alignment(4, 4), HAlign::Right);
}

TEST(DataGridEditing, DeleteClearsTheBlockOrTheCurrentCellButNotLockedLabels) {
  RegionSexTime t;
  t.createAndFill();
  t.grid.setSelection(Block{3, 1, 5, 3});  // labels and four data cells
  ClearSelectionOrCurrent(t.grid);
  t.grid.setSelection(std::nullopt);
  t.grid.setCurrent(6, 5);
  ClearSelectionOrCurrent(t.grid);
  t.grid.setSelection(Block{-1, 4, -1, 4});  // whole column
  ClearSelectionOrCurrent(t.grid);
  EXPECT_EQ(gridRows(t.grid, 3),
            "|2004|2005|2004|2005\nNorth||||14\nMiddle||||24\nSouth|31|32||\n");
}

TEST(DataGridEditing, KeysFormKeepsAnEmptyEntryRowAndSortsByKeys) {
  KeysTable t;
  t.add("region", 0, {"01", "2", "10"});
  ASSERT_TRUE(CreateGrid(t.doc, t.grid, true, false));
  EXPECT_FALSE(GrowKeysEntryRow(t.doc, t.grid, 2));
  for (const char* key : {"10", "2", "01"}) {
    const std::int32_t row = t.grid.rowCount();
    t.grid.setText(row, 1, key);
    t.grid.setNumber(row, 2, std::stod(key), 0);
    EXPECT_TRUE(GrowKeysEntryRow(t.doc, t.grid, row));
  }
  SortKeysRows(t.doc, t.grid);
  EXPECT_EQ(gridRows(t.grid, 3), "01|1\n2|2\n10|10\n|\n");
}
