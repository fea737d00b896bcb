// The rename dialog: which names OK takes and returns, which it refuses with which
// message while staying open, and nothing returned after Cancel or from an earlier use.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <string>

#include "gui/editor/dialogs/dlg_rename_dim.h"
#include "core/model/prompt.h"
#include "core/model/vexa_mess.h"

using namespace zendra;

namespace {

struct Table {
  VexaMess doc;
  Table() {
    doc.addDimension("Region", 0);
    doc.addDimension("Age", 0);
    doc.addDimension("Sex", 1);
  }
};

void type(dlgRenameDim& dialog, const char* text) {
  dialog.findChild<QLineEdit*>("Text1")->setText(text);
}

void press(dlgRenameDim& dialog, const char* button) {
  dialog.findChild<QPushButton*>(button)->click();
}

}  // namespace

TEST(DlgRenameDim, OkTakesAFreeNameAndRefusesOthersWithTheirMessage) {
  struct Case {
    const char* typed;
    const char* name;     // returned; empty when refused
    const char* message;  // shown; empty when taken
  };
  const Case cases[] = {
      {"Area", "Area", ""},
      {"  Area ", "Area", ""},                 // surrounding blanks are no part of it
      {"REGION", "REGION", ""},                // a change of letter case alone
      {"Region", "", "Variable name in use"},  // the name unchanged
      {" Region  ", "", "Variable name in use"},
      {"age", "", "Variable name in use"},  // another's name, case aside
      {"Sex", "", "Variable name in use"},  // on the other side
      {"", "", "Name must be given"},
      {"   ", "", "Name must be given"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    Table t;
    ScriptedPrompt prompt;
    dlgRenameDim dialog(t.doc, "Region", prompt);
    dialog.show();
    type(dialog, c.typed);
    press(dialog, "cmdOK");
    if (*c.message) {
      ASSERT_EQ(prompt.asked.size(), 1u);
      EXPECT_EQ(prompt.asked[0].text, c.message);
      EXPECT_TRUE(dialog.isVisible());  // the user may type again
      EXPECT_EQ(dialog.returncode, -1);
      EXPECT_EQ(dialog.name, "");
    } else {
      EXPECT_TRUE(prompt.asked.empty());
      EXPECT_EQ(dialog.result(), QDialog::Accepted);
      EXPECT_EQ(dialog.returncode, 0);
      EXPECT_EQ(dialog.name, c.name);
    }
    EXPECT_EQ(t.doc.Get_Dimension("Region")->name, "Region");  // the dialog renames nothing
  }
}

TEST(DlgRenameDim, ARefusedNameCanBeMendedAndCancelReturnsNothing) {
  Table t;
  ScriptedPrompt prompt;
  dlgRenameDim dialog(t.doc, "Region", prompt);
  EXPECT_EQ(dialog.windowTitle(), "Rename dimension");
  EXPECT_EQ(dialog.findChild<QLineEdit*>("Text1")->text(), "Region");
  EXPECT_EQ(dialog.returncode, -1);
  dialog.show();
  type(dialog, "Age");
  press(dialog, "cmdOK");
  type(dialog, "Area");
  press(dialog, "cmdOK");
  EXPECT_EQ(dialog.returncode, 0);
  EXPECT_EQ(dialog.name, "Area");

  // Shown again, the dialog's earlier result does not survive Cancel or Escape.
  for (const bool escape : {false, true}) {
    dialog.show();
    type(dialog, "Other");
    if (escape) {
      QTest::keyClick(&dialog, Qt::Key_Escape);
    } else {
      press(dialog, "Command2");
    }
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(dialog.returncode, -1);
    EXPECT_EQ(dialog.name, "");
  }
  EXPECT_EQ(prompt.asked.size(), 1u);
}
