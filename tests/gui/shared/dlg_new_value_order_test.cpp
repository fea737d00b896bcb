// The value reorder dialog: values shown as code and text, moved by the arrows, a
// double click and "Move rest", the new order returned as positions on OK only, and a
// variable of ten thousand values moved at once.
#include <gtest/gtest.h>

#include <QItemSelectionModel>
#include <QListWidget>
#include <string>
#include <vector>

#include "core/model/dimension_data.h"
#include "gui/shared/dlg_new_value_order.h"
#include "support/editor_dialogs.h"
#include "support/list_actions.h"
#include "support/tables.h"

using namespace zendra;
using test::listTexts;
using test::press;

namespace {

using Texts = std::vector<std::string>;
using Order = std::vector<std::int32_t>;

QListWidget* list(dlgNewValueOrder& dialog, const char* name) {
  return dialog.findChild<QListWidget*>(name);
}

bool okEnabled(dlgNewValueOrder& dialog) {
  return dialog.findChild<QPushButton*>("cmdOk")->isEnabled();
}

}  // namespace

TEST(DlgNewValueOrder, DoubleClicksArrowsAndMoveRestBuildTheOrderOkReturns) {
  // Two values share a text: they stay apart by position.
  VexaMess doc;
  const DimensionRef region = test::addVariable(doc, "Region", 0,
                                                {"Stockholm", "Uppsala", "Other", "Other"},
                                                {"01", "03", "04", "05"});
  dlgNewValueOrder dialog(*region);
  QListWidget* from = list(dialog, "List1");
  QListWidget* to = list(dialog, "List2");
  EXPECT_EQ(listTexts(from), (Texts{"01  Stockholm", "03  Uppsala", "04  Other", "05  Other"}));
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));

  test::doubleClickRow(from, 3);  // "05  Other"
  test::doubleClickRow(from, 1);  // "03  Uppsala"
  test::doubleClickRow(to, 1);  // back to the end of the first list
  EXPECT_EQ(listTexts(from), (Texts{"01  Stockholm", "04  Other", "03  Uppsala"}));

  from->clearSelection();
  from->item(1)->setSelected(true);
  press(dialog, "cmdMoveTo");
  EXPECT_FALSE(okEnabled(dialog));
  press(dialog, "cmdMoveRest");
  press(dialog, "cmdOk");
  // The current position of the value for each new place; equal texts kept apart.
  EXPECT_EQ(dialog.order, (Order{4, 3, 1, 2}));
  dialog.show();  // shown again, an earlier OK's order does not survive Cancel
  press(dialog, "cmdCancel");
  EXPECT_TRUE(dialog.order.empty());

  const DimensionRef empty = DimensionData::create("Empty");  // nothing to order, no OK
  dlgNewValueOrder none(*empty);
  press(none, "cmdMoveRest");
  EXPECT_FALSE(okEnabled(none));
}

TEST(DlgNewValueOrder, TenThousandValuesMoveInBlocks) {
  DimensionRef many = DimensionData::create("Many");
  for (int i = 0; i < 10000; ++i) many->addVal()->value = "Value " + std::to_string(i);
  dlgNewValueOrder dialog(*many);
  QListWidget* from = list(dialog, "List1");
  EXPECT_TRUE(from->uniformItemSizes());
  // Every second value first (selected in one step, as a drag would), then the rest.
  QItemSelection everySecond;
  for (int row = 0; row < from->count(); row += 2) {
    const QModelIndex index = from->model()->index(row, 0);
    everySecond.select(index, index);
  }
  from->selectionModel()->select(everySecond, QItemSelectionModel::Select);
  press(dialog, "cmdMoveTo");
  EXPECT_EQ(from->count(), 5000);
  press(dialog, "cmdMoveRest");
  press(dialog, "cmdOk");
  ASSERT_EQ(dialog.order.size(), 10000u);
  EXPECT_EQ(dialog.order[1], 3);
  EXPECT_EQ(dialog.order[5000], 2);
  EXPECT_EQ(dialog.order[9999], 10000);
}
