// The stub and heading reorder dialog: the side's names offered in order, the moves
// between the lists, OK only for a full order, and nothing returned after Cancel.
#include <gtest/gtest.h>

#include <QListWidget>
#include <string>
#include <vector>

#include "core/model/vexa_mess.h"
#include "gui/editor/dialogs/dlg_reorder_dimensions.h"
#include "support/editor_dialogs.h"
#include "support/list_actions.h"

using namespace zendra;
using test::listTexts;
using test::press;

namespace {

using Names = std::vector<std::string>;

struct Table {
  VexaMess doc;
  Table() {
    for (const char* name : {"Region", "Age", "Sex"}) doc.addDimension(name, 0);
    for (const char* name : {"Year", "Contents"}) doc.addDimension(name, 1);
  }
};

// Selects rows of the dialog's list (and only those) and presses the button.
QListWidget* move(QDialog& dialog, const char* list, std::initializer_list<int> rows,
                  const char* button) {
  auto* from = dialog.findChild<QListWidget*>(list);
  from->clearSelection();
  for (const int row : rows) from->item(row)->setSelected(true);
  press(dialog, button);
  return from;
}

bool okEnabled(QDialog& dialog) {
  return dialog.findChild<QPushButton*>("cmdOk")->isEnabled();
}

}  // namespace

TEST(DlgReorderDimensions, MovesTheSelectedNamesAndReturnsTheNewOrderOnOk) {
  Table t;
  dlgReorderDimensions heading(t.doc, 1);
  EXPECT_EQ(listTexts(heading.findChild<QListWidget*>("List1")), (Names{"Year", "Contents"}));

  dlgReorderDimensions dialog(t.doc, 0);
  auto* to = dialog.findChild<QListWidget*>("List2");
  // Moved in list order, not in the order they were picked.
  QListWidget* from = move(dialog, "List1", {2, 0}, "cmdMoveTo");
  EXPECT_EQ(listTexts(to), (Names{"Region", "Sex"}));
  move(dialog, "List1", {0}, "cmdMoveTo");
  EXPECT_TRUE(okEnabled(dialog));
  move(dialog, "List2", {0}, "cmdMoveBack");  // to the end of the first list: incomplete again
  EXPECT_EQ(listTexts(from), Names{"Region"});
  EXPECT_FALSE(okEnabled(dialog));
  dialog.show();
  QTest::keyClick(&dialog, Qt::Key_Return);  // the default button, disabled, takes nothing
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_TRUE(dialog.order.empty());

  move(dialog, "List1", {0}, "cmdMoveTo");
  press(dialog, "cmdOk");
  EXPECT_EQ(dialog.order, (Names{"Sex", "Age", "Region"}));
  dialog.show();  // shown again, an earlier OK's order does not survive Escape
  press(dialog, "Escape");
  EXPECT_TRUE(dialog.order.empty());
}
