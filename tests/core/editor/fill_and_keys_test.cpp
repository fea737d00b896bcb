// Filling the wanting cells and converting a table to the keys form: each step on a real
// table, undone and done again with the grid and the saved file compared byte for byte.
#include <gtest/gtest.h>

#include <string>

#include "core/editor/fill_commands.h"
#include "core/editor/keys_conversion.h"
#include "support/step_checks.h"
#include "support/tables.h"

using namespace zendra;
using namespace zendra::test;

namespace {

// region (codes 01, 02) and age down, sex across: rows 3 to 6, columns 3 and 4.
const std::string kHead =
    "VEXA-VERSION=\"2000\";\r\nCHARSET=\"ansi\";\r\nMATRIX=\"T1\";\r\nCONTENTS=\"Count\";\r\n"
    "DECIMALS=0;\r\nSTUB=\"region\",\"age\";\r\nHEADING=\"sex\";\r\n"
    "VALUES(\"region\")=\"North\",\"South\";\r\nCODES(\"region\")=\"01\",\"02\";\r\n"
    "VALUES(\"age\")=\"young\",\"old\";\r\nVALUES(\"sex\")=\"men\",\"women\";\r\n";

Loaded table(const std::string& data) {
  return Loaded(Loaded::Text{kHead + "DATA=\r\n" + data + ";\r\n"});
}

// Kept: North young (5, 0) and South old (empty, 7). Dropped: North old (0, 0) and
// South young ("..", "-").
const char* kMixed = "5 0\r\n0 0\r\n\"..\" \"-\"\r\n\"\" 7";

}  // namespace

TEST(FillEmptyCommand, SymbolsOnlyWhereTheTicksSayAndNeverOverNumbers) {
  const struct {
    bool empty, invalid;
    const char* symbol;
    const char* rows;  // North young, North old, South young, South old
  } cases[] = {
      {true, false, "..", "||#1|..\n||abc|..\n||12|..\n||..|..\n"},
      {false, true, "-", "||#1|-\n||-|-\n||12|-\n||..|-\n"},
      {true, true, "0", "||#1|#0\n||#0|#0\n||12|#0\n||..|#0\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.symbol);
    // Row by row: a number, an empty cell, a wrong text, "..", a numeric text and a blank text.
    Loaded t = table("1 \"\"\r\n\"abc\" \"\"\r\n\"12\" \"  \"\r\n\"..\" \"\"");
    t.grid.setText(5, 3, "12");  // a number that stayed text
    // Labels are not data: blank them so the rows show only the cells.
    for (std::int32_t r = 3; r <= 6; ++r) t.grid.setText(r, 1, ""), t.grid.setText(r, 2, "");
    t.grid.setColours(4, 3, kRed, kYellow);  // painted as faulty by a check
    FillEmptyCommand fill(t.doc, t.grid, c.empty, c.invalid, c.symbol);
    doUndoRedo(t, fill, [&] {
      EXPECT_EQ(gridRows(t.grid, 3, -1, true), c.rows);
      EXPECT_EQ(colours(t.grid, 4, 3), "white/black");
    });
  }
}

TEST(FillEmptyCommand, KeysFormEntryRowStaysEmptyNothingToFillIsNoStepTooLargeIsNoUndo) {
  Loaded t("keys_form.vq");
  t.grid.setText(5, 4, "");  // a missing cell in the last keys row
  FillEmptyCommand fill(t.doc, t.grid, true, false, ".");
  doUndoRedo(t, fill, [&] { EXPECT_EQ(gridRows(t.grid, 5), "01|20-64|3|.\n|||\n"); });

  Loaded full = table("1 2\r\n3 4\r\n5 6\r\n7 \"..\"");
  FillEmptyCommand nothing(full.doc, full.grid, true, true, ".");
  nothing.redo();
  EXPECT_TRUE(nothing.changesNothing());

  // Over the snapshot limit the fill and the conversion are done without undo.
  Loaded m = table(kMixed);
  const SnapshotLimit limit(16);
  FillEmptyCommand large(m.doc, m.grid, true, false, "..");
  large.redo();
  EXPECT_FALSE(large.undoable());
  EXPECT_EQ(m.cell(3, 0), "..");
  ConvertToKeysCommand convert(m.doc, m.grid, false, false);
  convert.redo();
  EXPECT_FALSE(convert.undoable());
  EXPECT_EQ(m.grid.rowCount(), 5);
}

TEST(ConvertToKeysCommand, KeepingTheHeadingOrNotAndTheFileReadsBackAsWritten) {
  // Keeping the heading keeps rows with a number other than zero; with every variable a
  // key there is one row per number, in cell order. The entry row is left out of the file.
  const struct {
    bool keepHeading;
    int notKept;
    const char *rows, *data;
  } cases[] = {{true, 4, "region|age|men|women\n01|young|#5|#0\n02|old||#7\n|||\n",
                "DATA=\r\n\"01\",\"young\",5,0\r\n\"02\",\"old\",\"\",7;"},
               {false, 5, "region|age|sex|Cell Value\n01|young|men|#5\n02|old|women|#7\n|||\n",
                "DATA=\r\n\"01\",\"young\",\"men\",5\r\n\"02\",\"old\",\"women\",7;"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keepHeading);
    Loaded t = table(kMixed);
    EXPECT_EQ(CellsNotKeptByKeysConversion(t.doc, t.grid, c.keepHeading), c.notKept);
    ConvertToKeysCommand convert(t.doc, t.grid, c.keepHeading, false);
    doUndoRedo(t, convert, [&] {
      EXPECT_EQ(gridRows(t.grid, 2, -1, true), c.rows);
      EXPECT_FALSE(t.grid.locked(4, 1));
      const std::string file = writtenFile(t);
      EXPECT_EQ(file.substr(file.find("DATA=")), c.data);
      EXPECT_NE(file.find("KEYS(\"region\")=CODES;\r\nKEYS(\"age\")=VALUES;"), std::string::npos);
      Loaded back(Loaded::Text{file});
      EXPECT_EQ(writtenFile(back), file);
    });
  }
}

TEST(ConvertToKeysCommand, TableWithoutHeadingGainsItsHeaderRow) {
  Loaded t(Loaded::Text{
      "VEXA-VERSION=\"2000\";\r\nMATRIX=\"T2\";\r\nCONTENTS=\"Count\";\r\nDECIMALS=0;\r\n"
      "STUB=\"age\";\r\nVALUES(\"age\")=\"young\",\"old\",\"all\";\r\nDATA=\r\n0\r\n4\r\n4;\r\n"});
  ASSERT_EQ(t.doc.DataRow1, 2);
  ConvertToKeysCommand convert(t.doc, t.grid, true, false);
  doUndoRedo(t, convert,
             [&] { EXPECT_EQ(gridRows(t.grid, 2), "age|Cell Value\nold|4\nall|4\n|\n"); });
}
