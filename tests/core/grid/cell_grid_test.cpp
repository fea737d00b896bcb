// The cell grid: kinds and shown texts, formats, structure changes and block sort.
#include <gtest/gtest.h>

#include "support/tables.h"

using namespace zendra;
using namespace zendra::test;

TEST(CellGrid, NumberCellsShowTheirDecimalsWithTheGridsDecimalCharacter) {
  CellGrid g(2, 2);
  g.setNumber(1, 1, 12.5, 2);
  EXPECT_EQ(g.kind(1, 1), CellKind::Number);
  EXPECT_EQ(g.text(1, 1), "12.50");
  g.setDecimalChar(",");
  g.setNumber(1, 2, -0.001, 2);
  g.setNumber(2, 1, 1234567.891, 1);
  EXPECT_EQ(gridRows(g), "12,50|0,00\n1234567,9|\n");  // no "-0,00"
  EXPECT_DOUBLE_EQ(g.number(2, 1), 1234567.891);
  g.setDecimals(1, 1, 0);
  EXPECT_EQ(g.text(1, 1), "13");  // half away from zero

  // A text replaces a number and an empty text empties the cell.
  g.setText(2, 1, "..");
  EXPECT_EQ(g.kind(2, 1), CellKind::Text);
  EXPECT_EQ(g.number(2, 1), 0);
  g.setText(2, 1, "");
  EXPECT_EQ(g.kind(2, 1), CellKind::Empty);
  // Outside the grid: nothing happens and nothing is read.
  g.setText(3, 1, "x");
  g.setNumber(0, 0, 1, 1);
  EXPECT_EQ(gridRows(g), "13|0,00\n|\n");
  EXPECT_EQ(g.kind(-1, 5), CellKind::Empty);
}

TEST(CellGrid, ClearingKeepsFormatAndColoursFollowTheirCell) {
  CellGrid g(3, 3);
  g.setBlockAlignment(g.all(), HAlign::Right);
  g.setBlockLocked({1, 1, 1, 3}, true);
  g.setText(1, 1, "x");
  g.setColours(1, 1, kRed, kYellow);
  g.setText(1, 1, "y");  // content changes keep colours
  EXPECT_EQ(colours(g, 1, 1), "red/yellow");
  g.setColours(1, 1, std::nullopt, kBlack);
  EXPECT_EQ(colours(g, 1, 1), "-/black");

  g.setText(2, 2, "x");
  g.setColours(2, 2, kRed, kYellow);
  g.setNumber(3, 3, 4, 1);
  g.clearBlock({2, 2, 3, 3});  // content and colours go
  EXPECT_EQ(gridRows(g), "y||\n||\n||\n");
  EXPECT_EQ(colours(g, 2, 2), "-/-");
  EXPECT_EQ(g.alignment(2, 2), HAlign::Right);
  EXPECT_EQ(g.decimals(3, 3), 1);
  EXPECT_TRUE(g.locked(1, 2));
  g.clearAll();
  EXPECT_EQ(g.alignment(2, 2), HAlign::General);
  EXPECT_FALSE(g.locked(1, 2));
  EXPECT_EQ(g.rowCount(), 3);
}

TEST(CellGrid, WidthOfTheLongestTextCountsCharacters) {
  CellGrid g(2, 1);
  g.setText(1, 1, "Östergötland");
  g.setNumber(2, 1, 12345.5, 3);  // as shown: "12345.500"
  EXPECT_EQ(g.maxTextWidth(1, 1, 2), 12);
  EXPECT_EQ(g.maxTextWidth(1, 2, 2), 9);
}

TEST(CellGrid, ColumnsComeBackIntoAGridThatLostThemAll) {
  // Undoing the removal of a heading variable's every value.
  CellGrid grid(2, 2);
  grid.setText(2, 1, "a");
  grid.deleteCols(1, 2);
  ASSERT_EQ(grid.colCount(), 0);
  CellGrid kept = grid;  // a copy, as steps keep grids, holds no storage for cells at all
  EXPECT_TRUE(kept.insertCols(1, 2));
  EXPECT_EQ((std::vector<std::int32_t>{kept.rowCount(), kept.colCount()}),
            (std::vector<std::int32_t>{2, 2}));
  EXPECT_TRUE(kept.isEmpty(2, 1));
}

TEST(CellGrid, AFailedAllocationLeavesTheGridAsItWas) {
  CellGrid grid(3, 4);
  grid.setText(2, 2, "kept");
  grid.setColumnWidth(4, 7);
  grid.setMemoryBudget(12 * 16);  // room for the 12 cells there are, no more
  EXPECT_FALSE(grid.setSize(4, 4));
  EXPECT_FALSE(grid.setSize(3, 5));
  EXPECT_FALSE(grid.insertRows(2, 1));
  EXPECT_FALSE(grid.insertCols(1, 1));
  EXPECT_EQ(
      (std::vector<float>{float(grid.rowCount()), float(grid.colCount()), grid.columnWidth(4)}),
      (std::vector<float>{3, 4, 7}));
  EXPECT_EQ(grid.text(2, 2), "kept");
  // Shrinking and deleting need no new memory.
  EXPECT_TRUE(grid.setSize(2, 4));
  grid.deleteCols(1, 1);
  EXPECT_EQ(grid.text(2, 1), "kept");
  EXPECT_EQ(grid.columnWidth(3), 7);

  grid.setMaxCells(50);
  grid.clear();  // gives everything back; the cap stays
  EXPECT_EQ((std::vector<std::int64_t>{grid.rowCount(), grid.colCount(), grid.maxCells()}),
            (std::vector<std::int64_t>{0, 0, 50}));
}

TEST(CellGridSort, SortsTheBlockStablyByKeysWithNumbersAsNumbers) {
  CellGrid g(7, 3);
  const Texts key1{"10", "2", "01", "b", "A", "2", ""};
  const Texts key2{"x", "z", "x", "x", "x", "a", "x"};
  for (int r = 1; r <= 7; ++r) {
    g.setText(r, 1, key1[r - 1]);
    g.setText(r, 2, key2[r - 1]);
    g.setNumber(r, 3, r, 0);
  }
  g.sortRows({1, 1, 7, 3}, {1, 2});
  EXPECT_EQ(gridRows(g), "01|x|3\n2|a|6\n2|z|2\n10|x|1\nA|x|5\nb|x|4\n|x|7\n");

  // Only the block moves; equal keys keep their order.
  CellGrid h(4, 2);
  for (int r = 1; r <= 4; ++r) {
    h.setText(r, 1, "same");
    h.setText(r, 2, std::to_string(r));
  }
  h.sortRows({2, 1, 3, 1}, {1});
  EXPECT_EQ(gridRows(h), "same|1\nsame|2\nsame|3\nsame|4\n");

  // The order is total: equal numbers are decided by their bytes, the empty key last.
  const char* ascending[][3] = {{"01", "1", "."},    {"9", "10", "."},      {"1,5", "2", ","},
                                {"999", "abc", "."}, {"Ärla", "ärlb", "."}, {"z", "", "."}};
  for (const auto& [a, b, sep] : ascending) EXPECT_LT(compareSortKeys(a, b, sep), 0) << a << b;
  EXPECT_EQ(compareSortKeys("x", "x", "."), 0);
}
