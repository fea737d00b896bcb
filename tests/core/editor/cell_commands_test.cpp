// The cell commands: each step done, undone and done again on real tables, with the
// grid and the saved file compared byte for byte.
#include <gtest/gtest.h>

#include "core/editor/cell_commands.h"
#include "core/editor/history.h"
#include "core/editor/variable_commands.h"
#include "core/grid/data_methods.h"
#include "support/step_checks.h"
#include "support/tables.h"

using namespace zendra;
using namespace zendra::test;

namespace {

// ansi_months.vq: 4 months down, 2 goods across, data area from row 3, column 2.
// keys_form.vq: keys region and age, 2 sexes across, rows 3 to 5 and the entry row 6.
constexpr const char* kNormal = "ansi_months.vq";
constexpr const char* kKeys = "keys_form.vq";

}  // namespace

TEST(EditCellCommand, NumberTypedIntoATextCellAndTextIntoANumberCell) {
  Loaded t(kNormal);
  // A text cell that a check painted as faulty, in a grid marked as holding no data yet.
  t.grid.setText(3, 2, "..");
  t.grid.setColours(3, 2, kRed, kYellow);
  t.doc.GridHasData = false;
  EditCellCommand number(t.doc, t.grid, 3, 2, "12.5");
  doUndoRedo(t, number, [&] {
    EXPECT_EQ(gridRows(t.grid, 3, 3, true), "nov 1999|#13|#200\n");
    EXPECT_EQ(t.grid.number(3, 2), 12.5);
    EXPECT_TRUE(t.doc.GridHasData);
  });
  EditCellCommand text(t.doc, t.grid, 4, 3, "n/a");
  doUndoRedo(t, text, [&] {
    EXPECT_EQ(gridRows(t.grid, 4, 4, true), "dec 1999|#101|n/a\n");
    EXPECT_EQ(t.grid.alignment(4, 3), HAlign::Right);
  });
  EXPECT_FALSE(number.mergeWith(text));
  // A cell edit keeps the cell, never a copy of the grid.
  EXPECT_LT(text.memoryBytes(), 1024u);
}

TEST(EditCellCommand, AGridNotLaidOutTakesNoData) {
  // Every variable removed: the grid keeps its size but is no layout of the table, and a
  // DATA section written from it would not read back.
  Loaded t(kNormal);
  RemoveVariableCommand(t.doc, t.grid, 0, t.doc.colStub.Item(1)->name, false).redo();
  RemoveVariableCommand(t.doc, t.grid, 1, t.doc.colHeading.Item(1)->name, false).redo();
  ASSERT_FALSE(t.doc.GridCreated);
  EditCellCommand(t.doc, t.grid, 3, 2, "1").redo();
  EXPECT_FALSE(t.doc.GridHasData);
}

TEST(EditCellCommand, KeysFormEntryRowAddedByAnEditGoesWithItsUndo) {
  Loaded t(kKeys);
  ASSERT_EQ(t.grid.rowCount(), 6);
  EditCellCommand entry(t.doc, t.grid, 6, 1, "02");
  doUndoRedo(t, entry, [&] {
    EXPECT_TRUE(entry.grewRow());
    EXPECT_EQ(t.doc.NumRows, 5);
    EXPECT_EQ(gridRows(t.grid, 6), "02|||\n|||\n");
  });
  // A key row above the entry row adds nothing.
  EditCellCommand key(t.doc, t.grid, 4, 2, "0-19");
  doUndoRedo(t, key, [&] { EXPECT_FALSE(key.grewRow()); });
}

TEST(ClearCellsCommand, ClearsTheBlockButLockedLabelsAndUndoesIt) {
  Loaded t(kNormal);
  t.grid.setColours(4, 2, kRed, kYellow);
  ClearCellsCommand labelsAndData(t.doc, t.grid, {1, 1, 4, 3});
  doUndoRedo(t, labelsAndData, [&] {
    EXPECT_EQ(gridRows(t.grid, 1, 5),
              "||\n|Livsmedel|Energi\nnov 1999||\ndec 1999||\njan 2000|102|202\n");
    EXPECT_EQ(colours(t.grid, 4, 2), "-/-");
  });
  // Whole rows (-1 bounds) and a block past the grid's end are taken within the grid.
  const struct {
    Block asked, taken;
    const char* rows;  // rows 5 and 6 after the step
  } cases[] = {{{5, -1, 6, -1}, {5, 1, 6, 3}, "jan 2000||\nfeb 2000||\n"},
               {{6, 3, 99, 99}, {6, 3, 6, 3}, "jan 2000||\nfeb 2000||\n"}};
  for (const auto& c : cases) {
    ClearCellsCommand step(t.doc, t.grid, c.asked);
    EXPECT_EQ(step.block(), c.taken);
    doUndoRedo(t, step, [&] { EXPECT_EQ(gridRows(t.grid, 5), c.rows); });
  }
  Loaded k(kKeys);
  ClearCellsCommand keys(k.doc, k.grid, {4, 1, 5, 2});
  doUndoRedo(k, keys, [&] { EXPECT_EQ(gridRows(k.grid, 4, 5), "||7|0\n||3|..\n"); });
}

TEST(ClearAllDataCommand, UndoRestoresCellsColoursAndLayout) {
  for (const char* file : {kNormal, kKeys}) {
    SCOPED_TRACE(file);
    Loaded t(file);
    t.grid.setColours(3, 3, kRed, kYellow);
    // Decimals changed since the grid was laid out: the layout takes the new ones.
    t.doc.Decimaler = 2;
    t.doc.setSaveDecimals();
    ClearAllDataCommand clear(t.doc, t.grid, false);
    doUndoRedo(t, clear, [&] {
      EXPECT_TRUE(clear.undoable());
      EXPECT_FALSE(t.doc.GridHasData);
      EXPECT_EQ(t.doc.GridDecimals, 2);
      EXPECT_TRUE(t.grid.isEmpty(3, 3));
      EXPECT_EQ(colours(t.grid, 3, 3), "-/-");
      EXPECT_EQ(t.doc.NumRows, t.doc.FileWithKeys ? 1 : 4);  // the keys form keeps its entry row
    });
    // It keeps a whole grid: at least its cells.
    EXPECT_GE(clear.memoryBytes(),
              static_cast<std::size_t>(t.grid.rowCount() * t.grid.colCount() * 16));
  }
}

TEST(WholeGridSteps, OverTheSnapshotLimitTheyAreDoneButNotUndoable) {
  Loaded t(kNormal);
  const std::size_t bytes = gridBytes(t.grid);
  {
    SnapshotLimit limit(bytes);
    ClearAllDataCommand fits(t.doc, t.grid, false);
    fits.redo();
    EXPECT_TRUE(fits.undoable());
    fits.undo();
  }
  SnapshotLimit limit(bytes - 1);
  ClearAllDataCommand tooLarge(t.doc, t.grid, false);
  tooLarge.redo();
  EXPECT_FALSE(tooLarge.undoable());
  EXPECT_FALSE(t.doc.GridHasData);
  EXPECT_TRUE(t.grid.isEmpty(3, 2));
  EXPECT_LT(tooLarge.memoryBytes(), bytes);

  // A block whose copy would pass the limit is cleared all the same.
  Loaded u(kNormal);
  SnapshotLimit small(BlockSnapshot::mostBytes({3, 2, 6, 3}) - 1);
  ClearCellsCommand data(u.doc, u.grid, {3, 2, 6, 3});
  data.redo();
  EXPECT_FALSE(data.undoable());
  EXPECT_TRUE(u.grid.isEmpty(6, 3));
}

TEST(DeleteRowCommand, KeysFormRowComesBackAndTheEntryRowStays) {
  Loaded t(kKeys);
  DeleteRowCommand row(t.doc, t.grid, 4);
  doUndoRedo(t, row, [&] {
    EXPECT_EQ(t.doc.NumRows, 3);
    EXPECT_EQ(gridRows(t.grid, 3), "01|0-19|0|5\n01|20-64|3|..\n|||\n");
  });
  row.undo();
  EXPECT_EQ(gridRows(t.grid, 4, 4), "02|65+|7|0\n");
  // Neither the entry row nor a label row is a row of the table.
  EXPECT_FALSE(canDeleteRow(t.doc, t.grid, 6));
  EXPECT_FALSE(canDeleteRow(t.doc, t.grid, 2));
  const std::string before = gridAndFile(t);
  DeleteRowCommand(t.doc, t.grid, 6).redo();
  EXPECT_EQ(gridAndFile(t), before);
}

TEST(DeleteRowCommand, NormalFormRowComesBackWithItsLabel) {
  Loaded t(kNormal);
  t.grid.setColours(4, 3, kRed, kYellow);
  t.doc.Decimaler = 1;
  t.doc.setSaveDecimals();
  SetCellDecimals(t.doc, t.grid);
  t.grid.clearCell(4, 2);  // an empty data cell keeps its decimals too
  DeleteRowCommand row(t.doc, t.grid, 4);
  doUndoRedo(t, row, [&] {
    EXPECT_EQ(gridRows(t.grid, 3),
              "nov 1999|100.0|200.0\njan 2000|102.0|202.0\nfeb 2000|103.0|203.0\n");
  });
}

TEST(BlockSnapshot, RunsOfLikeCellsRestoreExactlyAndAnEmptyRowCostsLittle) {
  CellGrid grid(3, 200);
  grid.setBlockAlignment(grid.all(), HAlign::Right);
  grid.setBlockDecimals({2, 1, 3, 200}, 2);
  // Row 2: a run broken by a text, a colour, a number, a locked cell and a number
  // that shows like its neighbours but is not the same.
  grid.setText(2, 5, "..");
  grid.setColours(2, 6, kRed, std::nullopt);
  grid.setNumber(2, 7, 1.5, 2);
  grid.setNumber(2, 8, 1.5, 2);
  grid.setNumber(2, 9, 1.5000000001, 2);
  grid.setLocked(2, 10, true);
  const CellGrid before = grid;
  const BlockSnapshot kept(grid, {1, 1, 3, 200});
  grid.clearAll();
  grid.setBlockDecimals(grid.all(), 0);
  grid.setBlockAlignment(grid.all(), HAlign::Left);
  kept.restore(grid);
  for (std::int32_t r = 1; r <= 3; ++r) {
    for (std::int32_t c = 1; c <= 200; ++c) {
      ASSERT_EQ(readCell(grid, r, c), readCell(before, r, c)) << r << "," << c;
    }
  }
  // An empty row of 200 cells is one run, not 200 copies.
  EXPECT_LT(BlockSnapshot(before, {3, 1, 3, 200}).memoryBytes(), 200u);
}

TEST(History, CommandsToDropKeepsTheNewestWithinTheLimitAndTheLimitFollowsTheMachine) {
  const struct {
    std::vector<std::size_t> bytes;
    std::size_t dropped;
  } cases[] = {
      {{}, 0},        {{40, 60}, 0}, {{40, 60, 1}, 1}, {{10, 10, 10, 90}, 2}, {{10, 10, 10, 91}, 3},
      {{10, 500}, 1}, {{500}, 0}};  // the newest always stays
  for (const auto& c : cases) EXPECT_EQ(commandsToDrop(c.bytes, 100), c.dropped) << c.bytes.size();
  const std::size_t machine = snapshotLimitBytes();
  EXPECT_GT(machine, 0u);
  EXPECT_LE(machine, kHistoryBytes);
  setSnapshotLimitBytes(1234);
  setSnapshotLimitBytes(std::nullopt);
  EXPECT_EQ(snapshotLimitBytes(), machine);
}
