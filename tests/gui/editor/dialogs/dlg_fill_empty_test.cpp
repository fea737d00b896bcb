// The fill dialog: its starting state from what the check found, the symbol chosen and
// the return code of OK and Cancel.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QRadioButton>

#include "gui/editor/dialogs/dlg_fill_empty.h"
#include "support/editor_dialogs.h"

using namespace zendra;

namespace {

QCheckBox* box(dlgFillEmpty& dialog, const char* name) {
  return dialog.findChild<QCheckBox*>(name);
}

}  // namespace

TEST(DlgFillEmpty, StartsFromWhatTheCheckFoundAndGivesTheChosenSymbol) {
  // Only invalid cells: "Fill empty cells" unticked and disabled. "Fill invalid" starts off.
  for (const auto& [missing, invalid] : {std::pair{true, false}, {false, true}, {true, true}}) {
    SCOPED_TRACE(testing::Message() << missing << invalid);
    dlgFillEmpty dialog(missing, invalid);
    EXPECT_EQ(box(dialog, "Check1")->isChecked(), missing);
    EXPECT_EQ(box(dialog, "Check1")->isEnabled(), missing);
    EXPECT_FALSE(box(dialog, "Check2")->isChecked());
    EXPECT_EQ(box(dialog, "Check2")->isEnabled(), invalid);
    EXPECT_TRUE(dialog.findChild<QRadioButton*>("Option1_0")->isChecked());
    EXPECT_EQ(dialog.Fill, ".");
  }
  // Each option gives its symbol; OK needs a tick.
  const char* symbols[] = {".", "..", "-", "0"};
  for (int id = 0; id < 4; ++id) {
    SCOPED_TRACE(id);
    dlgFillEmpty dialog(true, true);
    dialog.show();
    dialog.findChild<QRadioButton*>("Option1_" + QString::number(id))->click();
    box(dialog, "Check2")->click();
    test::press(dialog, "cmdOk");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.Fill, symbols[id]);
    EXPECT_EQ(dialog.RetCode, 1);
    EXPECT_TRUE(dialog.fillEmpty() && dialog.fillInvalid());
  }
  // OK with nothing ticked, and Cancel, give 0.
  dlgFillEmpty untick(true, false);
  box(untick, "Check1")->click();
  test::press(untick, "cmdOk");
  EXPECT_EQ(untick.RetCode, 0);
  dlgFillEmpty cancel(true, false);
  test::press(cancel, "cmdCancel");
  EXPECT_EQ(cancel.RetCode, 0);
}
