// The one-valued variable dialog: the checks of name and value in their order, the
// results after OK, and none after Cancel or from an earlier use.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <string>

#include "gui/editor/dialogs/dlg_add_dimension.h"
#include "support/editor_dialogs.h"

using namespace zendra;
using test::press;

namespace {

// Types name, code and value into their boxes as a user does.
void type(dlgAddDimension& dialog, const char* name, const char* code, const char* value) {
  for (const auto& [box, text] :
       {std::pair{"txtDimName", name}, std::pair{"txtCode", code}, std::pair{"txtValue", value}}) {
    dialog.findChild<QLineEdit*>(box)->clear();
    QTest::keyClicks(dialog.findChild<QLineEdit*>(box), text);
  }
}

}  // namespace

TEST(DlgAddDimension, OkChecksNameThenValueAndGivesWhatWasTyped) {
  struct Case {
    const char *name, *code, *value, *message, *given;  // given: name|code|value after OK
  };
  const Case cases[] = {
      {"Year", "2024", "2024", "", "Year|2024|2024"},
      {"  Year\t", "", " All years", "", "Year|| All years"},  // no code needed
      {"REGION", "1", "North", "Variable name in use;", "||"},
      {" region ", "1", "", "Variable name in use;", "||"},  // the name is checked first
      {"", "1", "North", "Name must be given;", "||"},
      {"   ", "1", "North", "Name must be given;", "||"},
      {"Year", "2024", "  ", "Value must be given;", "||"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    VexaMess doc;
    doc.addDimension("Region", 1);
    ScriptedPrompt prompt;
    dlgAddDimension dialog(doc, prompt);
    dialog.show();
    type(dialog, c.name, c.code, c.value);
    press(dialog, "cmdOK");
    EXPECT_EQ(test::shown(prompt), c.message);
    EXPECT_EQ(dialog.isVisible(), *c.message != 0);  // a refusal leaves it open
    EXPECT_EQ(dialog.RetCode, *c.message ? 0 : 1);
    EXPECT_EQ(dialog.name + "|" + dialog.code + "|" + dialog.value, c.given);
    EXPECT_EQ(doc.Dimensions.Count(), 1);  // the dialog adds nothing itself
  }
}

TEST(DlgAddDimension, CancelAndANewShowingLeaveNoAnswerBehind) {
  VexaMess doc;
  ScriptedPrompt prompt;
  dlgAddDimension dialog(doc, prompt);
  dialog.show();
  type(dialog, "Year", "1", "2024");
  press(dialog, "cmdOK");
  ASSERT_EQ(dialog.RetCode, 1);
  // The caller uses the dialog again: Cancel, or a refused OK and Escape, give nothing.
  for (const bool escape : {false, true}) {
    SCOPED_TRACE(escape ? "Escape" : "Cancel");
    dialog.show();
    EXPECT_EQ(dialog.RetCode, 0);
    EXPECT_EQ(dialog.name + dialog.code + dialog.value, "");
    type(dialog, "Year", "1", escape ? "" : "2024");
    if (escape) press(dialog, "cmdOK");
    press(dialog, escape ? "Escape" : "cmdCancel");
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(dialog.RetCode, 0);
    EXPECT_EQ(dialog.name + dialog.code + dialog.value, "");
  }
}
