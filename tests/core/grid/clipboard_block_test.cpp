// Clipboard blocks: reading the texts spreadsheets and text editors put there, and
// writing a grid's block so that they read it back.
#include <gtest/gtest.h>

#include <string>

#include "core/grid/clipboard_block.h"
#include "support/tables.h"

using namespace zendra;
using namespace zendra::test;

namespace {

// The block as rows of "|"-separated cells, one line a row.
std::string shape(const ClipboardBlock& block) {
  std::string out;
  for (std::int32_t r = 0; r < block.rows(); ++r) {
    for (std::int32_t c = 0; c < block.fields(r); ++c) {
      if (c) out += '|';
      out += block.cell(r, c);
    }
    out += '\n';
  }
  return out;
}

}  // namespace

TEST(ClipboardBlock, SpreadsheetTextReadsLikeTabAndLineFeedText) {
  const auto plain = ClipboardBlock::parse("1\t2\n3\t4\n5\t6\n");
  EXPECT_EQ(plain.rows(), 3);
  EXPECT_EQ(plain.columns(), 2);
  EXPECT_EQ(shape(plain), "1|2\n3|4\n5|6\n");
  // CR LF line ends, no final line feed, a last CR: all the same block.
  for (const char* text : {"1\t2\r\n3\t4\r\n5\t6", "1\t2\r\n3\t4\r\n5\t6\r\n", "1\t2\n3\t4\n5\t6",
                           "1\t2\r\n3\t4\r\n5\t6\r"}) {
    const auto block = ClipboardBlock::parse(text);
    EXPECT_EQ(shape(block), shape(plain)) << text;
    EXPECT_EQ(block.rows(), 3) << text;
    EXPECT_EQ(block.columns(), 2) << text;
  }
}

TEST(ClipboardBlock, EmptyCellsRaggedRowsAndLoneCarriageReturns) {
  EXPECT_TRUE(ClipboardBlock::parse("").empty());
  EXPECT_EQ(ClipboardBlock::parse("").rows(), 0);
  EXPECT_EQ(ClipboardBlock::parse("").columns(), 0);

  // A line feed alone is one row of one empty cell; empty cells between tabs count.
  const auto feed = ClipboardBlock::parse("\n");
  EXPECT_EQ(feed.rows(), 1);
  EXPECT_EQ(feed.columns(), 1);
  const auto gaps = ClipboardBlock::parse("\ta\t\n\n");
  EXPECT_EQ(gaps.rows(), 2);
  EXPECT_EQ(gaps.columns(), 3);
  EXPECT_EQ(shape(gaps), "|a|\n\n");

  // The width is the first row's; the widest row is known apart from it.
  const auto ragged = ClipboardBlock::parse("a\nb\tc\td\ne\tf");
  EXPECT_EQ(ragged.columns(), 1);
  EXPECT_EQ(ragged.widest(), 3);
  EXPECT_EQ(ragged.cell(1, 2), "d");
  EXPECT_EQ(ragged.cell(0, 1), "");  // past its row
  EXPECT_EQ(ragged.cell(3, 0), "");  // past the block
  EXPECT_EQ(ragged.cell(-1, 0), "");

  // Only a CR before a line feed ends a line; one inside a cell is its text.
  EXPECT_EQ(shape(ClipboardBlock::parse("a\rb\tc\r\t\n")), "a\rb|c\r|\n");
}

TEST(ClipboardBlock, AGridBlockIsWrittenWithShownTextsAndReadBack) {
  CellGrid grid(3, 3);
  grid.setDecimalChar(",");
  grid.setNumber(1, 1, 12.5, 2);
  grid.setText(1, 2, "..");
  grid.setText(2, 2, "with\ttab\nand line");
  grid.setText(3, 3, "x");
  const std::string text = FormatClipboardBlock(grid, {1, 1, 3, 2});
  EXPECT_EQ(text, "12,50\t..\n\twith tab and line\n\t\n");
  const auto back = ClipboardBlock::parse(text);
  EXPECT_EQ(back.rows(), 3);
  EXPECT_EQ(back.columns(), 2);
  EXPECT_EQ(back.cell(0, 0), "12,50");

  // Clipped to the grid; a whole-column selection (-1 rows) is every row.
  EXPECT_EQ(FormatClipboardBlock(grid, {3, 3, 9, 9}), "x\n");
  EXPECT_EQ(FormatClipboardBlock(grid, {-1, 3, -1, 3}), "\n\nx\n");
  EXPECT_EQ(FormatClipboardBlock(grid, {4, 1, 5, 1}), "");
}

TEST(ClipboardBlock, AGridsOwnPasteStopsAtItsEdgesAndLeavesShortRowsAlone) {
  CellGrid grid(3, 3);
  grid.setText(3, 3, "kept");
  grid.setText(2, 3, "kept too");
  const Block written =
      WriteClipboardBlock(grid, 2, 2, ClipboardBlock::parse("a\tb\tc\nd\ne\tf\n"));
  EXPECT_EQ(gridRows(grid), "||\n|a|b\n|d|kept\n");
  EXPECT_EQ(written, (Block{2, 2, 3, 3}));
  EXPECT_TRUE(WriteClipboardBlock(grid, 4, 1, ClipboardBlock::parse("z")).empty());
}
