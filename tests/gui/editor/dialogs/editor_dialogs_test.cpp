// The editor's dialogs, driven as a user drives them: the fill dialog, the stub and heading
// and the value reorder dialogs, the dialogs that take a variable's name and the two that
// choose a variable to copy. None changes the table: each returns a choice, checks what
// was typed or chosen in its own order with a refusal that keeps it open, and leaves no
// answer behind for its next showing, after Cancel or an earlier use.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <cstring>
#include <string>
#include <vector>

#include "core/model/prompt.h"
#include "core/model/vexa_mess.h"
#include "gui/editor/dialogs/dlg_add_dimension.h"
#include "gui/editor/dialogs/dlg_add_var_from_vq.h"
#include "gui/editor/dialogs/dlg_fill_empty.h"
#include "gui/editor/dialogs/dlg_get_standard_var.h"
#include "gui/editor/dialogs/dlg_new_dimension.h"
#include "gui/editor/dialogs/dlg_rename_dim.h"
#include "gui/editor/dialogs/dlg_reorder_dimensions.h"
#include "gui/shared/dlg_new_value_order.h"
#include "support/list_actions.h"
#include "support/tables.h"

using namespace zendra;
using test::listTexts;
using Names = std::vector<std::string>;

namespace {

// Region, Age and Sex in the stub, Year and Contents in the heading.
struct Table {
  VexaMess doc;
  Table() {
    for (const char* name : {"Region", "Age", "Sex"}) doc.addDimension(name, 0);
    for (const char* name : {"Year", "Contents"}) doc.addDimension(name, 1);
  }
};

// Clicks the dialog's button of this name; "Escape" presses the Escape key instead.
void press(QWidget& dialog, const char* button) {
  if (std::strcmp(button, "Escape") == 0) return QTest::keyClick(&dialog, Qt::Key_Escape);
  auto* widget = dialog.findChild<QPushButton*>(button);
  ASSERT_TRUE(widget) << button;
  widget->click();
}

// Every text the prompt was shown, each followed by ";".
std::string shown(const ScriptedPrompt& prompt) {
  std::string out;
  for (const auto& question : prompt.asked) out += question.text + ";";
  return out;
}

void type(QDialog& dialog, const char* box, const char* text) {
  dialog.findChild<QLineEdit*>(box)->setText(text);
}

QListWidget* list(QDialog& dialog, const char* name) {
  return dialog.findChild<QListWidget*>(name);
}

// Selects rows of the dialog's list (and only those) and presses the button.
QListWidget* move(QDialog& dialog, const char* name, std::initializer_list<int> rows,
                  const char* button) {
  QListWidget* from = list(dialog, name);
  from->clearSelection();
  for (const int row : rows) from->item(row)->setSelected(true);
  press(dialog, button);
  return from;
}

bool okEnabled(QDialog& dialog) {
  return dialog.findChild<QPushButton*>("cmdOk")->isEnabled();
}

QRadioButton* option(QDialog& dialog, int index) {
  return dialog.findChild<QRadioButton*>("Option1_" + QString::number(index));
}

}  // namespace

TEST(DlgFillEmpty, StartsFromWhatTheCheckFoundAndGivesTheChosenSymbol) {
  // Only invalid cells: "Fill empty cells" unticked and disabled. "Fill invalid" starts off.
  dlgFillEmpty invalid(false, true);
  EXPECT_FALSE(invalid.findChild<QCheckBox*>("Check1")->isChecked());
  EXPECT_FALSE(invalid.findChild<QCheckBox*>("Check1")->isEnabled());
  EXPECT_FALSE(invalid.findChild<QCheckBox*>("Check2")->isChecked());
  EXPECT_TRUE(invalid.findChild<QCheckBox*>("Check2")->isEnabled());
  // Each option gives its symbol; OK needs a tick, and Cancel gives 0.
  const char* symbols[] = {".", "..", "-", "0"};
  for (int id = 0; id < 4; ++id) {
    SCOPED_TRACE(id);
    dlgFillEmpty dialog(true, false);
    option(dialog, id)->click();
    if (id == 1) dialog.findChild<QCheckBox*>("Check1")->click();
    press(dialog, id == 2 ? "cmdCancel" : "cmdOk");
    EXPECT_EQ(dialog.Fill, symbols[id]);
    EXPECT_EQ(dialog.RetCode, id == 0 || id == 3 ? 1 : 0);
  }
}

TEST(DlgReorderDimensions, MovesTheSelectedNamesAndReturnsTheNewOrderOnOk) {
  Table t;
  dlgReorderDimensions dialog(t.doc, 0);
  // Moved in list order, not in the order they were picked.
  QListWidget* from = move(dialog, "List1", {2, 0}, "cmdMoveTo");
  EXPECT_EQ(listTexts(list(dialog, "List2")), (Names{"Region", "Sex"}));
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

TEST(DlgNewValueOrder, DoubleClicksArrowsAndMoveRestBuildTheOrderAndTenThousandMoveAtOnce) {
  // Two values share a text: they stay apart by position.
  VexaMess doc;
  const DimensionRef region = test::addVariable(
      doc, "Region", 0, {"Stockholm", "Uppsala", "Other", "Other"}, {"01", "03", "04", "05"});
  dlgNewValueOrder dialog(*region);
  QListWidget* from = list(dialog, "List1");
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  test::doubleClickRow(from, 3);                   // "05  Other"
  test::doubleClickRow(from, 1);                   // "03  Uppsala"
  test::doubleClickRow(list(dialog, "List2"), 1);  // back to the end of the first list
  EXPECT_EQ(listTexts(from), (Names{"01  Stockholm", "04  Other", "03  Uppsala"}));
  move(dialog, "List1", {1}, "cmdMoveTo");
  EXPECT_FALSE(okEnabled(dialog));
  press(dialog, "cmdMoveRest");
  press(dialog, "cmdOk");
  // The current position of the value for each new place; equal texts kept apart.
  EXPECT_EQ(dialog.order, (std::vector<std::int32_t>{4, 3, 1, 2}));
  dialog.show();  // shown again, an earlier OK's order does not survive Cancel
  press(dialog, "cmdCancel");
  EXPECT_TRUE(dialog.order.empty());

  const DimensionRef empty = DimensionData::create("Empty");  // nothing to order, no OK
  dlgNewValueOrder none(*empty);
  press(none, "cmdMoveRest");
  EXPECT_FALSE(okEnabled(none));

  // Ten thousand values move at once.
  DimensionRef many = DimensionData::create("Many");
  for (int i = 0; i < 10000; ++i) many->addVal()->value = "Value " + std::to_string(i);
  dlgNewValueOrder large(*many);
  // Rows of one height: the lists do not measure every row when they are refilled.
  EXPECT_TRUE(list(large, "List1")->uniformItemSizes());
  press(large, "cmdMoveRest");
  press(large, "cmdOk");
  ASSERT_EQ(large.order.size(), 10000u);
  EXPECT_EQ(large.order[9999], 10000);
}

// The name rules themselves are the steps' (variable_commands_test); here the dialogs'
// order of checks, what they leave open, and no answer left behind for the next showing.
TEST(DlgAddDimension, OkChecksNameThenValueAndGivesWhatWasTyped) {
  struct Case {
    const char *name, *code, *value, *message, *given;  // given: name|code|value after OK
  };
  const Case cases[] = {
      {"  Area\t", "", " All areas", "", "Area|| All areas"},  // no code needed
      {" region ", "1", "", "Variable name in use;", "||"},    // the name is checked first
      {"Area", "2024", "  ", "Value must be given;", "||"},
  };
  Table t;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedPrompt prompt;
    dlgAddDimension dialog(t.doc, prompt);
    dialog.show();
    type(dialog, "txtDimName", c.name);
    type(dialog, "txtCode", c.code);
    type(dialog, "txtValue", c.value);
    press(dialog, "cmdOK");
    EXPECT_EQ(shown(prompt), c.message);
    EXPECT_EQ(dialog.isVisible(), *c.message != 0);  // a refusal leaves it open
    EXPECT_EQ(dialog.RetCode, *c.message ? 0 : 1);
    EXPECT_EQ(dialog.name + "|" + dialog.code + "|" + dialog.value, c.given);
    if (*c.message) continue;
    dialog.show();  // an earlier OK's answer does not outlive a new showing
    EXPECT_EQ(dialog.RetCode, 0);
    EXPECT_EQ(dialog.name + dialog.code + dialog.value, "");
  }
}

TEST(DlgRenameDim, OkTakesAFreeNameAndRefusesOthersWithTheirMessage) {
  struct Case {
    const char* typed;
    const char* name;     // returned; empty when refused
    const char* message;  // shown; empty when taken
  };
  const Case cases[] = {
      {"  Area ", "Area", ""},                  // surrounding blanks are no part of it
      {"REGION", "REGION", ""},                 // a change of letter case alone
      {"Region", "", "Variable name in use;"},  // the name unchanged
  };
  Table t;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    ScriptedPrompt prompt;
    dlgRenameDim dialog(t.doc, "Region", prompt);
    dialog.show();
    type(dialog, "Text1", c.typed);
    press(dialog, "cmdOK");
    EXPECT_EQ(shown(prompt), c.message);
    EXPECT_EQ(dialog.isVisible(), *c.message != 0);  // the user may type again
    EXPECT_EQ(dialog.returncode, *c.message ? -1 : 0);
    EXPECT_EQ(dialog.name, c.name);
    // Shown again, the result does not survive Escape.
    dialog.show();
    press(dialog, "Escape");
    EXPECT_EQ(dialog.name, "");
  }
}

// One dialog through every case: each showing starts afresh, with nothing chosen, no
// answer, the name box hidden and empty, and OK disabled.
TEST(DlgNewDimension, OffersItsSourcesGivesTheChosenOneOrRefusesTheNameAndStaysOpen) {
  Table table;
  ScriptedPrompt prompt;
  // A database can always be chosen; the last file and database show by their names.
  const auto offered = [](dlgNewDimension& dialog) {
    const QString kinds[] = {"File", "Database", "Default", "Name"};
    QString out;
    for (int i = 0; i < 6; ++i) {
      if (!option(dialog, i)->isHidden()) {
        out += (i < 4 ? kinds[i] : option(dialog, i)->text()) + "|";
      }
    }
    return out;
  };
  dlgNewDimension none(table.doc, {}, prompt);
  EXPECT_EQ(offered(none), "File|Database|Name|");
  dlgNewDimension dialog(table.doc, {"people.vq", "Census", true}, prompt);
  EXPECT_EQ(offered(dialog), "File|Database|Default|Name|From people.vq|From Census|");
  auto* name = dialog.findChild<QLineEdit*>("Text1");
  struct Case {
    std::vector<int> clicks;  // options, in order
    const char* typed;        // into the name box after the clicks
    std::int16_t returncode;  // after OK; the dialog stays open on a message
    std::string name;
    std::string message;
  };
  const Case cases[] = {
      {{1}, "", 2, "", ""},
      {{5}, "", 6, "", ""},
      {{3}, "  Area ", 0, "Area", ""},
      {{3}, "   ", 0, "", "You must give a name;"},
      {{3}, " REGION", 0, "", "Variable name in use;"},
      // A source chosen before "Enter name of New" does not act when no name is typed.
      {{0, 3}, "", 0, "", "You must give a name;"},
      // A name typed and then another source: the source counts, not the name.
      {{3, 0}, "", 1, "", ""},
  };
  int number = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(number++);
    prompt.asked.clear();
    dialog.show();
    for (int i = 0; i < 6; ++i) EXPECT_FALSE(option(dialog, i)->isChecked());
    EXPECT_TRUE(name->text().isEmpty() && name->isHidden());
    EXPECT_EQ(dialog.returncode, dlgNewDimension::kCancelled);
    press(dialog, "cmdOK");  // disabled: nothing chosen
    EXPECT_TRUE(dialog.isVisible());
    for (const int click : c.clicks) {
      option(dialog, click)->click();
      if (click == 3 && click != c.clicks.back()) QTest::keyClicks(name, "Age");
    }
    QTest::keyClicks(name, c.typed);
    press(dialog, "cmdOK");
    EXPECT_EQ(dialog.returncode, c.returncode);
    EXPECT_EQ(dialog.name, c.name);
    EXPECT_EQ(shown(prompt), c.message);
    EXPECT_EQ(dialog.isVisible(), !c.message.empty());
    if (c.message.empty()) continue;  // the answer stays for the caller until the next showing
    press(dialog, "cmdCancel");
    EXPECT_EQ(dialog.returncode, dlgNewDimension::kCancelled);
  }
}

// The two dialogs that choose a variable to copy, from another table or from the default
// data: Län with codes, Kön without, år without values. The source's own variable is
// returned, for the caller to place a copy.
template <typename Dialog>
void checkChoices() {
  VexaMess source;
  test::addVariable(source, "Län", 0, {"Stockholms län", "Uppsala län"}, {"01", "03"});
  test::addVariable(source, "Kön", 0, {"män", "kvinnor"});
  test::addVariable(source, "år", 1, {});
  const DimensionDataColl& vars = source.Dimensions;
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
      {"cancel after a choice", 1, "", "cmdCancel", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(Dialog::staticMetaObject.className()) + ": " + c.what);
    VexaMess doc;
    if (*c.docVariable) doc.addDimension(c.docVariable, 0);
    ScriptedPrompt prompt;
    Dialog dialog(vars, doc, prompt);
    QListWidget* names = list(dialog, "lstVariables");
    EXPECT_EQ(listTexts(names), (Names{"Län", "Kön", "år"}));
    if (!*c.chosen && !*c.message) {  // an earlier use's choice must not outlive Cancel
      names->setCurrentRow(0);
      press(dialog, "cmdOK");
      ASSERT_NE(dialog.Dimdata, nullptr);
    }
    dialog.show();
    names->clearSelection();
    if (c.row >= 0) names->setCurrentRow(c.row);
    if (c.close[0] == 'd') {
      ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
      test::doubleClickRow(names, c.row);
    } else {
      press(dialog, c.close);
    }
    EXPECT_EQ(dialog.isVisible(), *c.message != 0);
    EXPECT_EQ(dialog.Dimdata, *c.chosen ? vars.Item(c.row + 1) : DimensionRef());
    EXPECT_EQ(shown(prompt), c.message);
  }
  if constexpr (std::is_same_v<Dialog, dlgGetStandardVar>) {
    // The default data's dialog starts on the first variable and shows the selected one's
    // values, with their codes where it has them.
    ScriptedPrompt prompt;
    Dialog dialog(vars, source, prompt);
    EXPECT_EQ(test::items(list(dialog, "lstValues")),
              (QStringList{"01  Stockholms län", "03  Uppsala län"}));
    list(dialog, "lstVariables")->setCurrentRow(1);
    EXPECT_EQ(test::items(list(dialog, "lstValues")), (QStringList{"män", "kvinnor"}));
    list(dialog, "lstVariables")->clearSelection();
    EXPECT_EQ(list(dialog, "lstValues")->count(), 0);
  }
}

TEST(VariableChoiceDialogs, FromAnotherTableAndFromTheDefaultData) {
  checkChoices<dlgAddVarFromVq>();
  checkChoices<dlgGetStandardVar>();
}
