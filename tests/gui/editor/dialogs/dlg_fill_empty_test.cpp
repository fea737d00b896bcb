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
  for (const auto& [missing, invalid] : {std::pair{true, false}, {false, true}}) {
    SCOPED_TRACE(testing::Message() << missing << invalid);
    dlgFillEmpty dialog(missing, invalid);
    EXPECT_EQ(box(dialog, "Check1")->isChecked(), missing);
    EXPECT_EQ(box(dialog, "Check1")->isEnabled(), missing);
    EXPECT_FALSE(box(dialog, "Check2")->isChecked());
    EXPECT_EQ(box(dialog, "Check2")->isEnabled(), invalid);
    EXPECT_EQ(dialog.Fill, ".");
  }
  // Each option gives its symbol; OK needs a tick, and Cancel gives 0.
  const char* symbols[] = {".", "..", "-", "0"};
  for (int id = 0; id < 4; ++id) {
    SCOPED_TRACE(id);
    dlgFillEmpty dialog(true, false);
    dialog.findChild<QRadioButton*>("Option1_" + QString::number(id))->click();
    if (id == 1) box(dialog, "Check1")->click();
    test::press(dialog, id == 2 ? "cmdCancel" : "cmdOk");
    EXPECT_EQ(dialog.Fill, symbols[id]);
    EXPECT_EQ(dialog.RetCode, id == 0 || id == 3 ? 1 : 0);
  }
}
