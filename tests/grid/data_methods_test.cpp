// Laying the data grid out from a table, keeping it in step with value changes, and
// the editing rules.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "grid/data_methods.h"

using namespace zendra;

namespace {

using Texts = std::vector<std::string>;

DimensionRef addVariable(VexaMess& doc, const std::string& name, int side, const Texts& values,
                         const Texts& codes = {}) {
  auto v = doc.addDimension(name, side);
  for (std::size_t i = 0; i < values.size(); ++i) {
    auto value = v->addVal();
    value->value = values[i];
    if (i < codes.size()) value->code = codes[i];
  }
  v->UseCodes = !codes.empty();
  return v;
}

Texts rowTexts(const CellGrid& g, std::int32_t row, std::int32_t col1, std::int32_t col2) {
  Texts out;
  for (std::int32_t c = col1; c <= col2; ++c) out.push_back(g.text(row, c));
  return out;
}

Texts colTexts(const CellGrid& g, std::int32_t col, std::int32_t row1, std::int32_t row2) {
  Texts out;
  for (std::int32_t r = row1; r <= row2; ++r) out.push_back(g.text(r, col));
  return out;
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

  // Numbers each data cell by its position: row r, column c of the data area -> r*10+c.
  void fill() {
    for (std::int32_t r = 0; r < doc.NumRows; ++r) {
      for (std::int32_t c = 0; c < doc.NumCols; ++c) {
        grid.setNumber(doc.DataRow1 + r, doc.DataCol1 + c, (r + 1) * 10 + (c + 1), 0);
      }
    }
  }
};

}  // namespace

TEST(DataGridLayout, NormalFormPutsLabelsAroundTheDataArea) {
  RegionSexTime t;
  ASSERT_TRUE(CreateGrid(t.doc, t.grid, true, false));
  EXPECT_TRUE(t.doc.GridCreated);
  EXPECT_EQ(t.doc.DataRow1, 4);
  EXPECT_EQ(t.doc.DataCol1, 2);
  EXPECT_EQ(t.doc.NumRows, 3);
  EXPECT_EQ(t.doc.NumCols, 4);
  EXPECT_EQ(t.grid.rowCount(), 6);
  EXPECT_EQ(t.grid.colCount(), 5);
  EXPECT_EQ(t.grid.text(1, 1), "Population by region, sex and time");
  EXPECT_EQ(rowTexts(t.grid, 2, 2, 5), (Texts{"men", "men", "women", "women"}));
  EXPECT_EQ(rowTexts(t.grid, 3, 2, 5), (Texts{"2004", "2005", "2004", "2005"}));
  EXPECT_EQ(colTexts(t.grid, 1, 4, 6), (Texts{"North", "Middle", "South"}));

  EXPECT_EQ(t.grid.frozenRows(), 3);
  EXPECT_EQ(t.grid.frozenCols(), 1);
  EXPECT_TRUE(t.grid.isProtected());
  EXPECT_EQ(t.grid.gridLineColour(), kSilver);
  EXPECT_FALSE(t.grid.editable(2, 3));  // label row
  EXPECT_FALSE(t.grid.editable(5, 1));  // label column
  EXPECT_TRUE(t.grid.editable(5, 3));
  EXPECT_EQ(t.grid.alignment(3, 4), HAlign::Left);
  EXPECT_EQ(t.grid.alignment(5, 1), HAlign::Right);
  EXPECT_EQ(t.grid.alignment(5, 3), HAlign::Right);
  EXPECT_EQ(t.grid.currentRow(), 4);
  EXPECT_EQ(t.grid.currentCol(), 2);
  // The label column is as wide as "Middle" (at most twice the data column's width).
  EXPECT_EQ(t.grid.columnWidth(1), 6);
}

TEST(DataGridLayout, LabelsShowCodesOnlyWhenAskedAndTheVariableHasThem) {
  RegionSexTime t;
  t.sex->ValueCode.Item(1)->code = "1";  // sex has a code but does not use codes
  ASSERT_TRUE(CreateGrid(t.doc, t.grid, false, true));
  EXPECT_EQ(colTexts(t.grid, 1, 4, 6), (Texts{"01", "02", "03"}));
  EXPECT_EQ(t.grid.text(2, 2), "men");
  WriteStubLabels(t.doc, t.grid, false);
  EXPECT_EQ(colTexts(t.grid, 1, 4, 6), (Texts{"North", "Middle", "South"}));
}

TEST(DataGridLayout, DecimalsAreSetOnlyWhenCellsAreToBeLoaded) {
  RegionSexTime t;
  t.doc.SaveDecimals = 2;
  ASSERT_TRUE(CreateGrid(t.doc, t.grid, false, false));
  EXPECT_EQ(t.grid.decimals(4, 2), 0);
  EXPECT_EQ(t.doc.GridDecimals, 0);
  ASSERT_TRUE(CreateGrid(t.doc, t.grid, true, false));
  EXPECT_EQ(t.grid.decimals(4, 2), 2);
  EXPECT_EQ(t.grid.decimals(6, 5), 2);
  EXPECT_EQ(t.grid.decimals(3, 2), 0);  // labels keep theirs
  EXPECT_EQ(t.doc.GridDecimals, 2);

  t.grid.setNumber(4, 2, 1.234, 2);
  t.doc.SaveDecimals = 1;
  SetCellDecimals(t.doc, t.grid);
  EXPECT_EQ(t.grid.text(4, 2), "1.2");
  EXPECT_EQ(t.doc.GridDecimals, 1);
}

TEST(DataGridLayout, NoHeadingVariableGivesOneDataColumn) {
  VexaMess doc;
  CellGrid grid;
  addVariable(doc, "region", 0, {"North", "South"});
  doc.Description = "Described";
  doc.Title = "Titled";
  ASSERT_TRUE(CreateGrid(doc, grid, false, false));
  EXPECT_EQ(doc.DataRow1, 2);
  EXPECT_EQ(doc.DataCol1, 2);
  EXPECT_EQ(doc.NumCols, 1);
  EXPECT_EQ(grid.colCount(), 2);
  EXPECT_EQ(grid.rowCount(), 3);
  EXPECT_EQ(grid.text(1, 1), "Described");
}

TEST(DataGridLayout, KeysFormHasAHeaderRowAndOneEntryRow) {
  VexaMess doc;
  CellGrid grid;
  doc.FileWithKeys = true;
  addVariable(doc, "region", 0, {"North", "South"})->Keytype = 1;
  addVariable(doc, "age", 0, {"0-9", "10-19", "20+"})->Keytype = 2;
  ASSERT_TRUE(CreateGrid(doc, grid, true, false));
  EXPECT_EQ(doc.DataRow1, 3);
  EXPECT_EQ(doc.DataCol1, 3);
  EXPECT_EQ(doc.NumRows, 1);
  EXPECT_EQ(doc.NumCols, 1);
  EXPECT_EQ(grid.rowCount(), 3);
  EXPECT_EQ(grid.colCount(), 3);
  EXPECT_EQ(rowTexts(grid, 2, 1, 3), (Texts{"region", "age", "Cell Value"}));
  EXPECT_EQ(rowTexts(grid, 3, 1, 3), (Texts{"", "", ""}));
  EXPECT_EQ(grid.frozenRows(), 2);
  EXPECT_EQ(grid.frozenCols(), 0);
  EXPECT_TRUE(grid.editable(3, 1));  // key columns are typed by the user

  // With heading variables, their labels take the place of "Cell Value"; keyed
  // heading variables span no columns.
  auto sex = addVariable(doc, "sex", 1, {"men", "women"});
  addVariable(doc, "kind", 1, {"a", "b", "c"})->Keytype = 1;
  ASSERT_TRUE(CreateGrid(doc, grid, true, false));
  EXPECT_EQ(doc.DataRow1, 4);
  EXPECT_EQ(doc.NumCols, 2);
  EXPECT_EQ(rowTexts(grid, 2, 1, 4), (Texts{"region", "age", "men", "women"}));
  EXPECT_EQ(rowTexts(grid, 3, 1, 4), (Texts{"", "", "", ""}));
}

TEST(DataGridLayout, SizingFailsWithoutValuesAndLeavesTheGridAsItWas) {
  RegionSexTime t;
  ASSERT_TRUE(CreateGrid(t.doc, t.grid, true, false));
  t.fill();
  addVariable(t.doc, "empty", 1, {});
  EXPECT_FALSE(CreateGrid(t.doc, t.grid, true, false));
  EXPECT_FALSE(t.doc.GridCreated);
  EXPECT_EQ(t.grid.rowCount(), 6);
  EXPECT_EQ(t.grid.text(4, 2), "11");

  VexaMess none;
  CellGrid g;
  EXPECT_FALSE(CreateGrid(none, g, true, false));
}

TEST(DataGridLayout, TablesTooLargeForAGridAreRefused) {
  VexaMess doc;
  CellGrid grid;
  Texts many;
  for (int i = 0; i < 50'000; ++i) many.push_back(std::to_string(i));
  addVariable(doc, "a", 0, many);
  addVariable(doc, "b", 1, many);  // 2.5e9 cells
  EXPECT_FALSE(CreateGrid(doc, grid, true, false));
  EXPECT_EQ(grid.rowCount(), 0);
}

TEST(DataGridValueChange, AddingAValueInsertsEmptyRowsAndKeepsCellsUnderTheirLabels) {
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
  EXPECT_EQ(doc.NumRows, 12);
  EXPECT_EQ(grid.rowCount(), doc.DataRow1 + 11);
  const std::int32_t first = doc.DataRow1, last = grid.rowCount();
  EXPECT_EQ(colTexts(grid, 2, first, last),
            (Texts{"b1", "b1", "b2", "b2", "b3", "b3", "b1", "b1", "b2", "b2", "b3", "b3"}));
  EXPECT_EQ(colTexts(grid, 4, first, last),
            (Texts{"1", "2", "3", "4", "", "", "5", "6", "7", "8", "", ""}));
  EXPECT_TRUE(grid.locked(first + 4, 1));  // new label cells are locked too
  EXPECT_EQ(grid.alignment(first + 4, 4), HAlign::Right);

  // Removing b1 (position 1) drops its rows in both repetitions.
  UpdateForValueChange(doc, grid, *b, ValueChange::Removing, 1, false);
  b->RemoveVal(1);
  EXPECT_EQ(doc.NumRows, 8);
  EXPECT_EQ(colTexts(grid, 4, first, grid.rowCount()), (Texts{"3", "4", "", "", "7", "8", "", ""}));
  EXPECT_EQ(colTexts(grid, 2, first, grid.rowCount()),
            (Texts{"b2", "b2", "b3", "b3", "b2", "b2", "b3", "b3"}));
}

TEST(DataGridValueChange, HeadingValuesAddedAndRemovedMoveColumns) {
  RegionSexTime t;
  ASSERT_TRUE(CreateGrid(t.doc, t.grid, true, false));
  t.fill();
  // sex x time: men 2004, men 2005, women 2004, women 2005 -> add "total" to sex.
  t.sex->addVal()->value = "total";
  UpdateForValueChange(t.doc, t.grid, *t.sex, ValueChange::Added, 0, false);
  EXPECT_EQ(t.doc.NumCols, 6);
  EXPECT_EQ(rowTexts(t.grid, 2, 2, 7), (Texts{"men", "men", "women", "women", "total", "total"}));
  EXPECT_EQ(rowTexts(t.grid, 5, 2, 7), (Texts{"21", "22", "23", "24", "", ""}));
  EXPECT_TRUE(t.grid.locked(2, 6));
  EXPECT_EQ(t.grid.alignment(2, 6), HAlign::Left);

  // Remove 2004 from time, the last heading variable: every other column goes.
  UpdateForValueChange(t.doc, t.grid, *t.time, ValueChange::Removing, 1, false);
  t.time->RemoveVal(1);
  EXPECT_EQ(t.doc.NumCols, 3);
  EXPECT_EQ(t.grid.colCount(), 4);
  EXPECT_EQ(rowTexts(t.grid, 3, 2, 4), (Texts{"2005", "2005", "2005"}));
  EXPECT_EQ(rowTexts(t.grid, 5, 2, 4), (Texts{"22", "24", ""}));

  // A text change only rewrites labels.
  t.region->ValueCode.Item(2)->value = "Centre";
  UpdateForValueChange(t.doc, t.grid, *t.region, ValueChange::TextChanged, 0, false);
  EXPECT_EQ(t.grid.text(5, 1), "Centre");
  EXPECT_EQ(t.grid.text(5, 2), "22");
}

TEST(DataGridValueChange, KeysFormFollowsHeadingVariablesOnly) {
  VexaMess doc;
  CellGrid grid;
  doc.FileWithKeys = true;
  auto region = addVariable(doc, "region", 0, {"North", "South"});
  region->Keytype = 2;
  auto sex = addVariable(doc, "sex", 1, {"men", "women"});
  ASSERT_TRUE(CreateGrid(doc, grid, true, false));
  grid.setText(doc.DataRow1, 1, "North");
  grid.setNumber(doc.DataRow1, 2, 5, 0);
  grid.setNumber(doc.DataRow1, 3, 6, 0);

  region->addVal()->value = "West";
  UpdateForValueChange(doc, grid, *region, ValueChange::Added, 0, false);
  EXPECT_EQ(grid.rowCount(), doc.DataRow1);

  sex->addVal()->value = "all";
  UpdateForValueChange(doc, grid, *sex, ValueChange::Added, 0, false);
  EXPECT_EQ(rowTexts(grid, 2, 1, 4), (Texts{"region", "men", "women", "all"}));
  EXPECT_EQ(rowTexts(grid, doc.DataRow1, 1, 4), (Texts{"North", "5", "6", ""}));
}

TEST(DataGridOneValued, NewHeadingVariableAddsALabelRowAndKeepsCells) {
  RegionSexTime t;
  t.doc.Description = "Desc";
  ASSERT_TRUE(CreateGrid(t.doc, t.grid, true, false));
  t.fill();
  auto unit = t.doc.addTimeDimension("unit", 1, "P", "persons");
  AddOneValuedVariable(t.doc, t.grid, *unit, false);
  EXPECT_EQ(t.doc.DataRow1, 5);
  EXPECT_EQ(t.grid.text(1, 1), "Desc");
  EXPECT_EQ(rowTexts(t.grid, 2, 2, 5), (Texts{"persons", "persons", "persons", "persons"}));
  EXPECT_EQ(rowTexts(t.grid, 3, 2, 5), (Texts{"men", "men", "women", "women"}));
  EXPECT_EQ(rowTexts(t.grid, 4, 2, 3), (Texts{"2004", "2005"}));
  EXPECT_EQ(rowTexts(t.grid, 5, 1, 5), (Texts{"North", "11", "12", "13", "14"}));
  EXPECT_EQ(t.grid.frozenRows(), 4);
  EXPECT_TRUE(t.grid.locked(2, 3));
}

TEST(DataGridOneValued, NewStubVariableAddsALabelColumn) {
  RegionSexTime t;
  ASSERT_TRUE(CreateGrid(t.doc, t.grid, true, false));
  t.fill();
  auto unit = t.doc.addTimeDimension("unit", 0, "P", "persons");
  AddOneValuedVariable(t.doc, t.grid, *unit, false);
  EXPECT_EQ(t.doc.DataCol1, 3);
  EXPECT_EQ(rowTexts(t.grid, 4, 1, 4), (Texts{"North", "persons", "11", "12"}));
  EXPECT_EQ(rowTexts(t.grid, 2, 3, 6), (Texts{"men", "men", "women", "women"}));
  EXPECT_EQ(t.grid.frozenCols(), 2);
  EXPECT_TRUE(t.grid.locked(6, 2));

  // Keys form: the key column is filled for every entered row, and the header follows.
  VexaMess doc;
  CellGrid grid;
  doc.FileWithKeys = true;
  addVariable(doc, "region", 0, {"North"});
  ASSERT_TRUE(CreateGrid(doc, grid, true, false));
  grid.setText(3, 1, "North");
  grid.setNumber(3, 2, 7, 0);
  ASSERT_TRUE(AppendKeysRow(doc, grid));
  auto year = doc.addTimeDimension("year", 0, "2020", "2020");
  AddOneValuedVariable(doc, grid, *year, false);
  EXPECT_EQ(rowTexts(grid, 2, 1, 3), (Texts{"region", "year", "Cell Value"}));
  EXPECT_EQ(rowTexts(grid, 3, 1, 3), (Texts{"North", "2020", "7"}));
  EXPECT_EQ(rowTexts(grid, 4, 1, 3), (Texts{"", "", ""}));  // the entry row stays empty
}

TEST(DataGridEditing, EditedCellsBecomeNumbersOnlyWhenNumericAndInTheDataArea) {
  RegionSexTime t;
  t.doc.SaveDecimals = 2;
  ASSERT_TRUE(CreateGrid(t.doc, t.grid, true, false));
  t.grid.setDecimalChar(",");

  t.grid.setText(4, 2, " 12,5 ");
  ConvertEditedCell(t.doc, t.grid, 4, 2);
  EXPECT_EQ(t.grid.kind(4, 2), CellKind::Number);
  EXPECT_EQ(t.grid.text(4, 2), "12,50");

  t.grid.setText(4, 3, "12.5");  // the file's "." is understood too
  ConvertEditedCell(t.doc, t.grid, 4, 3);
  EXPECT_EQ(t.grid.text(4, 3), "12,50");

  t.grid.setText(4, 4, "...");
  t.grid.setAlignment(4, 4, HAlign::Left);
  ConvertEditedCell(t.doc, t.grid, 4, 4);
  EXPECT_EQ(t.grid.kind(4, 4), CellKind::Text);
  EXPECT_EQ(t.grid.alignment(4, 4), HAlign::Right);

  t.grid.setText(3, 2, "2004");  // a label cell stays text
  ConvertEditedCell(t.doc, t.grid, 3, 2);
  EXPECT_EQ(t.grid.kind(3, 2), CellKind::Text);
}

TEST(DataGridEditing, DeleteClearsTheBlockOrTheCurrentCellButNotLockedLabels) {
  RegionSexTime t;
  ASSERT_TRUE(CreateGrid(t.doc, t.grid, true, false));
  t.fill();
  t.grid.setSelection(Block{3, 1, 5, 3});  // labels and four data cells
  ClearSelectionOrCurrent(t.grid);
  EXPECT_EQ(rowTexts(t.grid, 4, 1, 4), (Texts{"North", "", "", "13"}));
  EXPECT_EQ(rowTexts(t.grid, 5, 1, 4), (Texts{"Middle", "", "", "23"}));
  EXPECT_EQ(t.grid.text(3, 2), "2004");

  t.grid.setSelection(std::nullopt);
  t.grid.setCurrent(6, 5);
  ClearSelectionOrCurrent(t.grid);
  EXPECT_EQ(t.grid.text(6, 5), "");
  EXPECT_EQ(t.grid.text(6, 4), "33");

  t.grid.setSelection(Block{-1, 4, -1, 4});  // whole column
  ClearSelectionOrCurrent(t.grid);
  EXPECT_EQ(colTexts(t.grid, 4, 4, 6), (Texts{"", "", ""}));
  EXPECT_EQ(t.grid.text(2, 4), "women");
}

TEST(DataGridEditing, KeysFormKeepsAnEmptyEntryRowAndSortsByKeys) {
  VexaMess doc;
  CellGrid grid;
  doc.FileWithKeys = true;
  addVariable(doc, "region", 0, {"01", "2", "10"});
  ASSERT_TRUE(CreateGrid(doc, grid, true, false));
  EXPECT_FALSE(GrowKeysEntryRow(doc, grid, 2));
  for (const char* key : {"10", "2", "01"}) {
    const std::int32_t row = grid.rowCount();
    grid.setText(row, 1, key);
    grid.setNumber(row, 2, std::stod(key), 0);
    EXPECT_TRUE(GrowKeysEntryRow(doc, grid, row));
  }
  EXPECT_EQ(grid.rowCount(), 6);
  EXPECT_EQ(doc.NumRows, 4);
  SortKeysRows(doc, grid);
  EXPECT_EQ(colTexts(grid, 1, 3, 6), (Texts{"01", "2", "10", ""}));
  EXPECT_EQ(colTexts(grid, 2, 3, 6), (Texts{"1", "2", "10", ""}));
}
