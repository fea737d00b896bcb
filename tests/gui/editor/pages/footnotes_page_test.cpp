// The "Foot&notes" page: source, database, copyright and the table notes, edited through the
// controls one undoable step at a time.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>
#include <QUndoStack>
#include <functional>
#include <string>

#include "support/editor_window_frame.h"
#include "support/loaded_table.h"

using namespace zendra;
using namespace zendra::test;

namespace {

constexpr const char* kTable =
    "STUB=\"r\";HEADING=\"k\";VALUES(\"r\")=\"a\";VALUES(\"k\")=\"b\";UNITS=\"st\";"
    "SOURCE=\"Byran\";DATABASE=\"Db\";NOTE=\"Rad ett#Rad tva\";NOTEX=\"X\";DATA=1;";

// An editor window on the Footnotes page of a table, its controls at hand.
struct Page {
  EditorWindowFrame f;
  frmCreateVq* editor = nullptr;

  explicit Page(const std::string& text = kTable) {
    f.window->show();
    editor = f.open(f.home.write("t.vq", text).string());
    if (editor) editor->tabs()->setCurrentIndex(frmCreateVq::Footnotes);
  }
  VexaMess& doc() { return editor->document(); }
  template <typename T = QWidget>
  T* control(const char* name) {
    return editor->findChild<T*>(name);
  }
  bool shown(const char* name) { return !control(name)->isHidden(); }
  void undo() { editor->undoStack()->undo(); }
};

}  // namespace

TEST(FootnotesPage, EveryBindingWritesItsFieldInOneStepAndUndoPutsItBack) {
  struct Row {
    const char* control;
    std::function<void(Page&)> act;
    std::string VexaMess::*field;
    std::string after;
    std::string afterUndo;
  };
  auto type = [](const char* name, const char* keys) {
    return [=](Page& p) {
      QWidget* box = p.control(name);
      box->setFocus();
      QTest::keyClick(box, Qt::Key_End, Qt::ControlModifier);
      QTest::keyClicks(box, keys);
    };
  };
  auto typeLines = [](const char* name) {
    return [=](Page& p) {
      QWidget* box = p.control(name);
      box->setFocus();
      QTest::keyClick(box, Qt::Key_End, Qt::ControlModifier);
      QTest::keyClick(box, Qt::Key_Return);
      QTest::keyClicks(box, "tre");
    };
  };
  auto click = [](const char* name) {
    return [=](Page& p) { p.control<QCheckBox>(name)->click(); };
  };
  const Row rows[] = {
      {"txtSource", type("txtSource", " och ny"), &VexaMess::Source, "Byran och ny", "Byran"},
      {"txtDataBase", type("txtDataBase", "2"), &VexaMess::Database, "Db2", "Db"},
      {"txtNote", typeLines("txtNote"), &VexaMess::Note, "Rad ett\r\nRad tva\r\ntre",
       "Rad ett\r\nRad tva"},
      {"txtNotex", typeLines("txtNotex"), &VexaMess::Notex, "X\r\ntre", "X"},
      // A table without COPYRIGHT gets one only from a click.
      {"chkCopyRight", click("chkCopyRight"), &VexaMess::Copyright, "YES", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.control);
    Page p;
    ASSERT_TRUE(p.editor);
    EXPECT_FALSE(p.editor->isChanged());
    row.act(p);
    EXPECT_EQ(p.doc().*row.field, row.after);
    EXPECT_EQ(p.editor->undoStack()->count(), 1);  // typing in one box is one step
    p.undo();
    EXPECT_EQ(p.doc().*row.field, row.afterUndo);
    EXPECT_FALSE(p.editor->isChanged());
  }
  // The box shows the note as it is again after the undo, its line breaks as line breaks.
  Page p;
  typeLines("txtNote")(p);
  p.undo();
  EXPECT_EQ(p.control<QPlainTextEdit>("txtNote")->toPlainText(), "Rad ett\nRad tva");
  EXPECT_EQ(p.control<QLineEdit>("txtSource")->text(), "Byran");
  EXPECT_EQ(p.control<QCheckBox>("chkSource")->text(), "&Source");
  EXPECT_EQ(p.control<QCheckBox>("chkCopyRight")->text(), "Copy&Right");
}

TEST(FootnotesPage, CopyrightIsWhatTheFileSaysUntilTheUserClicks) {
  for (const char* stated : {"", "NO", "YES"}) {
    SCOPED_TRACE(stated);
    Page p((*stated ? std::string("COPYRIGHT=") + stated + ";" : "") + kTable);
    ASSERT_TRUE(p.editor);
    EXPECT_EQ(p.doc().Copyright, stated);
    EXPECT_EQ(p.control<QCheckBox>("chkCopyRight")->isChecked(), stated == std::string("YES"));
    p.control<QCheckBox>("chkCopyRight")->click();
    EXPECT_EQ(p.doc().Copyright, stated == std::string("YES") ? "NO" : "YES");
  }
}

TEST(FootnotesPage, ClearingABoxHidesItAndKeepsItsTextWhichIsStillWritten) {
  Page p;
  ASSERT_TRUE(p.editor);
  for (const char* name : {"chkSource", "chkDatabase", "chkNote", "chkNotex"}) {
    p.control<QCheckBox>(name)->click();
  }
  EXPECT_FALSE(p.shown("txtSource") || p.shown("txtDataBase") || p.shown("txtNote") ||
               p.shown("txtNotex"));
  // Hiding is no change of the table.
  EXPECT_FALSE(p.editor->isChanged());
  const Loaded back(p.f.saveAs(p.editor, "out.vq"));
  EXPECT_EQ(unwrapped(back.doc.Note), "Rad ett\r\nRad tva");
  EXPECT_EQ(unwrapped(back.doc.Notex), "X");
  EXPECT_EQ(unwrapped(back.doc.Source), "Byran");
  EXPECT_EQ(back.doc.Database, "Db");

  // Checking shows the text the table holds.
  p.control<QCheckBox>("chkNote")->click();
  EXPECT_TRUE(p.shown("txtNote"));
  EXPECT_EQ(p.control<QPlainTextEdit>("txtNote")->toPlainText(), "Rad ett\nRad tva");
}

TEST(FootnotesPage, CheckingSourceOnATableWithoutOneTakesTheDefaultSourceInOneStep) {
  Page p("STUB=\"r\";VALUES(\"r\")=\"a\";DATA=1;");
  ASSERT_TRUE(p.editor);
  EXPECT_FALSE(p.shown("txtSource") || p.shown("txtNote"));
  p.f.ctx.defaultData.Source = "Standardbyran";
  p.control<QCheckBox>("chkSource")->click();
  EXPECT_TRUE(p.shown("txtSource"));
  EXPECT_EQ(p.control<QLineEdit>("txtSource")->text(), "Standardbyran");
  EXPECT_EQ(p.doc().Source, "Standardbyran");
  EXPECT_EQ(p.editor->undoStack()->count(), 1);
  p.undo();
  EXPECT_EQ(p.doc().Source, "");
  EXPECT_FALSE(p.control<QCheckBox>("chkSource")->isChecked() || p.shown("txtSource"));

  // Without a default source the box opens empty and nothing is written.
  p.f.ctx.defaultData.Source.clear();
  p.control<QCheckBox>("chkSource")->click();
  EXPECT_TRUE(p.shown("txtSource"));
  EXPECT_FALSE(p.editor->isChanged());
}

TEST(FootnotesPage, EveryFieldSetThroughTheControlsIsSavedAndReadBack) {
  Page p("STUB=\"r\";VALUES(\"r\")=\"a\";DATA=1;");
  ASSERT_TRUE(p.editor);
  auto typeInto = [&](const char* check, const char* box, const char* text) {
    p.control<QCheckBox>(check)->click();
    p.control(box)->setFocus();
    QTest::keyClicks(p.control(box), text);
  };
  typeInto("chkSource", "txtSource", "Egen byra");
  typeInto("chkDatabase", "txtDataBase", "Regiondata");
  typeInto("chkNote", "txtNote", "Forsta");
  QTest::keyClick(p.control("txtNote"), Qt::Key_Return);
  // A non-breaking space stays one.
  QTest::keyClicks(p.control("txtNote"), QString::fromUtf8("andra\xC2\xA0rad"));
  typeInto("chkNotex", "txtNotex", "Viktig");
  p.control<QCheckBox>("chkCopyRight")->click();

  const std::string saved = p.f.saveAs(p.editor, "out.vq");
  EXPECT_NE(TempFolder::read(saved).find("NOTE=\"Forsta #\"\r\n\"andra\xA0rad \";"),
            std::string::npos)
      << TempFolder::read(saved);
  const Loaded back(saved);
  EXPECT_EQ(unwrapped(back.doc.Source), "Egen byra");
  EXPECT_EQ(back.doc.Database, "Regiondata");
  EXPECT_EQ(unwrapped(back.doc.Note), "Forsta\r\nandra\xC2\xA0rad");
  EXPECT_EQ(unwrapped(back.doc.Notex), "Viktig");
  EXPECT_EQ(back.doc.Copyright, "YES");
}
