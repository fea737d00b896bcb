// "Load data from .txt-file (csv)": the chooser, dlgCSVLoad's guesses and captions, and the
// import as one step of the editor window's history.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QUndoStack>

#include "gui/import/dlg_csv_load.h"
#include "support/editor_window_frame.h"
#include "support/list_actions.h"
#include "support/tables.h"

using namespace zendra;

using zendra::test::child;
using zendra::test::items;

namespace {

// Region down (data rows 3 and 4, labels in column 1), two years across (columns 2 and 3).
constexpr const char* kTable =
    "CHARSET=\"ANSI\";\r\nMATRIX=\"CP01\";\r\nSUBJECT-AREA=\"Test\";\r\nSUBJECT-CODE=\"T\";\r\n"
    "CONTENTS=\"People\";\r\nUNITS=\"number\";\r\nDECIMALS=0;\r\nSTUB=\"region\";\r\n"
    "HEADING=\"year\";\r\nVALUES(\"region\")=\"North\",\"South\";\r\n"
    "VALUES(\"year\")=\"2020\",\"2021\";\r\nDATA=\r\n1 2\r\n3 4;\r\n";

}  // namespace

TEST(dlgCSVLoad, ShowsTheGuessesAndHandsTheSettingsToTheLoad) {
  VexaMess doc;
  test::addVariable(doc, "region", 0, {"North", "South"});
  test::addVariable(doc, "year", 1, {"2020", "2021"});
  dlgCSVLoad dialog("North\t2020\t1\nSouth\t2021\t2\n", doc, ",");
  EXPECT_EQ(dialog.windowTitle(), "Import data from textfile");
  EXPECT_EQ(child<QComboBox>(dialog, "cmbSeperator")->currentText(), "Tab");
  EXPECT_EQ(child<QComboBox>(dialog, "cmbSeperator")->count(), 3);
  EXPECT_EQ(child<QLineEdit>(dialog, "txtTextDelim")->text(), "\"");
  EXPECT_EQ(child<QLineEdit>(dialog, "txtDecimalPoint")->text(), ",");
  EXPECT_EQ(items(child<QListWidget>(dialog, "lstSample")),
            (QStringList{"North\t2020\t1", "South\t2021\t2"}));
  EXPECT_FALSE(child<QCheckBox>(dialog, "chkMultipleValues")->isChecked());
  for (auto [name, text] : {std::pair{"lblSeperator", "Field separator"},
                            {"lblTextDelim", "Text-delimiter"},
                            {"lblDecimalPoint", "Decimal point"},
                            {"lblSample", "Sample:"}}) {
    EXPECT_EQ(child<QLabel>(dialog, name)->text(), text);
  }
  for (auto [name, text] : {std::pair{"chkSkipFirst", "Skip first line"},
                            {"chkMultipleValues", "Each row has multiple values"},
                            {"chkFillMissing", "Fill missing cells with 0"}}) {
    EXPECT_EQ(child<QCheckBox>(dialog, name)->text(), text);
  }
  EXPECT_EQ(child<QPushButton>(dialog, "OKButton")->text(), "OK");
  EXPECT_EQ(child<QPushButton>(dialog, "CancelButton")->text(), "Cancel");
  EXPECT_EQ(child<QPushButton>(dialog, "cmdClose")->text(), "OK");
  dialog.show();
  EXPECT_FALSE(child<QFrame>(dialog, "Frame2")->isVisible());

  child<QComboBox>(dialog, "cmbSeperator")->setCurrentText("tab");
  child<QLineEdit>(dialog, "txtDecimalPoint")->setText(".");
  child<QCheckBox>(dialog, "chkSkipFirst")->setChecked(true);
  TextImportSettings got;
  dialog.load = [&](const TextImportSettings& s) {
    got = s;
    EXPECT_FALSE(child<QPushButton>(dialog, "cmdClose")->isEnabled());
    TextImportResult result;
    result.log = {"x", "Value not numeric", "1 records Processed"};
    return result;
  };
  child<QPushButton>(dialog, "OKButton")->click();
  EXPECT_EQ(got.separator, "\t");
  EXPECT_EQ(got.decimalPoint, ".");
  EXPECT_EQ(got.localeDecimal, ",");
  EXPECT_TRUE(got.skipFirst);
  EXPECT_TRUE(child<QFrame>(dialog, "Frame2")->isVisible());
  EXPECT_FALSE(child<QFrame>(dialog, "Frame1")->isVisible());
  EXPECT_TRUE(child<QPushButton>(dialog, "cmdClose")->isEnabled());
  EXPECT_EQ(items(child<QListWidget>(dialog, "lstLog")),
            (QStringList{"x", "Value not numeric", "1 records Processed"}));
  child<QPushButton>(dialog, "cmdClose")->click();
  EXPECT_TRUE(dialog.loaded());
}

TEST(LoadFromCsv, ChosenFileImportsAsOneStepAndTheFolderIsRemembered) {
  test::EditorWindowFrame f;
  frmCreateVq* editor = f.openText(kTable);
  ASSERT_NE(editor, nullptr);
  editor->tabs()->setCurrentIndex(frmCreateVq::Data);
  QAction* load = editor->findChild<QAction*>("mnuLoadFromCSV");
  ASSERT_TRUE(load && load->isEnabled());

  const std::string data = f.home.write("in/data.csv", "South;2021;40\nSouth;1999;5\n").string();
  f.ctx.registry.writeCsvLoad(f.home.file("start"));
  f.files.script(QString::fromStdString(data));
  QStringList log;
  f.answer = [&](QDialog& dialog) {
    ASSERT_EQ(dialog.objectName(), "dlgCSVLoad");
    child<QPushButton>(dialog, "OKButton")->click();
    log = items(child<QListWidget>(dialog, "lstLog"));
    child<QPushButton>(dialog, "cmdClose")->click();
  };
  load->trigger();
  const auto& request = f.files.calls.at(0).request;
  EXPECT_EQ(request.title, "Select text-file");
  EXPECT_EQ(request.filter, qtFilter("Text-files|*.txt;*.csv|All-files|*.*"));
  EXPECT_TRUE(request.mustExist);
  EXPECT_EQ(request.folder.toStdString(), f.home.file("start"));
  EXPECT_EQ(f.ctx.registry.readCsvLoad(), f.home.file("in"));
  EXPECT_EQ(log, (QStringList{"Line 2: Code: 1999 in year is  invalid", "2 records Processed"}));

  CellGrid& grid = editor->dataGrid();
  EXPECT_EQ(grid.text(4, 3), "40");
  EXPECT_EQ(editor->undoStack()->count(), 1);
  EXPECT_TRUE(editor->isChanged());
  editor->undoStack()->undo();
  EXPECT_EQ(grid.text(4, 3), "4");
  editor->undoStack()->redo();
  EXPECT_EQ(grid.text(4, 3), "40");

  // A file that cannot be read is said so; nothing is imported.
  f.answer = nullptr;
  f.files.script(QString::fromStdString(f.home.file("in")));
  load->trigger();
  EXPECT_EQ(f.prompt.asked.size(), 1u);
  EXPECT_EQ(editor->undoStack()->count(), 1);
}
