// Choosing a standard variable of the default data: the first one selected at the start
// with its values shown, OK refused with a message (and the dialog kept open) while
// nothing is chosen or the table already has the name, nothing after Cancel.
#include <gtest/gtest.h>

#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <string>
#include <utility>
#include <vector>

#include "gui/editor/dialogs/dlg_get_standard_var.h"
#include "core/model/prompt.h"
#include "core/model/vexa_mess.h"
#include "support/list_actions.h"

using namespace zendra;

namespace {

QListWidget* list(QDialog& dialog, const char* name) {
  return dialog.findChild<QListWidget*>(name);
}

std::string lines(QListWidget* l) {
  std::string out;
  for (int i = 0; i < l->count(); ++i) out += l->item(i)->text().toStdString() + ";";
  return out;
}

// Standard variables: Län with codes, Kön without.
DimensionDataColl standard() {
  DimensionDataColl out;
  auto lan = DimensionData::create("Län");
  lan->UseCodes = true;
  for (const auto& [code, text] :
       {std::pair{"01", "Stockholms län"}, std::pair{"03", "Uppsala län"}}) {
    auto v = lan->addVal();
    v->code = code;
    v->value = text;
  }
  auto kon = DimensionData::create("Kön");
  kon->addVal()->value = "män";
  kon->addVal()->value = "kvinnor";
  out.Add(lan, lan->name);
  out.Add(kon, kon->name);
  return out;
}

}  // namespace

TEST(DlgGetStandardVar, StartsOnTheFirstVariableAndShowsTheValuesOfTheSelectedOne) {
  const DimensionDataColl vars = standard();
  VexaMess doc;
  ScriptedPrompt prompt;
  dlgGetStandardVar dialog(vars, doc, prompt);
  EXPECT_EQ(dialog.windowTitle(), "Get variable from default data");
  EXPECT_EQ(lines(list(dialog, "lstVariables")), "Län;Kön;");
  EXPECT_EQ(lines(list(dialog, "lstValues")), "01  Stockholms län;03  Uppsala län;");
  list(dialog, "lstVariables")->setCurrentRow(1);
  EXPECT_EQ(lines(list(dialog, "lstValues")), "män;kvinnor;");
  list(dialog, "lstVariables")->clearSelection();
  EXPECT_EQ(lines(list(dialog, "lstValues")), "");

  // No standard variables: nothing selected, nothing shown.
  dlgGetStandardVar none(DimensionDataColl{}, doc, prompt);
  EXPECT_EQ(list(none, "lstVariables")->count(), 0);
  EXPECT_EQ(list(none, "lstValues")->count(), 0);
}

TEST(DlgGetStandardVar, OkCancelAndMessages) {
  enum class Press { Ok, Cancel, Escape };
  struct Case {
    const char* what;
    bool empty;               // no standard variables at all
    int row;                  // row chosen; -1 keeps the first, -2 clears the selection
    const char* docVariable;  // a variable the table already has, or ""
    Press press;
    bool closed;
    const char* chosen;   // name of Dimdata, "" none
    const char* message;  // text shown, "" none
  };
  const std::vector<Case> cases = {
      {"the first, as selected at the start", false, -1, "", Press::Ok, true, "Län", ""},
      {"another chosen", false, 1, "", Press::Ok, true, "Kön", ""},
      {"selection cleared", false, -2, "", Press::Ok, false, "", "Select one variable"},
      {"no standard variables", true, -1, "", Press::Ok, false, "", "Select one variable"},
      // Taking the same standard variable twice: the table has it from the first time.
      {"taken before", false, -1, "LÄN", Press::Ok, false, "", "Variable name in use"},
      {"cancel", false, 1, "", Press::Cancel, true, "", ""},
      {"escape", false, 1, "", Press::Escape, true, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const DimensionDataColl vars = c.empty ? DimensionDataColl{} : standard();
    VexaMess doc;
    if (*c.docVariable) doc.addDimension(c.docVariable, 1);
    ScriptedPrompt prompt;
    dlgGetStandardVar dialog(vars, doc, prompt);
    dialog.show();
    if (c.row >= 0) list(dialog, "lstVariables")->setCurrentRow(c.row);
    if (c.row == -2) list(dialog, "lstVariables")->clearSelection();
    switch (c.press) {
      case Press::Ok:
        dialog.findChild<QPushButton*>("cmdOK")->click();
        break;
      case Press::Cancel:
      case Press::Escape:
        test::decline(dialog, "cmdCancel", c.press == Press::Escape);
        break;
    }
    EXPECT_EQ(dialog.isVisible(), !c.closed);
    EXPECT_EQ(dialog.Dimdata ? dialog.Dimdata->name : "", c.chosen);
    std::string shown;
    for (const auto& q : prompt.asked) shown += q.text + ";";
    EXPECT_EQ(shown, *c.message ? std::string(c.message) + ";" : "");
  }
}

TEST(DlgGetStandardVar, AChoiceOfAnEarlierUseDoesNotOutliveCancel) {
  const DimensionDataColl vars = standard();
  VexaMess doc;
  ScriptedPrompt prompt;
  dlgGetStandardVar dialog(vars, doc, prompt);
  dialog.findChild<QPushButton*>("cmdOK")->click();
  ASSERT_NE(dialog.Dimdata, nullptr);
  dialog.show();
  dialog.findChild<QPushButton*>("cmdCancel")->click();
  EXPECT_EQ(dialog.Dimdata, nullptr);
}
