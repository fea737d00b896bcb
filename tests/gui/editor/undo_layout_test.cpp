// The grid and its layout change only inside steps: showing the Data page between steps
// and undoing across it keeps every cell, and a change of the decimals reaches the cells
// as part of its own step.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QItemSelectionModel>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QTreeWidget>
#include <QUndoStack>
#include <string>

#include "support/editor_window_frame.h"
#include "support/list_actions.h"

using namespace zendra;

namespace {

std::string dataOf(const std::string& file) {
  const std::string bytes = test::TempFolder::read(file);
  const auto at = bytes.find("DATA=");
  return at == std::string::npos ? bytes : bytes.substr(at);
}

// Deletes every value of a variable on the Variables page, then removes the variable from
// the stub on the structure page: two steps.
void emptyAndRemove(frmCreateVq* editor, const char* variable) {
  const QString name = QString::fromUtf8(variable);
  editor->tabs()->setCurrentIndex(frmCreateVq::Variables);
  auto* tree = test::child<QTreeWidget>(*editor, "VarTree");
  tree->setCurrentItem(tree->findItems(name, Qt::MatchExactly | Qt::MatchRecursive).value(0));
  test::child<QTableView>(*editor, "sprValues")->selectAll();
  test::child<QPushButton>(*editor, "cmdVarDropIncl")->click();
  editor->tabs()->setCurrentIndex(frmCreateVq::BasicStructure);
  auto* stub = test::child<QListWidget>(*editor, "lstStub");
  stub->setCurrentItem(stub->findItems(name, Qt::MatchExactly).value(0),
                       QItemSelectionModel::ClearAndSelect);
  test::child<QPushButton>(*editor, "cmdRemoveStub")->click();
}

TEST(UndoLayout, ShowingTheDataPageBetweenStepsLosesNoCellOnUndo) {
  // Delete every value of a variable, remove the variable, show the Data page (which once
  // laid the grid out outside the history), undo both steps and save.
  test::EditorWindowFrame f;
  frmCreateVq* editor = f.open("keys_form.vq");
  ASSERT_TRUE(editor);
  // Saving the keys form sorts its rows as a step of its own.
  const std::string original = dataOf(f.saveAs(editor, "before.vq"));
  const int saved = editor->undoStack()->index();
  emptyAndRemove(editor, "\xC3\xA5lder");
  editor->tabs()->setCurrentIndex(frmCreateVq::Data);
  ASSERT_EQ(editor->undoStack()->index(), saved + 2);
  editor->undoStack()->setIndex(saved);
  EXPECT_EQ(dataOf(f.saveAs(editor, "after.vq")), original);
  test::EditorWindowFrame::close(editor);
}

TEST(UndoLayout, DecimalsReachTheCellsInTheirOwnStep) {
  test::EditorWindowFrame f;
  frmCreateVq* editor = f.openText(
      "MATRIX=\"D\";\r\nCONTENTS=\"c\";\r\nDECIMALS=2;\r\nSTUB=\"r\";\r\nHEADING=\"s\";\r\n"
      "VALUES(\"r\")=\"a\",\"b\";\r\nVALUES(\"s\")=\"x\";\r\nDATA=\r\n1.25\r\n4325.76;\r\n");
  ASSERT_TRUE(editor);
  // Never showing the Data page: the first save after the change already writes the
  // cells with the new decimals.
  editor->tabs()->setCurrentIndex(frmCreateVq::BasicStructure);
  test::chooseText(test::child<QComboBox>(*editor, "cmbDecimals"), "1");
  EXPECT_EQ(dataOf(f.saveAs(editor, "one.vq")), "DATA=\r\n1.3 \r\n4325.8 ;");
  editor->undoStack()->undo();
  EXPECT_EQ(dataOf(f.saveAs(editor, "three.vq")), "DATA=\r\n1.25 \r\n4325.76 ;");
  test::EditorWindowFrame::close(editor);
}

}  // namespace
