// The subject area picker: entries as code and name, the choice returned apart, nothing
// after Cancel, and a library of a thousand areas in one list.
#include "gui/settings/dlg_get_subarea.h"
#include "support/dialog_steps.h"

using namespace zendra;
using namespace zendra::test;

TEST(DlgGetSubarea, ShowsAThousandAreasReturnsNameAndCodeApartAndNothingForNoChoice) {
  std::vector<SubjArea> areas = {{"Boende och byggande", "BO\tX"}};
  for (int i = 1; i < 1000; ++i) areas.push_back({"Area " + std::to_string(i), std::to_string(i)});
  dlgGetSubarea dialog(areas);
  auto* entries = child<QListWidget>(dialog, "lstSubAreas");
  EXPECT_EQ(entries->item(0)->text(), "BO\tX Boende och byggande");
  // Rows of one height: the list lays out without measuring every row.
  EXPECT_TRUE(entries->uniformItemSizes());
  entries->setCurrentRow(999);
  press(dialog, "cmdOk");
  EXPECT_EQ(dialog.subtext + "|" + dialog.subcode, "Area 999|999");

  // A focused row is no choice, and Cancel returns nothing.
  for (const bool ok : {true, false}) {
    SCOPED_TRACE(ok);
    dlgGetSubarea picker(areas);
    picker.show();
    entries = child<QListWidget>(picker, "lstSubAreas");
    // The list taking the focus makes a row current, but that is no choice: OK then
    // returns nothing. Cancel returns nothing after a choice.
    entries->setFocus();
    entries->setCurrentRow(0, ok ? QItemSelectionModel::NoUpdate : QItemSelectionModel::Select);
    press(picker, ok ? "cmdOk" : "cmdCancel");
    EXPECT_EQ(picker.subtext + picker.subcode, "");
  }
}
