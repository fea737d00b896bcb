// Pasting clipboard blocks into the data grid and the value grid: each paste one step,
// done, undone and done again with the grid and the saved file compared.
#include <gtest/gtest.h>

#include "core/editor/paste_commands.h"
#include "support/step_checks.h"
#include "support/tables.h"

using namespace zendra;
using namespace zendra::test;

namespace {

// ansi_months.vq: 4 months down, 2 goods across; labels in row 2 and column 1, data
// area rows 3 to 6, columns 2 and 3.
// keys_form.vq: key columns 1 and 2, data columns 3 and 4, rows 3 to 5 and the entry row 6.
constexpr const char* kNormal = "ansi_months.vq";

PasteCellsCommand paste(Loaded& t, Block target, const char* text) {
  return PasteCellsCommand(t.doc, t.grid, target, ClipboardBlock::parse(text));
}

}  // namespace

TEST(PasteCellsCommand, ABlockAtOneCellFillsFromThereAsTypedCellsWithoutMarks) {
  Loaded t(kNormal);
  t.doc.Decimaler = 2;  // the table's DECIMALS
  t.doc.setSaveDecimals();
  t.grid.setColours(4, 2, kRed, kYellow);  // a mark of the cell check
  // From a spreadsheet: CR LF, no final line feed, numbers and a symbol.
  auto step = paste(t, {3, 2, 3, 2}, "1\t2\r\n3.5\t..\r\n5.25\t6");
  doUndoRedo(t, step, [&] {
    EXPECT_EQ(gridRows(t.grid, 3, 4, true), "nov 1999|#1.00|#2.00\ndec 1999|#3.50|..\n");
    EXPECT_FALSE(t.grid.backColour(4, 2));
    // The numbers are written with the table's decimals.
    EXPECT_NE(writtenFile(t).find("DATA=\r\n1.00 2.00 \r\n3.50 \"..\" \r\n5.25 6.00 \r\n103 203 ;"),
              std::string::npos);
  });
  // A paste too large to keep is done without undo.
  const SnapshotLimit limit(16);
  auto large = paste(t, {3, 2, 3, 2}, "7\t2\n3\t4\n");
  large.redo();
  EXPECT_FALSE(large.undoable());
  EXPECT_EQ(t.cell(0, 0), "7.00");
}

TEST(PasteCellsCommand, LabelsAndCellsPastTheDataAreaAreLeftOutAndCounted) {
  const std::string labels = gridRows(Loaded(kNormal).grid, 1, 2);
  const struct {
    Block at;
    const char* text;
    int leftOutRows, leftOutCols;
    std::int32_t row1, row2;  // the rows shown
    std::string rows;
  } cases[] = {
      // At the label cell (2, 1): the block's first row falls on the label row and its
      // first column on the label column.
      {{2, 1, 2, 1}, "a\tb\tc\nd\t7\t8\n", 1, 1, 1, 3, labels + "nov 1999|7|8\n"},
      // Past the last data row and column; the grid keeps its size.
      {{6, 3, 6, 3}, "1\t2\n3\t4\n5\t6\n", 2, 1, 6, -1, "feb 2000|103|1\n"},
      // A 3 x 2 block into a 2 x 2 selection.
      {{3, 2, 4, 3}, "1\t2\n3\t4\n5\t6", 0, 0, 4, 5, "dec 1999|3|4\njan 2000|102|202\n"},
      // A 1 x 1 block into a 2 x 2 selection: the whole selection loses its marks.
      {{5, 2, 6, 3}, "9", 0, 0, 5, -1, "jan 2000|9|202\nfeb 2000|103|203\n"},
      // All on labels: nothing changes and the whole block is counted.
      {{1, 1, 1, 1}, "x\ty\n", 1, 2, 1, 2, labels},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    Loaded t(kNormal);
    t.grid.setColours(6, 3, kRed, kYellow);
    auto step = paste(t, c.at, c.text);
    doUndoRedo(t, step, [&] {
      EXPECT_EQ(gridRows(t.grid, c.row1, c.row2), c.rows);
      EXPECT_EQ(step.leftOutRows() * 10 + step.leftOutCols(), c.leftOutRows * 10 + c.leftOutCols);
      EXPECT_EQ(t.grid.backColour(6, 3).has_value(), c.at.row2 < 6);
    });
  }
}

TEST(PasteCellsCommand, KeysFormGrowsToTheBlockAndOneEmptyEntryRowThatIsNotSaved) {
  Loaded t("keys_form.vq");
  // Two rows pasted at the entry row: the grid ends with a new, empty entry row.
  auto step = paste(t, {6, 1, 6, 1}, "02\t0-19\t4\t5\n01\t65+\t6\t7\n");
  doUndoRedo(t, step, [&] {
    EXPECT_EQ(gridRows(t.grid, 6, -1, true), "02|0-19|#4|#5\n01|65+|#6|#7\n|||\n");
  });
  // Saved and read back, the last pasted row is there.
  Loaded back(Loaded::Text{writtenFile(t)});
  EXPECT_EQ(gridRows(back.grid, 6), "02|0-19|4|5\n01|65+|6|7\n|||\n");
}

namespace {

struct Values {
  Loaded t{kNormal};
  DimensionRef goods = t.doc.Get_Dimension("varugrupp");

  ValuePaste paste(std::int32_t row, std::int32_t col, const char* text,
                   std::vector<ValueField> columns = {ValueField::Value}) {
    return MakeValuePaste(t.doc, t.grid, goods, columns, row, col, ClipboardBlock::parse(text),
                          false);
  }
  std::string values() const {
    std::string out;
    for (const auto& v : goods->ValueCode.NewEnum()) out += v->value + "/" + v->code + ";";
    return out;
  }
};

}  // namespace

TEST(ValuePaste, LinesFillRowsOrOneColumnAndARaggedBlockIsRefused) {
  const auto both = std::vector<ValueField>{ValueField::Code, ValueField::Value};
  const struct {
    std::int32_t row, col;
    const char* text;
    std::vector<ValueField> columns;
    bool turned;
    int newValues;
    const char* values;
  } cases[] = {
      // A column from a spreadsheet at the empty row makes one value a line.
      {2, 0, "Kläder\r\nHyra", {ValueField::Value}, false, 2, "Livsmedel/;Energi/;Kläder/;Hyra/;"},
      // Over existing values and on into new ones, with codes; an empty line makes no value.
      {1, 0, "E\tEnergi2\n\t\nK\tKläder\n", both, false, 1, "Livsmedel/;Energi2/E;Kläder/K;"},
      // A line wider than the grid goes down one column.
      {0, 0, "A\tB\tC\n", {ValueField::Value}, true, 1, "A/;B/;C/;"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    Values v;
    auto paste = v.paste(c.row, c.col, c.text, c.columns);
    ASSERT_TRUE(paste.fits);
    EXPECT_EQ(paste.turned, c.turned);
    EXPECT_EQ(paste.newValues, c.newValues);
    doUndoRedo(v.t, *paste.step, [&] {
      EXPECT_EQ(v.values(), c.values);
      // The data grid follows the values.
      EXPECT_EQ(v.t.grid.colCount(), 1 + v.goods->ValueCode.Count());
    });
  }
  // The first line fits but a later one is wider than the grid, and the lines do not fit
  // across either: no part of it is pasted.
  Values ragged;
  const auto refused = ragged.paste(0, 0, "A\nB\tC\n");
  EXPECT_FALSE(refused.fits || refused.step);
  // From the last of two columns only one is available.
  EXPECT_FALSE(ragged.paste(0, 1, "A\tB\nC\tD\n", both).fits);
  // An empty clipboard fits and changes nothing.
  const auto nothing = ragged.paste(0, 0, "");
  EXPECT_TRUE(nothing.fits && !nothing.step);
}
