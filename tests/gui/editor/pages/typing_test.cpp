// Typing in the boxes of the metadata pages as a user does: the undo keys reach the table's
// history, typing back to the start is no change, and nothing typed is altered on its way.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>

#include "support/editor_window_frame.h"

using namespace zendra;

TEST(TypingInABox, TheUndoKeysReachTheHistoryAndTypingBackToTheStartIsNoChange) {
  test::EditorWindowFrame f;
  f.window->show();
  frmCreateVq* editor = f.open("oem_full.vq");
  ASSERT_TRUE(editor);
  // Shortcuts reach the active window only (the load's progress window took that role).
  QApplication::setActiveWindow(f.window.get());
  ASSERT_TRUE(QTest::qWaitForWindowActive(f.window.get()));
  editor->tabs()->setCurrentIndex(frmCreateVq::BasicStructure);
  auto* matrix = editor->findChild<QLineEdit*>("txtMatrix");
  const std::string before = editor->document().Matrix;
  matrix->setFocus();
  matrix->end(false);

  QTest::keyClick(matrix, Qt::Key_X);
  EXPECT_TRUE(editor->isChanged());
  QTest::keyClick(matrix, Qt::Key_Backspace);
  EXPECT_FALSE(editor->isChanged());  // back where it began: no step is kept
  EXPECT_FALSE(f.window->undoAction()->isEnabled());

  QTest::keyClicks(matrix, "yz");
  EXPECT_EQ(editor->document().Matrix, before + "yz");
  QTest::keyClick(matrix, Qt::Key_Z, Qt::ControlModifier);  // the window's Undo
  EXPECT_EQ(editor->document().Matrix, before);
  EXPECT_EQ(matrix->text().toStdString(), before);
  QTest::keyClick(matrix, Qt::Key_Y, Qt::ControlModifier);  // and its Redo
  EXPECT_EQ(editor->document().Matrix, before + "yz");
  EXPECT_EQ(matrix->text().toStdString(), before + "yz");

  // In a box nothing was typed into, Ctrl+Z still undoes the table's last step.
  const std::string autoOpen = editor->document().AutoOpen;
  editor->findChild<QCheckBox*>("chkAutoOpen")->click();
  ASSERT_NE(editor->document().AutoOpen, autoOpen);
  auto* language = editor->findChild<QLineEdit*>("txtLanguage");
  language->setFocus();
  QTest::keyClick(language, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(editor->document().AutoOpen, autoOpen);
}

TEST(TypingInABox, AContactWithANonBreakingSpaceKeepsItWhenTypedOn) {
  test::EditorWindowFrame f;
  // Windows-1252: byte A0 is the non-breaking space.
  frmCreateVq* editor = f.openText(
      "CHARSET=\"ANSI\";MATRIX=\"M\";CONTACT=\"Bo\xA0"
      "Ek\";",
      "contact.vq");
  ASSERT_TRUE(editor);
  f.window->show();
  editor->tabs()->setCurrentIndex(frmCreateVq::Contents);
  auto* contact = editor->findChild<QTextEdit*>("txtContact");
  ASSERT_TRUE(contact && contact->isVisibleTo(editor));
  contact->setFocus();
  contact->moveCursor(QTextCursor::End);
  QTest::keyClick(contact, Qt::Key_X);
  EXPECT_EQ(editor->document().ContData->Contact,
            "Bo\xC2\xA0"
            "Ekx");
}
