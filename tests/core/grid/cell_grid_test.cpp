// The cell grid: kinds and shown texts, formats, structure changes and block sort; the
// numeric test at its edges; clipboard blocks read from the texts spreadsheets and text
// editors put there, and a grid's block written so that they read it back.
#include <gtest/gtest.h>

#include <string>

#include "core/grid/clipboard_block.h"
#include "core/grid/numeric.h"
#include "support/tables.h"

using namespace zendra;
using namespace zendra::test;

TEST(CellGrid, NumberCellsShowTheirDecimalsTextsReplaceThemAndFormatsOutliveClearing) {
  CellGrid g(3, 3);
  g.setDecimalChar(",");
  g.setNumber(1, 1, 12.5, 0);
  g.setNumber(1, 2, -0.001, 2);
  g.setText(1, 3, "Östergötland");
  EXPECT_EQ(gridRows(g, 1, 1), "13|0,00|Östergötland\n");  // half away from zero; no "-0,00"
  EXPECT_EQ(g.maxTextWidth(3, 1, 1), 12);                  // characters, not bytes
  g.setText(1, 1, "..");
  EXPECT_EQ(g.number(1, 1), 0);
  // Outside the grid: nothing happens and nothing is read.
  g.setText(4, 1, "x");
  EXPECT_EQ(g.kind(-1, 5), CellKind::Empty);

  g.setBlockAlignment(g.all(), HAlign::Right);
  g.setBlockLocked({1, 1, 1, 3}, true);
  g.setColours(1, 1, kRed, kYellow);
  g.setText(1, 1, "y");  // content changes keep colours
  EXPECT_EQ(colours(g, 1, 1), "red/yellow");
  g.setColours(2, 2, kRed, kYellow);
  g.setNumber(3, 3, 4, 1);
  g.clearBlock({2, 2, 3, 3});  // content and colours go, the format stays
  EXPECT_EQ(gridRows(g), "y|0,00|Östergötland\n||\n||\n");
  EXPECT_EQ(colours(g, 2, 2), "-/-");
  EXPECT_EQ(g.decimals(3, 3), 1);
  g.clearAll();
  EXPECT_EQ(g.alignment(2, 2), HAlign::General);
  EXPECT_FALSE(g.locked(1, 2));
}

TEST(CellGrid, ColumnsComeBackIntoAGridThatLostThemAll) {
  // Undoing the removal of a heading variable's every value.
  CellGrid grid(2, 2);
  grid.deleteCols(1, 2);
  CellGrid kept = grid;  // a copy, as steps keep grids, holds no storage for cells at all
  EXPECT_TRUE(kept.insertCols(1, 2));
  EXPECT_EQ(kept.colCount(), 2);
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
  EXPECT_EQ(grid.rowCount() * 10 + grid.colCount(), 34);
  EXPECT_EQ(grid.columnWidth(4), 7);
  // Shrinking and deleting need no new memory.
  EXPECT_TRUE(grid.setSize(2, 4));
  grid.deleteCols(1, 1);
  EXPECT_EQ(grid.text(2, 1), "kept");
  grid.setMaxCells(50);
  grid.clear();  // gives everything back; the cap stays
  EXPECT_EQ(grid.maxCells(), 50);
}

TEST(CellGridSort, SortsTheBlockStablyByKeysWithNumbersAsNumbers) {
  CellGrid g(8, 3);
  const Texts key1{"10", "2", "01", "b", "A", "2", "", "top"};
  const Texts key2{"x", "z", "x", "x", "x", "a", "x", "x"};
  for (int r = 1; r <= 8; ++r) {
    g.setText(r, 1, key1[r - 1]);
    g.setText(r, 2, key2[r - 1]);
    g.setNumber(r, 3, r, 0);
  }
  g.sortRows({1, 1, 7, 3}, {1, 2});  // row 8 is outside the block
  EXPECT_EQ(gridRows(g), "01|x|3\n2|a|6\n2|z|2\n10|x|1\nA|x|5\nb|x|4\n|x|7\ntop|x|8\n");
  // The order is total: equal numbers are decided by their bytes, the empty key last.
  const char* ascending[][3] = {{"01", "1", "."},
                                {"1,5", "2", ","},
                                {"999", "abc", "."},
                                {"Ärla", "ärlb", "."},
                                {"z", "", "."}};
  for (const auto& [a, b, sep] : ascending) EXPECT_LT(compareSortKeys(a, b, sep), 0) << a << b;
  EXPECT_EQ(compareSortKeys("x", "x", "."), 0);
}

TEST(Numeric, AcceptsSignDigitsOneSeparatorExponentAndBlanksOnly) {
  const struct {
    const char *text, *separator;
    double expected;
  } accepted[] = {{"  -12.50\t", ".", -12.5},
                  {"+7", ".", 7},
                  {".5", ".", 0.5},
                  {"5.", ".", 5},
                  {"1.5E+3", ".", 1500},
                  {"1,5", ",", 1.5},
                  // A separator of several bytes, as some locales have.
                  {"3\u066B25", "\u066B", 3.25}};
  for (const auto& [text, separator, expected] : accepted) {
    double v = 0;
    EXPECT_TRUE(parseNumeric(text, separator, v)) << text;
    EXPECT_DOUBLE_EQ(v, expected) << text;
  }
  for (const char* text : {"", ".", "-", "1.2.3", "1e+", "e5", "1 2", "12a", "inf", "nan", "0x1A",
                           "--1", "1-", "1e999", "1e-999", "1,5"}) {
    EXPECT_FALSE(isNumeric(text, ".")) << text;
  }
  // Long texts are checked whole, not cut.
  EXPECT_FALSE(isNumeric(std::string(300, '1') + "x", "."));
}

// From {0.05, 2} on, values that already have at most the asked decimals (a quicker road).
TEST(Numeric, AppendFixedRoundsHalfAwayFromZeroOnTheShortestDecimalForm) {
  const struct {
    double value;
    int decimals;
    const char* separator;
    const char* expected;
  } cases[] = {{-12.5, 0, ".", "-13"},
               {1.005, 2, ".", "1.01"},
               {0.125, 2, ",", "0,13"},
               {9.995, 2, ".", "10.00"},
               {999.5, 0, ".", "1000"},
               {3, 3, ".", "3.000"},
               {-0.004, 2, ".", "0.00"},
               {1e20, 1, ".", "100000000000000000000.0"},
               {0.1 + 0.2, 16, ".", "0.3000000000000000"},
               {0.05, 2, ".", "0.05"},
               {-0.0, 1, ".", "0.0"},
               {4503599627370495.0, 0, ".", "4503599627370495"}};
  for (const auto& c : cases) {
    std::string out = "kept:";
    appendFixed(c.value, c.decimals, c.separator, out);
    EXPECT_EQ(out, std::string("kept:") + c.expected) << c.value << " " << c.decimals;
  }
}

// The block as "rows x columns:" and its rows of "|"-separated cells, one line a row.
static std::string shape(const ClipboardBlock& block) {
  std::string out = std::to_string(block.rows()) + "x" + std::to_string(block.columns()) + ":";
  for (std::int32_t r = 0; r < block.rows(); ++r) {
    for (std::int32_t c = 0; c < block.fields(r); ++c) (out += c ? "|" : "") += block.cell(r, c);
    out += '\n';
  }
  return out;
}

TEST(ClipboardBlock, SpreadsheetTextEmptyCellsRaggedRowsAndLoneCarriageReturns) {
  const struct {
    const char *text, *shape;
  } cases[] = {
      // CR LF line ends, no final line feed, a last CR: all the same block.
      {"1\t2\r\n3\t4", "2x2:1|2\n3|4\n"},
      {"1\t2\r\n3\t4\r", "2x2:1|2\n3|4\n"},
      {"", "0x0:"},
      // A line feed alone is one row of one empty cell; empty cells between tabs count.
      {"\ta\t\n\n", "2x3:|a|\n\n"},
      // The width is the first row's.
      {"a\nb\tc\td\ne\tf", "3x1:a\nb|c|d\ne|f\n"},
      // Only a CR before a line feed ends a line; one inside a cell is its text.
      {"a\rb\tc\r\t\n", "1x3:a\rb|c\r|\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(shape(ClipboardBlock::parse(c.text)), c.shape) << c.text;
  // The widest row is known apart from the width; cells past a row or the block are empty.
  const auto ragged = ClipboardBlock::parse("a\nb\tc\td\ne\tf");
  EXPECT_EQ(ragged.widest(), 3);
  EXPECT_EQ(std::string(ragged.cell(0, 1)) += ragged.cell(3, 0), "");
}

TEST(ClipboardBlock, AGridBlockIsWrittenWithShownTextsAndAGridsOwnPasteStopsAtItsEdges) {
  CellGrid grid(3, 3);
  grid.setDecimalChar(",");
  grid.setNumber(1, 1, 12.5, 2);
  grid.setText(2, 2, "with\ttab\nand line");
  grid.setText(3, 3, "x");
  EXPECT_EQ(FormatClipboardBlock(grid, {1, 1, 2, 2}), "12,50\t\n\twith tab and line\n");
  // Clipped to the grid; a whole-column selection (-1 rows) is every row.
  EXPECT_EQ(FormatClipboardBlock(grid, {-1, 3, -1, 9}), "\n\nx\n");
  EXPECT_EQ(FormatClipboardBlock(grid, {4, 1, 5, 1}), "");
  // Writing back: cut at the grid's edges, short rows leave the cells after them alone.
  const Block written =
      WriteClipboardBlock(grid, 2, 2, ClipboardBlock::parse("a\tb\tc\nd\ne\tf\n"));
  EXPECT_EQ(gridRows(grid, 2), "|a|b\n|d|x\n");
  EXPECT_EQ(written, (Block{2, 2, 3, 3}));
  EXPECT_TRUE(WriteClipboardBlock(grid, 4, 1, ClipboardBlock::parse("z")).empty());
}
