// The two dialogs that choose a variable to copy, from another table or from the default
// data: the names in order, OK refused with a message (and the dialog kept open) while
// nothing is chosen or the table already has the name, the source's own variable returned
// for the caller to copy, and nothing after Cancel, also when an earlier use chose one.
#include <gtest/gtest.h>

#include <QListWidget>
#include <string>

#include "core/model/vexa_mess.h"
#include "gui/editor/dialogs/dlg_add_var_from_vq.h"
#include "gui/editor/dialogs/dlg_get_standard_var.h"
#include "support/editor_dialogs.h"
#include "support/list_actions.h"
#include "support/tables.h"

using namespace zendra;
using test::press;

namespace {

// Län with codes, Kön without, år without values.
DimensionDataColl variables() {
  VexaMess source;
  test::addVariable(source, "Län", 0, {"Stockholms län", "Uppsala län"}, {"01", "03"});
  test::addVariable(source, "Kön", 0, {"män", "kvinnor"});
  test::addVariable(source, "år", 1, {});
  return source.Dimensions;
}

QListWidget* list(QDialog& dialog, const char* name = "lstVariables") {
  return dialog.findChild<QListWidget*>(name);
}

template <typename Dialog>
void checkChoices() {
  struct Case {
    const char* what;
    int row;                  // selected row, -1 none
    const char* docVariable;  // a variable the table already has, or ""
    const char* close;        // the button pressed, or "double click"
    const char* chosen;       // name of Dimdata, "" none
    const char* message;      // texts shown
  };
  const Case cases[] = {
      {"nothing chosen", -1, "", "cmdOK", "", "Select one variable;"},
      {"chosen", 1, "", "cmdOK", "Kön", ""},
      {"double click chooses", 2, "", "double click", "år", ""},
      // Taking the same variable twice: the table has it from the first time.
      {"name in use, other case", 0, "LÄN", "cmdOK", "", "Variable name in use;"},
      {"name in use, another chosen", 1, "län", "cmdOK", "Kön", ""},
      {"cancel after a choice", 1, "", "cmdCancel", "", ""},
  };
  const DimensionDataColl vars = variables();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    VexaMess doc;
    if (*c.docVariable) doc.addDimension(c.docVariable, 0);
    ScriptedPrompt prompt;
    Dialog dialog(vars, doc, prompt);
    EXPECT_EQ(test::listTexts(list(dialog)), (std::vector<std::string>{"Län", "Kön", "år"}));
    if (!*c.chosen && !*c.message) {  // an earlier use's choice must not outlive Cancel
      list(dialog)->setCurrentRow(0);
      press(dialog, "cmdOK");
      ASSERT_NE(dialog.Dimdata, nullptr);
    }
    dialog.show();
    list(dialog)->clearSelection();
    if (c.row >= 0) list(dialog)->setCurrentRow(c.row);
    if (c.close[0] == 'd') {
      ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
      test::doubleClickRow(list(dialog), c.row);
    } else {
      press(dialog, c.close);
    }
    EXPECT_EQ(dialog.isVisible(), *c.message != 0);
    // The source's own object: the caller makes the copy it places.
    EXPECT_EQ(dialog.Dimdata, *c.chosen ? vars.Item(c.row + 1) : DimensionRef());
    EXPECT_EQ(test::shown(prompt), c.message);
  }
}

}  // namespace

TEST(VariableChoiceDialogs, FromAnotherTable) {
  checkChoices<dlgAddVarFromVq>();
}

TEST(VariableChoiceDialogs, FromTheDefaultData) {
  checkChoices<dlgGetStandardVar>();
}

TEST(DlgGetStandardVar, StartsOnTheFirstVariableAndShowsTheValuesOfTheSelectedOne) {
  const DimensionDataColl vars = variables();
  VexaMess doc;
  ScriptedPrompt prompt;
  dlgGetStandardVar dialog(vars, doc, prompt);
  EXPECT_EQ(test::items(list(dialog, "lstValues")),
            (QStringList{"01  Stockholms län", "03  Uppsala län"}));
  list(dialog)->setCurrentRow(1);
  EXPECT_EQ(test::items(list(dialog, "lstValues")), (QStringList{"män", "kvinnor"}));
  list(dialog)->clearSelection();
  EXPECT_EQ(list(dialog, "lstValues")->count(), 0);
}
