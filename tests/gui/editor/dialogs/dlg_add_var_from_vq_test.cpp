// Choosing a variable of another table: the names in order, OK refused with a message
// (and the dialog kept open) while nothing is chosen or the table already has the name,
// the other table's variable returned for the caller to copy, nothing after Cancel.
#include <gtest/gtest.h>

#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <string>
#include <vector>

#include "gui/editor/dialogs/dlg_add_var_from_vq.h"
#include "core/model/prompt.h"
#include "core/model/vexa_mess.h"
#include "support/list_actions.h"

using namespace zendra;

namespace {

QListWidget* variables(QDialog& dialog) {
  return dialog.findChild<QListWidget*>("lstVariables");
}

// The other table: stub region, heading kön and år.
struct Source {
  Source() {
    doc.addDimension("region", 0);
    doc.addDimension("kön", 1);
    doc.addDimension("år", 1);
  }
  VexaMess doc;
};

}  // namespace

TEST(DlgAddVarFromVq, ListsTheOtherTablesVariablesStubFirst) {
  Source source;
  VexaMess doc;
  ScriptedPrompt prompt;
  dlgAddVarFromVq dialog(source.doc.Dimensions, doc, prompt);
  EXPECT_EQ(dialog.windowTitle(), "Add variable from another VQ-file");
  QListWidget* list = variables(dialog);
  ASSERT_EQ(list->count(), 3);
  EXPECT_EQ(list->item(0)->text(), "region");
  EXPECT_EQ(list->item(1)->text(), "kön");
  EXPECT_EQ(list->item(2)->text(), "år");
  EXPECT_EQ(dialog.Dimdata, nullptr);
}

TEST(DlgAddVarFromVq, OkCancelAndMessages) {
  enum class Press { Ok, DoubleClick, Cancel, Escape };
  struct Case {
    const char* what;
    int row;                  // selected row, -1 none
    const char* docVariable;  // a variable the table already has, or ""
    Press press;
    bool closed;
    const char* chosen;   // name of Dimdata, "" none
    const char* message;  // text shown, "" none
  };
  const std::vector<Case> cases = {
      {"nothing chosen", -1, "", Press::Ok, false, "", "Select one variable"},
      {"chosen", 1, "", Press::Ok, true, "kön", ""},
      {"double click chooses", 2, "", Press::DoubleClick, true, "år", ""},
      {"name in use, other case", 0, "REGION", Press::Ok, false, "", "Variable name in use"},
      {"name in use, another chosen", 1, "region", Press::Ok, true, "kön", ""},
      {"cancel after a choice", 1, "", Press::Cancel, true, "", ""},
      {"escape after a choice", 1, "", Press::Escape, true, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Source source;
    VexaMess doc;
    if (*c.docVariable) doc.addDimension(c.docVariable, 0);
    ScriptedPrompt prompt;
    dlgAddVarFromVq dialog(source.doc.Dimensions, doc, prompt);
    dialog.show();
    QListWidget* list = variables(dialog);
    if (c.row >= 0) list->setCurrentRow(c.row);
    switch (c.press) {
      case Press::Ok:
        dialog.findChild<QPushButton*>("cmdOK")->click();
        break;
      case Press::Cancel:
      case Press::Escape:
        test::decline(dialog, "cmdCancel", c.press == Press::Escape);
        break;
      case Press::DoubleClick: {
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        test::doubleClickRow(list, c.row);
        break;
      }
    }
    EXPECT_EQ(dialog.isVisible(), !c.closed);
    EXPECT_EQ(dialog.Dimdata ? dialog.Dimdata->name : "", c.chosen);
    // The other table's own object: the caller makes the copy it places.
    if (*c.chosen) {
      EXPECT_EQ(dialog.Dimdata, source.doc.Dimensions.Item(c.row + 1));
    }
    std::string shown;
    for (const auto& q : prompt.asked) shown += q.text + ";";
    EXPECT_EQ(shown, *c.message ? std::string(c.message) + ";" : "");
  }
}

TEST(DlgAddVarFromVq, AChoiceOfAnEarlierUseDoesNotOutliveCancel) {
  Source source;
  VexaMess doc;
  ScriptedPrompt prompt;
  dlgAddVarFromVq dialog(source.doc.Dimensions, doc, prompt);
  variables(dialog)->setCurrentRow(0);
  dialog.findChild<QPushButton*>("cmdOK")->click();
  ASSERT_NE(dialog.Dimdata, nullptr);
  dialog.show();
  dialog.findChild<QPushButton*>("cmdCancel")->click();
  EXPECT_EQ(dialog.Dimdata, nullptr);
}
