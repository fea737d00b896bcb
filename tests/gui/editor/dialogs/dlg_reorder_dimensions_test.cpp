// The stub and heading reorder dialog: the side's names offered in order, the moves
// between the lists, OK only for a full order, and nothing returned after Cancel.
#include <gtest/gtest.h>

#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <string>
#include <vector>

#include "gui/editor/dialogs/dlg_reorder_dimensions.h"
#include "core/model/vexa_mess.h"
#include "support/list_actions.h"

using namespace zendra;

namespace {

using Names = std::vector<std::string>;

struct Table {
  VexaMess doc;
  Table() {
    for (const char* name : {"Region", "Age", "Sex"}) doc.addDimension(name, 0);
    for (const char* name : {"Year", "Contents"}) doc.addDimension(name, 1);
  }
};

QListWidget* list(dlgReorderDimensions& dialog, const char* name) {
  return dialog.findChild<QListWidget*>(name);
}

QPushButton* button(dlgReorderDimensions& dialog, const char* name) {
  return dialog.findChild<QPushButton*>(name);
}

// Selects rows of a list (and only those).
void select(QListWidget* list, std::initializer_list<int> rows) {
  list->clearSelection();
  for (const int row : rows) list->item(row)->setSelected(true);
}

}  // namespace

TEST(DlgReorderDimensions, OffersTheSidesNamesInOrderWithOkDisabled) {
  Table t;
  for (const auto& [side, names] :
       {std::pair{0, Names{"Region", "Age", "Sex"}}, std::pair{1, Names{"Year", "Contents"}}}) {
    dlgReorderDimensions dialog(t.doc, side);
    EXPECT_EQ(dialog.windowTitle(), "Reorder Stub/heading");
    EXPECT_EQ(test::listTexts(list(dialog, "List1")), names);
    EXPECT_EQ(list(dialog, "List2")->count(), 0);
    EXPECT_FALSE(button(dialog, "cmdOk")->isEnabled());
    EXPECT_TRUE(dialog.order.empty());
  }
}

TEST(DlgReorderDimensions, MovesTheSelectedNamesAndReturnsTheNewOrderOnOk) {
  Table t;
  dlgReorderDimensions dialog(t.doc, 0);
  QListWidget* from = list(dialog, "List1");
  QListWidget* to = list(dialog, "List2");

  select(from, {2, 0});  // moved in list order, not in the order they were picked
  button(dialog, "cmdMoveTo")->click();
  EXPECT_EQ(test::listTexts(from), Names{"Age"});
  EXPECT_EQ(test::listTexts(to), (Names{"Region", "Sex"}));
  EXPECT_FALSE(button(dialog, "cmdOk")->isEnabled());

  select(from, {0});
  button(dialog, "cmdMoveTo")->click();
  EXPECT_TRUE(button(dialog, "cmdOk")->isEnabled());

  select(to, {0});  // back to the end of the first list: the order is incomplete again
  button(dialog, "cmdMoveBack")->click();
  EXPECT_EQ(test::listTexts(from), Names{"Region"});
  EXPECT_EQ(test::listTexts(to), (Names{"Sex", "Age"}));
  EXPECT_FALSE(button(dialog, "cmdOk")->isEnabled());
  dialog.show();
  QTest::keyClick(&dialog, Qt::Key_Return);  // the default button, disabled, takes nothing
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_TRUE(dialog.order.empty());

  select(from, {0});
  button(dialog, "cmdMoveTo")->click();
  button(dialog, "cmdOk")->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.order, (Names{"Sex", "Age", "Region"}));
  EXPECT_EQ(t.doc.colStub.Item(1)->name, "Region");  // the dialog reorders nothing
}

TEST(DlgReorderDimensions, CancelReturnsNothingEvenAfterAnEarlierOk) {
  Table t;
  dlgReorderDimensions dialog(t.doc, 1);
  select(list(dialog, "List1"), {0, 1});
  button(dialog, "cmdMoveTo")->click();
  button(dialog, "cmdOk")->click();
  EXPECT_EQ(dialog.order, (Names{"Year", "Contents"}));

  for (const bool escape : {false, true}) {
    dialog.show();
    test::decline(dialog, "cmdCancel", escape);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(dialog.order.empty());
  }
}
