// The one-valued variable dialog: the checks of name and value in their order, the
// results after OK, and none after Cancel or from an earlier use.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <string>

#include "gui/editor/dialogs/dlg_add_dimension.h"
#include "core/model/prompt.h"

using namespace zendra;

namespace {

void type(dlgAddDimension& dialog, const char* box, const char* text) {
  QLineEdit* edit = dialog.findChild<QLineEdit*>(box);
  edit->clear();
  QTest::keyClicks(edit, text);
}
void press(dlgAddDimension& dialog, const char* button) {
  dialog.findChild<QPushButton*>(button)->click();
}

}  // namespace

TEST(DlgAddDimension, OkChecksNameThenValueAndGivesWhatWasTyped) {
  struct Case {
    const char *name, *code, *value;
    std::string message;  // empty: accepted
    std::string givenName;
  };
  const Case cases[] = {
      {"Year", "2024", "2024", "", "Year"},
      {"  Year\t", "", " All years", "", "Year"},  // no code needed
      {"REGION", "1", "North", "Variable name in use", ""},
      {" region ", "1", "", "Variable name in use", ""},  // the name is checked first
      {"", "1", "North", "Name must be given", ""},
      {"   ", "1", "North", "Name must be given", ""},
      {"Year", "2024", "  ", "Value must be given", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    VexaMess doc;
    doc.addDimension("Region", 1);
    ScriptedPrompt prompt;
    dlgAddDimension dialog(doc, prompt);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "add new Dimension");
    type(dialog, "txtDimName", c.name);
    type(dialog, "txtCode", c.code);
    type(dialog, "txtValue", c.value);
    press(dialog, "cmdOK");
    if (c.message.empty()) {
      EXPECT_TRUE(prompt.asked.empty());
      EXPECT_FALSE(dialog.isVisible());
      EXPECT_EQ(dialog.RetCode, 1);
      EXPECT_EQ(dialog.name, c.givenName);
      EXPECT_EQ(dialog.code, c.code);
      EXPECT_EQ(dialog.value, c.value);
    } else {
      ASSERT_EQ(prompt.asked.size(), 1u);
      EXPECT_EQ(prompt.asked[0].text, c.message);
      EXPECT_TRUE(dialog.isVisible());
      EXPECT_EQ(dialog.RetCode, 0);
    }
    EXPECT_EQ(doc.Dimensions.Count(), 1);  // the dialog adds nothing itself
  }
}

TEST(DlgAddDimension, CancelAndANewShowingLeaveNoAnswerBehind) {
  VexaMess doc;
  ScriptedPrompt prompt;
  dlgAddDimension dialog(doc, prompt);
  dialog.show();
  type(dialog, "txtDimName", "Year");
  type(dialog, "txtValue", "2024");
  press(dialog, "cmdOK");
  ASSERT_EQ(dialog.RetCode, 1);

  dialog.show();  // the caller uses the dialog again
  EXPECT_EQ(dialog.RetCode, 0);
  EXPECT_EQ(dialog.name + dialog.code + dialog.value, "");
  press(dialog, "cmdCancel");
  EXPECT_EQ(dialog.RetCode, 0);
  EXPECT_EQ(dialog.name, "");

  // A refused OK followed by Cancel gives nothing either.
  dialog.show();
  type(dialog, "txtValue", "");
  press(dialog, "cmdOK");
  QTest::keyClick(&dialog, Qt::Key_Escape);
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  EXPECT_EQ(dialog.RetCode, 0);
}
