// A text import as one step: done, undone and done again with the grid and the saved file
// compared.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/editor/import_command.h"
#include "support/step_checks.h"
#include "support/tables.h"
#include "support/temp_folder.h"

using namespace zendra;
using namespace zendra::test;

namespace {

// ansi_months.vq: 4 months down, 2 goods across, data rows 3 to 6, columns 2 and 3.
// keys_form.vq: key columns 1 and 2, data columns 3 and 4, rows 3 to 5 and the entry row 6.
TextImportSettings tabs() {
  TextImportSettings settings;
  settings.separator = "Tab";
  return settings;
}

using Log = std::vector<std::string>;

}  // namespace

TEST(ImportTextCommand, NormalFormImportIsOneStepAndTheKeysFormUndoRemovesTheAddedRows) {
  Loaded t("ansi_months.vq");
  t.doc.GridHasData = false;
  ImportTextCommand step(t.doc, t.grid, "dec 1999\tEnergi\t7\nfeb 2000\tLivsmedel\t..\n", tabs());
  doUndoRedo(t, step, [&] {
    EXPECT_EQ(gridRows(t.grid, 4, 6, true),
              "dec 1999|#101|#7\njan 2000|#102|#202\nfeb 2000|..|#203\n");
    EXPECT_TRUE(t.doc.GridHasData);
  });
  EXPECT_FALSE(step.changesNothing());

  Loaded k("keys_form.vq");
  // A row continued after the existing last row, then a new row; a refused record.
  ImportTextCommand keys(k.doc, k.grid,
                         "01\t20-64\tkvinnor\t9\n02\t0-19\tmän\t4\n03\t0-19\tmän\t1\n", tabs());
  doUndoRedo(k, keys,
             [&] { EXPECT_EQ(gridRows(k.grid, 5, -1), "01|20-64|3|9\n02|0-19|4|\n|||\n"); });
}

TEST(ImportTextCommand, EveryLineRefusedChangesNothing) {
  // An unknown code, and a keys-form record refused at its value after its keys were
  // written into the entry row. The history lets go of such a step without undoing it,
  // so it must not even mark the grid as holding data.
  for (const auto& [file, text] : {std::pair{"ansi_months.vq", "x\ty\t1\n"},
                                   std::pair{"keys_form.vq", "01\t0-19\tmän\tabc\n"}}) {
    SCOPED_TRACE(file);
    Loaded t(file);
    t.doc.GridHasData = false;
    const std::string before = tableState(t, false);
    ImportTextCommand step(t.doc, t.grid, text, tabs());
    EXPECT_FALSE(step.changesNothing());  // not known before it is done
    step.redo();
    EXPECT_TRUE(step.changesNothing());
    EXPECT_EQ(tableState(t, false), before);
  }
}

TEST(ImportTextCommand, AFileIsReadOnceAndUndoNeedsItNoMore) {
  Loaded t("ansi_months.vq");
  TempFolder dir;
  const auto path = dir.write("in.txt", "dec 1999\tEnergi\t7\r\nfeb 2000\tLivsmedel\t8");
  ImportTextCommand step(t.doc, t.grid, TextSource::ofFile(path.string()), tabs());
  step.redo();
  std::filesystem::remove(path);
  EXPECT_EQ(step.result().log, Log{"2 records Processed"});
  step.undo();
  step.redo();
  EXPECT_EQ(gridRows(t.grid, 6, 6, true), "feb 2000|#8|#203\n");
  // Too large to keep: done without undo.
  SnapshotLimit limit(40);
  ImportTextCommand large(t.doc, t.grid, "nov 1999\tEnergi\t1\njan 2000\tEnergi\t2\n", tabs());
  large.redo();
  EXPECT_FALSE(large.undoable());

  ImportTextCommand missing(t.doc, t.grid, TextSource::ofFile(path.string()), tabs());
  missing.redo();
  EXPECT_TRUE(missing.result().aborted);
  EXPECT_TRUE(missing.changesNothing());
}
