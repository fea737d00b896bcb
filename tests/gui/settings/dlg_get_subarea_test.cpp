// The subject area picker: entries as code and name, the choice returned apart, nothing
// after Cancel, and a library of a thousand areas in one list.
#include <gtest/gtest.h>

#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <string>
#include <vector>

#include "gui/settings/dlg_get_subarea.h"

using namespace zendra;

namespace {

const std::vector<SubjArea> kAreas = {
    {"Befolkning", "BE"}, {"Arbetsmarknad", "AM"}, {"Boende och byggande", "BO\tX"}};

QListWidget* list(dlgGetSubarea& dialog) {
  return dialog.findChild<QListWidget*>("lstSubAreas");
}

void press(dlgGetSubarea& dialog, const char* button) {
  dialog.findChild<QPushButton*>(button)->click();
}

}  // namespace

TEST(DlgGetSubarea, ShowsCodeAndNameAndReturnsTheChosenNameAndCodeApart) {
  dlgGetSubarea dialog(kAreas);
  QListWidget* entries = list(dialog);
  ASSERT_EQ(entries->count(), 3);
  EXPECT_EQ(entries->item(0)->text(), "BE Befolkning");
  EXPECT_EQ(entries->item(2)->text(), "BO\tX Boende och byggande");
  EXPECT_TRUE(dialog.subtext.empty() && dialog.subcode.empty());  // nothing chosen yet
  // The list taking the focus makes a row current, but that is no choice: OK then
  // returns nothing.
  {
    dlgGetSubarea unchosen(kAreas);
    unchosen.show();
    list(unchosen)->setFocus();
    list(unchosen)->setCurrentRow(0, QItemSelectionModel::NoUpdate);
    press(unchosen, "cmdOk");
    EXPECT_EQ(unchosen.subtext + unchosen.subcode, "");
  }

  entries->setCurrentRow(2);
  entries->setCurrentRow(1);
  press(dialog, "cmdOk");
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.subtext, "Arbetsmarknad");
  EXPECT_EQ(dialog.subcode, "AM");
}

TEST(DlgGetSubarea, CancelAndEscapeReturnNothingAfterAChoice) {
  for (const bool escape : {false, true}) {
    dlgGetSubarea dialog(kAreas);
    list(dialog)->setCurrentRow(0);
    EXPECT_EQ(dialog.subtext, "Befolkning");
    if (escape) {
      dialog.show();
      QTest::keyClick(&dialog, Qt::Key_Escape);
    } else {
      press(dialog, "cmdCancel");
    }
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(dialog.subtext + dialog.subcode, "");
  }
}

TEST(DlgGetSubarea, ALibraryOfAThousandAreasFillsTheListAtOnce) {
  std::vector<SubjArea> areas;
  for (int i = 0; i < 1000; ++i) areas.push_back({"Area " + std::to_string(i), std::to_string(i)});
  dlgGetSubarea dialog(areas);
  QListWidget* entries = list(dialog);
  EXPECT_EQ(entries->count(), 1000);
  // Rows of one height: the list lays out without measuring every row.
  EXPECT_TRUE(entries->uniformItemSizes());
  entries->setCurrentRow(999);
  press(dialog, "cmdOk");
  EXPECT_EQ(dialog.subtext + "|" + dialog.subcode, "Area 999|999");
}
