// The fill dialog: its starting state from what the check found, the symbol chosen and
// the return code of OK and Cancel.
#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>

#include "gui/editor/dialogs/dlg_fill_empty.h"

using namespace zendra;

namespace {

QCheckBox* box(dlgFillEmpty& dialog, const char* name) {
  return dialog.findChild<QCheckBox*>(name);
}

}  // namespace

TEST(DlgFillEmpty, StartsFromWhatTheCheckFound) {
  struct Case {
    bool missing, invalid;
    bool emptyTicked, emptyEnabled, invalidEnabled;
  };
  const Case cases[] = {
      {true, false, true, true, false},
      {false, true, false, false, true},  // only invalid cells: "Fill empty" unticked, disabled
      {true, true, true, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.missing << c.invalid);
    dlgFillEmpty dialog(c.missing, c.invalid);
    EXPECT_EQ(dialog.windowTitle(), "Fill Empty Cells");
    EXPECT_EQ(box(dialog, "Check1")->text(), "Fill empty cells");
    EXPECT_EQ(box(dialog, "Check2")->text(), "Fill invalid cells");
    EXPECT_EQ(box(dialog, "Check1")->isChecked(), c.emptyTicked);
    EXPECT_EQ(box(dialog, "Check1")->isEnabled(), c.emptyEnabled);
    EXPECT_FALSE(box(dialog, "Check2")->isChecked());
    EXPECT_EQ(box(dialog, "Check2")->isEnabled(), c.invalidEnabled);
    EXPECT_TRUE(dialog.findChild<QRadioButton*>("Option1_0")->isChecked());
    EXPECT_EQ(dialog.Fill, ".");
  }
}

TEST(DlgFillEmpty, OptionsGiveTheirSymbolAndOkNeedsATick) {
  const struct {
    const char* option;
    const char* caption;
    const char* symbol;
  } options[] = {{"Option1_0", "Use '.' (single period)", "."},
                 {"Option1_1", "Use '..' (double period)", ".."},
                 {"Option1_2", "Use '-'' (stroke)", "-"},
                 {"Option1_3", "Use 0 (zero)", "0"}};
  for (const auto& o : options) {
    SCOPED_TRACE(o.option);
    dlgFillEmpty dialog(true, true);
    dialog.show();
    auto* option = dialog.findChild<QRadioButton*>(o.option);
    EXPECT_EQ(option->text(), o.caption);
    EXPECT_EQ(dialog.findChild<QButtonGroup*>("Option1")->id(option), o.option[8] - '0');
    option->click();
    box(dialog, "Check2")->click();
    dialog.findChild<QPushButton*>("cmdOk")->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.Fill, o.symbol);
    EXPECT_EQ(dialog.RetCode, 1);
    EXPECT_TRUE(dialog.fillEmpty());
    EXPECT_TRUE(dialog.fillInvalid());
  }

  dlgFillEmpty untick(true, false);
  box(untick, "Check1")->click();
  untick.findChild<QPushButton*>("cmdOk")->click();
  EXPECT_EQ(untick.RetCode, 0);

  dlgFillEmpty cancel(true, false);
  EXPECT_EQ(cancel.findChild<QPushButton*>("cmdCancel")->text(), "Cancel");
  cancel.findChild<QPushButton*>("cmdCancel")->click();
  EXPECT_EQ(cancel.RetCode, 0);
}
