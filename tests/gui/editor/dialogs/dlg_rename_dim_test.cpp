// The rename dialog: which names OK takes and returns, which it refuses with which
// message while staying open, and nothing returned after Cancel or from an earlier use.
#include <gtest/gtest.h>

#include <QLineEdit>

#include "core/model/vexa_mess.h"
#include "gui/editor/dialogs/dlg_rename_dim.h"
#include "support/editor_dialogs.h"

using namespace zendra;
using test::press;

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

}  // namespace

TEST(DlgRenameDim, OkTakesAFreeNameAndRefusesOthersWithTheirMessage) {
  struct Case {
    const char* typed;
    const char* name;     // returned; empty when refused
    const char* message;  // shown; empty when taken
  };
  const Case cases[] = {
      {"Area", "Area", ""},
      {"  Area ", "Area", ""},                  // surrounding blanks are no part of it
      {"REGION", "REGION", ""},                 // a change of letter case alone
      {"Region", "", "Variable name in use;"},  // the name unchanged
      {" Region  ", "", "Variable name in use;"},
      {"age", "", "Variable name in use;"},  // another's name, case aside
      {"Sex", "", "Variable name in use;"},  // on the other side
      {"", "", "Name must be given;"},
      {"   ", "", "Name must be given;"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    Table t;
    ScriptedPrompt prompt;
    dlgRenameDim dialog(t.doc, "Region", prompt);
    dialog.show();
    type(dialog, c.typed);
    press(dialog, "cmdOK");
    EXPECT_EQ(test::shown(prompt), c.message);
    EXPECT_EQ(dialog.isVisible(), *c.message != 0);  // the user may type again
    EXPECT_EQ(dialog.returncode, *c.message ? -1 : 0);
    EXPECT_EQ(dialog.name, c.name);
    EXPECT_EQ(t.doc.Get_Dimension("Region")->name, "Region");  // the dialog renames nothing
  }
}

TEST(DlgRenameDim, ARefusedNameCanBeMendedAndCancelReturnsNothing) {
  Table t;
  ScriptedPrompt prompt;
  dlgRenameDim dialog(t.doc, "Region", prompt);
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
  for (const char* button : {"Command2", "Escape"}) {
    dialog.show();
    type(dialog, "Other");
    press(dialog, button);
    EXPECT_EQ(dialog.result(), QDialog::Rejected) << button;
    EXPECT_EQ(dialog.returncode, -1) << button;
    EXPECT_EQ(dialog.name, "") << button;
  }
  EXPECT_EQ(prompt.asked.size(), 1u);
}
