// The value reorder dialog: values shown as code and text, moved by the arrows, a
// double click and "Move rest", the new order returned as positions on OK only, and a
// variable of ten thousand values moved at once.
#include <gtest/gtest.h>

#include <QItemSelectionModel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <string>
#include <vector>

#include "gui/shared/dlg_new_value_order.h"
#include "core/model/dimension_data.h"
#include "support/list_actions.h"

using namespace zendra;

namespace {

using Texts = std::vector<std::string>;
using Order = std::vector<std::int32_t>;

DimensionRef variable(const std::vector<std::pair<const char*, const char*>>& values) {
  DimensionRef v = DimensionData::create("Region");
  for (const auto& [code, text] : values) {
    const ValueRef value = v->addVal();
    value->code = code;
    value->value = text;
  }
  return v;
}

// Two values share a text: they stay apart by position.
const DimensionRef kRegion =
    variable({{"01", "Stockholm"}, {"03", "Uppsala"}, {"04", "Other"}, {"05", "Other"}});

QListWidget* list(dlgNewValueOrder& dialog, const char* name) {
  return dialog.findChild<QListWidget*>(name);
}

QPushButton* button(dlgNewValueOrder& dialog, const char* name) {
  return dialog.findChild<QPushButton*>(name);
}

}  // namespace

TEST(DlgNewValueOrder, ShowsEachValueAsCodeAndTextWithOkDisabledUntilAllMoved) {
  dlgNewValueOrder dialog(*kRegion);
  EXPECT_EQ(dialog.windowTitle(), "New value order");
  EXPECT_EQ(test::listTexts(list(dialog, "List1")),
            (Texts{"01  Stockholm", "03  Uppsala", "04  Other", "05  Other"}));
  EXPECT_EQ(list(dialog, "List2")->count(), 0);
  EXPECT_FALSE(button(dialog, "cmdOk")->isEnabled());
  EXPECT_TRUE(dialog.order.empty());

  const DimensionRef empty = variable({});  // no values: nothing to order, no OK
  dlgNewValueOrder none(*empty);
  button(none, "cmdMoveRest")->click();
  EXPECT_FALSE(button(none, "cmdOk")->isEnabled());
}

TEST(DlgNewValueOrder, DoubleClicksArrowsAndMoveRestBuildTheOrderOkReturns) {
  dlgNewValueOrder dialog(*kRegion);
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  QListWidget* from = list(dialog, "List1");
  QListWidget* to = list(dialog, "List2");

  test::doubleClickRow(from, 3);  // "05  Other"
  test::doubleClickRow(from, 1);  // "03  Uppsala"
  EXPECT_EQ(test::listTexts(to), (Texts{"05  Other", "03  Uppsala"}));
  test::doubleClickRow(to, 1);  // back to the end of the first list
  EXPECT_EQ(test::listTexts(from), (Texts{"01  Stockholm", "04  Other", "03  Uppsala"}));

  from->clearSelection();
  from->item(1)->setSelected(true);
  button(dialog, "cmdMoveTo")->click();
  EXPECT_EQ(test::listTexts(to), (Texts{"05  Other", "04  Other"}));
  EXPECT_FALSE(button(dialog, "cmdOk")->isEnabled());

  button(dialog, "cmdMoveRest")->click();
  EXPECT_EQ(from->count(), 0);
  EXPECT_TRUE(button(dialog, "cmdOk")->isEnabled());
  to->clearSelection();
  to->item(0)->setSelected(true);
  button(dialog, "cmdMoveBack")->click();
  EXPECT_FALSE(button(dialog, "cmdOk")->isEnabled());
  button(dialog, "cmdMoveRest")->click();

  button(dialog, "cmdOk")->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  // The current position of the value for each new place; equal texts kept apart.
  EXPECT_EQ(dialog.order, (Order{3, 1, 2, 4}));
  EXPECT_EQ(kRegion->ValueCode.Item(1)->code, "01");  // the dialog reorders nothing
}

TEST(DlgNewValueOrder, CancelReturnsNothingEvenAfterAnEarlierOk) {
  dlgNewValueOrder dialog(*kRegion);
  button(dialog, "cmdMoveRest")->click();
  button(dialog, "cmdOk")->click();
  EXPECT_EQ(dialog.order, (Order{1, 2, 3, 4}));
  for (const bool escape : {false, true}) {
    dialog.show();
    test::decline(dialog, "cmdCancel", escape);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(dialog.order.empty());
  }
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
  button(dialog, "cmdMoveTo")->click();
  EXPECT_EQ(from->count(), 5000);
  button(dialog, "cmdMoveRest")->click();
  button(dialog, "cmdOk")->click();
  ASSERT_EQ(dialog.order.size(), 10000u);
  EXPECT_EQ(dialog.order[1], 3);
  EXPECT_EQ(dialog.order[5000], 2);
  EXPECT_EQ(dialog.order[9999], 10000);
}
