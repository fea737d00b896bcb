// Pasting clipboard blocks into the data grid and the value grid: each paste one step,
// done, undone and done again with the grid and the saved file compared.
#include <gtest/gtest.h>

#include "core/editor/paste_commands.h"
#include "core/format/writer.h"
#include "support/loaded_table.h"
#include "support/step_checks.h"
#include "support/tables.h"

using namespace zendra;
using namespace zendra::test;

namespace {

// ansi_months.vq: 4 months down, 2 goods across; labels in row 2 and column 1, data
// area rows 3 to 6, columns 2 and 3.
// keys_form.vq: key columns 1 and 2, data columns 3 and 4, rows 3 to 5 and the entry row 6.
constexpr const char* kNormal = "ansi_months.vq";
constexpr const char* kKeys = "keys_form.vq";

Block at(std::int32_t row, std::int32_t col) {
  return {row, col, row, col};
}

PasteCellsCommand paste(Loaded& t, Block target, const char* text) {
  return PasteCellsCommand(t.doc, t.grid, target, ClipboardBlock::parse(text));
}

}  // namespace

TEST(PasteCellsCommand, ABlockAtOneCellFillsFromThereAsTypedCellsWithoutMarks) {
  Loaded t(kNormal);
  ASSERT_EQ(t.result, LoadResult::Loaded);
  t.doc.GridHasData = false;
  t.doc.Decimaler = 2;  // the table's DECIMALS
  t.doc.setSaveDecimals();
  t.grid.setColours(4, 2, kRed, kYellow);  // a mark of the cell check
  // From a spreadsheet: CR LF, no final line feed, numbers and a symbol.
  auto step = paste(t, at(3, 2), "1\t2\r\n3.5\t..\r\n5.25\t6");
  EXPECT_EQ(step.text(), "Paste");
  doUndoRedo(t, step, [&] {
    EXPECT_EQ(gridRows(t.grid, 3, 6, true),
              "nov 1999|#1.00|#2.00\ndec 1999|#3.50|..\n"
              "jan 2000|#5.25|#6.00\nfeb 2000|#103|#203\n");
    EXPECT_EQ(t.grid.alignment(4, 3), HAlign::Right);
    EXPECT_FALSE(t.grid.backColour(4, 2));
    EXPECT_TRUE(t.doc.GridHasData);
    EXPECT_EQ(step.leftOutRows(), 0);
    EXPECT_EQ(step.leftOutCols(), 0);
  });
  // The numbers are written with the table's decimals.
  WriteResult written;
  EXPECT_NE(BuildFileBytes(t.doc, WriteOptions{}, written)
                .find("DATA=\r\n1.00 2.00 \r\n3.50 \"..\" \r\n5.25 6.00 \r\n103 203 ;"),
            std::string::npos);
}

TEST(PasteCellsCommand, LabelsAndCellsPastTheDataAreaAreLeftOutAndCounted) {
  Loaded t(kNormal);
  ASSERT_EQ(t.result, LoadResult::Loaded);
  // At the label cell (2, 1): the block's first row falls on the label row and its first
  // column on the label column.
  auto onLabels = paste(t, at(2, 1), "a\tb\tc\nd\t7\t8\n");
  doUndoRedo(t, onLabels, [&] {
    EXPECT_EQ(gridRows(t.grid, 1, 3), gridRows(Loaded(kNormal).grid, 1, 2) + "nov 1999|7|8\n");
    EXPECT_EQ(onLabels.leftOutRows(), 1);
    EXPECT_EQ(onLabels.leftOutCols(), 1);
  });

  // Past the last data row and column.
  auto pastEnd = paste(t, at(6, 3), "1\t2\n3\t4\n5\t6\n");
  doUndoRedo(t, pastEnd, [&] {
    EXPECT_EQ(gridRows(t.grid, 6, 6), "feb 2000|103|1\n");
    EXPECT_EQ(t.grid.rowCount(), 6);
    EXPECT_EQ(t.grid.colCount(), 3);
    EXPECT_EQ(pastEnd.leftOutRows(), 2);
    EXPECT_EQ(pastEnd.leftOutCols(), 1);
  });

  // All on labels: nothing changes and the whole block is counted.
  auto title = paste(t, at(1, 1), "x\ty\n");
  title.redo();
  EXPECT_TRUE(title.changesNothing());
  EXPECT_EQ(title.leftOutRows(), 1);
  EXPECT_EQ(title.leftOutCols(), 2);
  EXPECT_EQ(gridRows(t.grid, 1, 1), gridRows(Loaded(kNormal).grid, 1, 1));
}

TEST(PasteCellsCommand, ASelectedAreaTakesTheBlockOnlyWithinIt) {
  Loaded t(kNormal);
  ASSERT_EQ(t.result, LoadResult::Loaded);
  // A 3 x 2 block into a 2 x 2 selection; a 1 x 1 block into a 2 x 2 selection.
  auto smaller = paste(t, {3, 2, 4, 3}, "1\t2\n3\t4\n5\t6");
  doUndoRedo(t, smaller, [&] {
    EXPECT_EQ(gridRows(t.grid, 3, 5), "nov 1999|1|2\ndec 1999|3|4\njan 2000|102|202\n");
  });
  t.grid.setColours(6, 3, kRed, kYellow);
  auto larger = paste(t, {5, 2, 6, 3}, "9");
  doUndoRedo(t, larger, [&] {
    EXPECT_EQ(gridRows(t.grid, 5, 6), "jan 2000|9|202\nfeb 2000|103|203\n");
    EXPECT_FALSE(t.grid.backColour(6, 3));  // the whole selection loses its marks
  });
}

TEST(PasteCellsCommand, KeysFormGrowsToTheBlockAndOneEmptyEntryRowThatIsNotSaved) {
  Loaded t(kKeys);
  ASSERT_EQ(t.result, LoadResult::Loaded);
  ASSERT_EQ(t.grid.rowCount(), 6);
  // Two rows pasted at the entry row: the grid ends with a new, empty entry row.
  auto step = paste(t, at(6, 1), "02\t0-19\t4\t5\n01\t65+\t6\t7\n");
  doUndoRedo(t, step, [&] {
    EXPECT_EQ(t.grid.rowCount(), 8);
    EXPECT_EQ(t.doc.NumRows, 6);
    EXPECT_EQ(gridRows(t.grid, 6, 8, true), "02|0-19|#4|#5\n01|65+|#6|#7\n|||\n");
    EXPECT_EQ(t.grid.alignment(8, 1), HAlign::Right);
  });
  // Saved and read back, the last pasted row is there.
  WriteResult written;
  Loaded back(Loaded::Text{BuildFileBytes(t.doc, WriteOptions{}, written)});
  ASSERT_EQ(back.result, LoadResult::Loaded);
  EXPECT_EQ(back.grid.rowCount(), 8);
  EXPECT_NE(gridRows(back.grid, 3, 7).find("01|65+|6|7\n"), std::string::npos);

  // Past the last column the cells are left out, and the label rows stay.
  auto wide = paste(t, at(2, 4), "x\ty\n1\t2\n");
  doUndoRedo(t, wide, [&] {
    EXPECT_EQ(gridRows(t.grid, 3, 3), "01|0-19|0|1\n");
    EXPECT_EQ(wide.leftOutRows(), 1);
    EXPECT_EQ(wide.leftOutCols(), 1);
  });
}

TEST(PasteCellsCommand, APasteTooLargeToKeepIsDoneWithoutUndo) {
  Loaded t(kNormal);
  ASSERT_EQ(t.result, LoadResult::Loaded);
  const SnapshotLimit limit(16);
  auto step = paste(t, at(3, 2), "1\t2\n3\t4\n");
  step.redo();
  EXPECT_FALSE(step.undoable());
  EXPECT_EQ(t.cell(1, 1), "4");
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

TEST(ValuePaste, AColumnFromASpreadsheetAtTheEmptyRowMakesOneValueALine) {
  Values v;
  auto paste = v.paste(2, 0, "Kläder\r\nHyra\r\nResor\r\nSkor\r\nMöbler");
  ASSERT_TRUE(paste.fits);
  EXPECT_FALSE(paste.turned);
  EXPECT_EQ(paste.newValues, 5);
  doUndoRedo(v.t, *paste.step, [&] {
    EXPECT_EQ(v.values(), "Livsmedel/;Energi/;Kläder/;Hyra/;Resor/;Skor/;Möbler/;");
    EXPECT_EQ(v.t.grid.colCount(), 8);  // the data grid follows the new values
  });

  // Over existing values and on into new ones, with codes; an empty line makes no value.
  Values coded;
  auto both =
      coded.paste(1, 0, "E\tEnergi2\n\t\nK\tKläder\n", {ValueField::Code, ValueField::Value});
  EXPECT_EQ(both.newValues, 1);
  doUndoRedo(coded.t, *both.step,
             [&] { EXPECT_EQ(coded.values(), "Livsmedel/;Energi2/E;Kläder/K;"); });
}

TEST(ValuePaste, ALineWiderThanTheGridGoesDownOneColumnAndARaggedBlockIsRefused) {
  Values v;
  auto line = v.paste(0, 0, "A\tB\tC\n");
  ASSERT_TRUE(line.fits);
  EXPECT_TRUE(line.turned);
  doUndoRedo(v.t, *line.step, [&] { EXPECT_EQ(v.values(), "A/;B/;C/;"); });

  // The first line fits but a later one is wider than the grid, and the lines do not fit
  // across either: no part of it is pasted.
  Values ragged;
  const auto refused = ragged.paste(0, 0, "A\nB\tC\n");
  EXPECT_FALSE(refused.fits);
  EXPECT_FALSE(refused.step);
  EXPECT_EQ(ragged.values(), "Livsmedel/;Energi/;");
  // From the last of two columns only one is available.
  EXPECT_FALSE(ragged.paste(0, 1, "A\tB\nC\tD\n", {ValueField::Code, ValueField::Value}).fits);
  // An empty clipboard fits and changes nothing.
  const auto nothing = ragged.paste(0, 0, "");
  EXPECT_TRUE(nothing.fits);
  EXPECT_FALSE(nothing.step);
}
