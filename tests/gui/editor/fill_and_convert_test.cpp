// Edit/Fill empty cells and Edit/Convert to Keys format in the editor window: the check
// before the dialog, the questions before converting, one step each, and what the pages
// and menus show afterwards and after undo.
#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QUndoStack>

#include "core/format/completeness.h"
#include "gui/editor/data_grid_view.h"
#include "support/editor_window_frame.h"
#include "support/tables.h"

using namespace zendra;
using namespace zendra::test;

namespace {

std::string table(const std::string& data) {
  return "VEXA-VERSION=\"2000\";\r\nCHARSET=\"ansi\";\r\nMATRIX=\"T1\";\r\nCONTENTS=\"Count\";\r\n"
         "DECIMALS=0;\r\nSTUB=\"region\",\"age\";\r\nHEADING=\"sex\";\r\n"
         "VALUES(\"region\")=\"North\",\"South\";\r\nCODES(\"region\")=\"01\",\"02\";\r\n"
         "VALUES(\"age\")=\"young\",\"old\";\r\nVALUES(\"sex\")=\"men\",\"women\";\r\n"
         "DATA=\r\n" +
         data + ";\r\n";
}

const char* kMixed = "5 0\r\n0 0\r\n\"..\" \"-\"\r\n\"\" 7";

struct Frame : EditorWindowFrame {
  int dialogs = 0;
  frmCreateVq* editor = nullptr;

  // The table with these DATA lines, or a whole file of its own.
  explicit Frame(const std::string& data, bool whole = false) {
    editor = openText(whole ? data : table(data));
    editor->tabs()->setCurrentIndex(frmCreateVq::Data);
  }
  void trigger(const char* action) { editor->findChild<QAction*>(action)->trigger(); }
  CellGrid& grid() { return editor->dataGrid(); }
  bool visible(const char* name) { return editor->findChild<QWidget*>(name)->isVisibleTo(editor); }
  // Fills with the symbol option, "Fill empty cells" as the dialog starts.
  void fillWith(const char* option) {
    answer = [this, option](QDialog& dialog) {
      ++dialogs;
      dialog.findChild<QRadioButton*>(option)->click();
      dialog.findChild<QPushButton*>("cmdOk")->click();
    };
    trigger("mnuFillEmpty");
  }
};

}  // namespace

TEST(FillEmptyCells, AnUnfinishedTableIsToldWithoutTheDialog) {
  // A table without a laid-out grid: what it lacks (the Test page's text), instead of a
  // dialog whose OK did nothing.
  Frame f("MATRIX=\"T1\";\r\nSTUB=\"region\";\r\n", true);
  ASSERT_FALSE(f.editor->document().GridCreated);
  std::string lacks = Test_Complete(f.editor->document(), &f.editor->dataGrid());
  std::erase(lacks, '\r');
  f.fillWith("Option1_0");
  EXPECT_EQ(f.dialogs, 0);
  ASSERT_EQ(f.prompt.asked.size(), 1u);
  EXPECT_EQ(f.prompt.asked[0].text, lacks);
}

TEST(FillEmptyCells, ZeroFillsAPendingEditFirstAndUndoes) {
  Frame f("1 \"\"\r\n\"\" 4\r\n5 6\r\n7 8");
  // A number still being typed into an empty cell is stored before the check.
  f.grid().setCurrent(3, 4);
  f.editor->SprData()->refresh();
  f.editor->SprData()->openEditorOnCurrent();
  ASSERT_TRUE(f.editor->SprData()->isEditing());
  for (QLineEdit* box : f.editor->SprData()->findChildren<QLineEdit*>()) {
    if (box->isVisibleTo(f.editor->SprData())) box->setText("9");
  }
  f.fillWith("Option1_3");
  EXPECT_EQ(gridRows(f.grid(), 3, 4, true), "North|young|#1|#9\nNorth|old|#0|#4\n");
  EXPECT_EQ(f.editor->undoStack()->count(), 2);  // the typing, then the fill
  f.editor->undoStack()->undo();
  EXPECT_TRUE(f.grid().isEmpty(4, 3));
  EXPECT_EQ(f.grid().text(3, 4), "9");
}

TEST(ConvertToKeys, QuestionsThenOneStepThatUndoShowsBackAndASaveKeepsEveryConvertedRow) {
  Frame f(kMixed);
  // The form as the window shows it: keys form, steps and changed; the item Convert; the
  // heading's controls; the grid.
  const auto form = [&] {
    QAction* convert = f.editor->findChild<QAction*>("mnuConvertToKEys");
    std::string out = std::to_string(f.editor->document().FileWithKeys) +
                      std::to_string(f.editor->undoStack()->count()) +
                      std::to_string(f.editor->isChanged()) + " " +
                      std::to_string(convert->isVisible());
    f.editor->tabs()->setCurrentIndex(frmCreateVq::BasicStructure);
    out += std::to_string(f.visible("lstHeading")) + std::to_string(f.visible("cmdAddHead"));
    f.editor->tabs()->setCurrentIndex(frmCreateVq::Data);
    return out + "\n" + gridRows(f.grid(), 3);
  };
  const std::string before = form();
  // Cancel, and No to the question about the cells not kept, change nothing.
  f.prompt.script(Prompt::Answer::Cancel);
  f.trigger("mnuConvertToKEys");
  f.prompt.script(Prompt::Answer::Yes);
  f.prompt.script(Prompt::Answer::No);
  f.trigger("mnuConvertToKEys");
  EXPECT_EQ(form(), before);
  EXPECT_TRUE(
      f.asked("4 non-empty cells will not be kept in the keys form: only the rows that "
              "hold a number other than 0 are kept.\n\nConvert to Keys format?"));

  f.prompt.asked.clear();
  f.prompt.script(Prompt::Answer::No);
  f.prompt.script(Prompt::Answer::Yes);
  f.trigger("mnuConvertToKEys");
  EXPECT_EQ(f.prompt.asked.at(0).text, "Keep head dimensions");
  // One step; the heading controls hide while the keys-form table holds data.
  EXPECT_EQ(form(), "111 000\n01|young|men|5\n02|old|women|7\n|||\n");
  f.editor->undoStack()->undo();
  EXPECT_EQ(form(), "010" + before.substr(3));  // the step undone: as before, unchanged

  // Saved and read back, the converted table keeps every row (it lost the last before).
  f.editor->undoStack()->redo();
  frmCreateVq* back = f.open(f.saveAs(f.editor, "keys.vq"));
  ASSERT_TRUE(back);
  EXPECT_EQ(gridRows(back->dataGrid(), 3), "01|young|men|5\n02|old|women|7\n|||\n");
}
