// "Load data from .txt-file (csv)": the chooser, dlgCSVLoad's guesses, and the import as
// one step of the editor window's history.
#include "gui/import/dlg_csv_load.h"
#include "support/dialog_steps.h"

using namespace zendra;
using namespace zendra::test;

TEST(LoadFromCsv, TheDialogHandsItsSettingsToTheLoadAndAChosenFileImportsAsOneStep) {
  VexaMess doc;
  addVariable(doc, "region", 0, {"North", "South"});
  addVariable(doc, "year", 1, {"2020", "2021"});
  dlgCSVLoad dialog("North\t2020\t1\nSouth\t2021\t2\n", doc, ",");
  auto* separator = child<QComboBox>(dialog, "cmbSeperator");
  EXPECT_EQ(separator->currentText(), "Tab");
  EXPECT_EQ(child<QLineEdit>(dialog, "txtDecimalPoint")->text(), ",");
  dialog.show();

  separator->setCurrentText("tab");
  child<QLineEdit>(dialog, "txtDecimalPoint")->setText(".");
  child<QCheckBox>(dialog, "chkSkipFirst")->setChecked(true);
  TextImportSettings got;
  dialog.load = [&](const TextImportSettings& s) {
    got = s;
    EXPECT_FALSE(child(dialog, "cmdClose")->isEnabled());
    TextImportResult result;
    result.log = {"x", "Value not numeric", "1 records Processed"};
    return result;
  };
  press(dialog, "OKButton");
  EXPECT_EQ(got.separator + got.decimalPoint + got.localeDecimal, "\t.,");
  EXPECT_TRUE(got.skipFirst);
  EXPECT_TRUE(child(dialog, "Frame2")->isVisible() && child(dialog, "cmdClose")->isEnabled());
  press(dialog, "cmdClose");
  EXPECT_TRUE(dialog.loaded());

  EditorWindowFrame f;
  // Region down (data rows 3 and 4, labels in column 1), two years across (columns 2, 3).
  frmCreateVq* editor = f.openText(
      "MATRIX=\"CP01\";CONTENTS=\"People\";DECIMALS=0;STUB=\"region\";HEADING=\"year\";"
      "VALUES(\"region\")=\"North\",\"South\";VALUES(\"year\")=\"2020\",\"2021\";DATA=1 2 3 4;");
  ASSERT_NE(editor, nullptr);
  editor->tabs()->setCurrentIndex(frmCreateVq::Data);
  QAction* load = editor->findChild<QAction*>("mnuLoadFromCSV");

  const std::string data = f.home.write("in/data.csv", "South;2021;40\nSouth;1999;5\n").string();
  f.ctx.registry.writeCsvLoad(f.home.file("start"));
  f.files.script(QString::fromStdString(data));
  QStringList log;
  f.answer = [&](QDialog& dialog) {
    press(dialog, "OKButton");
    log = items(child<QListWidget>(dialog, "lstLog"));
    press(dialog, "cmdClose");
  };
  load->trigger();
  EXPECT_EQ(f.files.calls.at(0).request.folder.toStdString(), f.home.file("start"));
  EXPECT_EQ(f.ctx.registry.readCsvLoad(), f.home.file("in"));
  EXPECT_EQ(log, (QStringList{"Line 2: Code: 1999 in year is  invalid", "2 records Processed"}));

  CellGrid& grid = editor->dataGrid();
  EXPECT_EQ(grid.text(4, 3), "40");
  EXPECT_EQ(editor->undoStack()->count(), 1);
  editor->undoStack()->undo();
  EXPECT_EQ(grid.text(4, 3), "4");

  // A file that cannot be read is said so; nothing is imported.
  f.answer = nullptr;
  f.files.script(QString::fromStdString(f.home.file("in")));
  load->trigger();
  EXPECT_EQ(f.prompt.asked.size(), 1u);
  EXPECT_EQ(editor->undoStack()->count(), 1);
}
