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
  // A text cell in a grid marked as holding no data yet.
  t.grid.setText(3, 2, "..");
  t.doc.GridHasData = false;
  EditCellCommand number(t.doc, t.grid, 3, 2, "12.5");
  doUndoRedo(t, number, [&] {
    EXPECT_EQ(gridRows(t.grid, 3, 3, true), "nov 1999|#13|#200\n");
    EXPECT_TRUE(t.doc.GridHasData);
  });
  EditCellCommand text(t.doc, t.grid, 4, 3, "n/a");
  doUndoRedo(t, text, [&] { EXPECT_EQ(gridRows(t.grid, 4, 4, true), "dec 1999|#101|n/a\n"); });
  // A cell edit keeps the cell, never a copy of the grid.
  EXPECT_LT(text.memoryBytes(), 1024u);

  // Every variable removed: the grid keeps its size but is no layout of the table, and a
  // DATA section written from it would not read back.
  RemoveVariableCommand(t.doc, t.grid, 0, t.doc.colStub.Item(1)->name, false).redo();
  RemoveVariableCommand(t.doc, t.grid, 1, t.doc.colHeading.Item(1)->name, false).redo();
  t.doc.GridHasData = false;
  EditCellCommand(t.doc, t.grid, 3, 2, "1").redo();
  EXPECT_FALSE(t.doc.GridHasData);
}

TEST(EditCellCommand, KeysFormEntryRowAddedByAnEditGoesWithItsUndo) {
  Loaded t(kKeys);
  EditCellCommand entry(t.doc, t.grid, 6, 1, "02");
  doUndoRedo(t, entry, [&] { EXPECT_EQ(gridRows(t.grid, 6), "02|||\n|||\n"); });
  // A key row above the entry row adds nothing.
  EXPECT_FALSE(EditCellCommand(t.doc, t.grid, 4, 2, "0-19").grewRow());
}

TEST(ClearCellsCommand, ClearsTheBlockButLockedLabelsAndUndoesIt) {
  // Labels and data, whole rows (-1 bounds) and a block past the grid's end, taken
  // within the grid; in the keys form the key cells are data.
  const struct {
    const char* file;
    Block asked, taken;
    std::int32_t row1, row2;
    const char* rows;
  } cases[] = {
      {kNormal, {1, 1, 4, 3}, {1, 1, 4, 3}, 2, 4, "|Livsmedel|Energi\nnov 1999||\ndec 1999||\n"},
      {kNormal, {5, -1, 6, -1}, {5, 1, 6, 3}, 5, 6, "jan 2000||\nfeb 2000||\n"},
      {kNormal, {6, 3, 99, 99}, {6, 3, 6, 3}, 6, 6, "feb 2000|103|\n"},
      {kKeys, {4, 1, 5, 2}, {4, 1, 5, 2}, 4, 5, "||7|0\n||3|..\n"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rows);
    Loaded t(c.file);
    ClearCellsCommand step(t.doc, t.grid, c.asked);
    EXPECT_EQ(step.block(), c.taken);
    doUndoRedo(t, step, [&] { EXPECT_EQ(gridRows(t.grid, c.row1, c.row2), c.rows); });
  }
  // A block whose copy would pass the limit is cleared all the same, without undo.
  Loaded u(kNormal);
  SnapshotLimit small(BlockSnapshot::mostBytes({3, 2, 6, 3}) - 1);
  ClearCellsCommand data(u.doc, u.grid, {3, 2, 6, 3});
  data.redo();
  EXPECT_FALSE(data.undoable());
  EXPECT_TRUE(u.grid.isEmpty(6, 3));
}

TEST(ClearAllDataCommand, UndoRestoresCellsAndLayoutAndOverTheSnapshotLimitThereIsNoUndo) {
  for (const char* file : {kNormal, kKeys}) {
    SCOPED_TRACE(file);
    Loaded t(file);
    t.grid.setColours(3, 3, kRed, kYellow);
    // Decimals changed since the grid was laid out: the layout takes the new ones.
    t.doc.Decimaler = 2;
    t.doc.setSaveDecimals();
    ClearAllDataCommand clear(t.doc, t.grid, false);
    doUndoRedo(t, clear, [&] {
      EXPECT_EQ(t.doc.GridDecimals, 2);
      EXPECT_TRUE(t.grid.isEmpty(3, 3));
      EXPECT_EQ(t.doc.NumRows, t.doc.FileWithKeys ? 1 : 4);  // the keys form keeps its entry row
    });
    // A grid exactly as large as the limit is kept; one byte over, the step has no undo.
    clear.undo();
    for (const std::size_t over : {0u, 1u}) {
      const SnapshotLimit limit(gridBytes(t.grid) - over);
      ClearAllDataCommand bounded(t.doc, t.grid, false);
      bounded.redo();
      EXPECT_TRUE(t.grid.isEmpty(3, 3));
      ASSERT_EQ(bounded.undoable(), over == 0);
      if (over == 0) bounded.undo();
    }
  }
}

TEST(DeleteRowCommand, RowComesBackInBothFormsAndTheKeysEntryRowStays) {
  Loaded t(kKeys);
  DeleteRowCommand row(t.doc, t.grid, 4);
  doUndoRedo(t, row, [&] { EXPECT_EQ(gridRows(t.grid, 3), "01|0-19|0|5\n01|20-64|3|..\n|||\n"); });
  // Neither the entry row nor a label row is a row of the table.
  EXPECT_FALSE(canDeleteRow(t.doc, t.grid, 6) || canDeleteRow(t.doc, t.grid, 2));
  const std::string before = gridAndFile(t);
  DeleteRowCommand(t.doc, t.grid, 6).redo();
  EXPECT_EQ(gridAndFile(t), before);

  // The normal form's row comes back with its label.
  Loaded n(kNormal);
  n.grid.setColours(4, 3, kRed, kYellow);
  n.doc.Decimaler = 1;
  n.doc.setSaveDecimals();
  SetCellDecimals(n.doc, n.grid);
  n.grid.clearCell(4, 2);  // an empty data cell keeps its decimals too
  DeleteRowCommand normal(n.doc, n.grid, 4);
  doUndoRedo(n, normal, [&] {
    EXPECT_EQ(gridRows(n.grid, 3, 4), "nov 1999|100.0|200.0\njan 2000|102.0|202.0\n");
  });
}

TEST(BlockSnapshot, RunsOfLikeCellsRestoreExactlyAndAnEmptyRowCostsLittle) {
  CellGrid grid(3, 200);
  grid.setBlockDecimals({2, 1, 3, 200}, 2);
  // Row 2: a run broken by a text, a colour, a locked cell and a number that shows like
  // its neighbours but is not the same.
  grid.setText(2, 5, "..");
  grid.setColours(2, 6, kRed, std::nullopt);
  grid.setNumber(2, 7, 1.5, 2);
  grid.setNumber(2, 8, 1.5000000001, 2);
  grid.setLocked(2, 10, true);
  const CellGrid before = grid;
  const BlockSnapshot kept(grid, {1, 1, 3, 200});
  grid.clearAll();
  grid.setBlockDecimals(grid.all(), 0);
  kept.restore(grid);
  for (std::int32_t c = 1; c <= 200; ++c) {
    ASSERT_EQ(readCell(grid, 2, c), readCell(before, 2, c)) << c;
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
  EXPECT_LE(machine, kHistoryBytes);
  setSnapshotLimitBytes(1234);
  setSnapshotLimitBytes(std::nullopt);
  EXPECT_EQ(snapshotLimitBytes(), machine);
}
