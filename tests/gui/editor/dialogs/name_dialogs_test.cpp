// The dialogs that take a variable's name: the one-valued variable, the rename and the
// source chooser for a new variable. The checks of name (and value) in their order, the
// results after OK, a refusal that keeps the dialog open, the options shown by the
// sources there are, and no answer outliving Cancel or an earlier use.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QRadioButton>
#include <string>
#include <vector>

#include "core/model/vexa_mess.h"
#include "gui/editor/dialogs/dlg_add_dimension.h"
#include "gui/editor/dialogs/dlg_new_dimension.h"
#include "gui/editor/dialogs/dlg_rename_dim.h"
#include "support/editor_dialogs.h"

using namespace zendra;
using test::press;

namespace {

// A table with Region and Age in the stub and Sex in the heading.
struct Table {
  VexaMess doc;
  Table() {
    doc.addDimension("Region", 0);
    doc.addDimension("Age", 0);
    doc.addDimension("Sex", 1);
  }
};

// Types name, code and value into their boxes as a user does.
void type(dlgAddDimension& dialog, const char* name, const char* code, const char* value) {
  for (const auto& [box, text] :
       {std::pair{"txtDimName", name}, std::pair{"txtCode", code}, std::pair{"txtValue", value}}) {
    dialog.findChild<QLineEdit*>(box)->clear();
    QTest::keyClicks(dialog.findChild<QLineEdit*>(box), text);
  }
}

void type(dlgRenameDim& dialog, const char* text) {
  dialog.findChild<QLineEdit*>("Text1")->setText(text);
}

using Sources = dlgNewDimension::Sources;

const Sources kAllSources = {"people.vq", "Census", true};

QRadioButton* option(dlgNewDimension& dialog, int index) {
  return dialog.findChild<QRadioButton*>("Option1_" + QString::number(index));
}
QLineEdit* nameBox(dlgNewDimension& dialog) {
  return dialog.findChild<QLineEdit*>("Text1");
}

}  // namespace

// The name rules themselves are the steps' (variable_commands_test); here the dialogs'
// order of checks and what they leave open. Each case is followed by a name that is taken, and by a
// new showing closed by Cancel (or Escape, after a refusal): no answer is left behind.
TEST(DlgAddDimension, OkChecksNameThenValueAndGivesWhatWasTyped) {
  struct Case {
    const char *name, *code, *value, *message, *given;  // given: name|code|value after OK
  };
  const Case cases[] = {
      {"Year", "2024", "2024", "", "Year|2024|2024"},
      {"  Year\t", "", " All years", "", "Year|| All years"},  // no code needed
      {" region ", "1", "", "Variable name in use;", "||"},    // the name is checked first
      {"   ", "1", "North", "Name must be given;", "||"},
      {"Year", "2024", "  ", "Value must be given;", "||"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Table t;
    ScriptedPrompt prompt;
    dlgAddDimension dialog(t.doc, prompt);
    dialog.show();
    type(dialog, c.name, c.code, c.value);
    press(dialog, "cmdOK");
    EXPECT_EQ(test::shown(prompt), c.message);
    EXPECT_EQ(dialog.isVisible(), *c.message != 0);  // a refusal leaves it open
    EXPECT_EQ(dialog.RetCode, *c.message ? 0 : 1);
    EXPECT_EQ(dialog.name + "|" + dialog.code + "|" + dialog.value, c.given);
    EXPECT_EQ(t.doc.Dimensions.Count(), 3);  // the dialog adds nothing itself
    type(dialog, "Year", "1", "2024");
    press(dialog, "cmdOK");
    ASSERT_EQ(dialog.RetCode, 1);
    dialog.show();
    EXPECT_EQ(dialog.RetCode, 0);
    EXPECT_EQ(dialog.name + dialog.code + dialog.value, "");
    press(dialog, *c.message ? "Escape" : "cmdCancel");
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(dialog.RetCode + dialog.name.size(), 0u);
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
      {" Region  ", "", "Variable name in use;"},
      {"age", "", "Variable name in use;"},  // another's name, case aside
      {"   ", "", "Name must be given;"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    Table t;
    ScriptedPrompt prompt;
    dlgRenameDim dialog(t.doc, "Region", prompt);
    EXPECT_EQ(dialog.findChild<QLineEdit*>("Text1")->text(), "Region");
    dialog.show();
    type(dialog, c.typed);
    press(dialog, "cmdOK");
    EXPECT_EQ(test::shown(prompt), c.message);
    EXPECT_EQ(dialog.isVisible(), *c.message != 0);  // the user may type again
    EXPECT_EQ(dialog.returncode, *c.message ? -1 : 0);
    EXPECT_EQ(dialog.name, c.name);
    EXPECT_EQ(t.doc.Get_Dimension("Region")->name, "Region");  // the dialog renames nothing
    // A refused name mended; shown again, the result does not survive Cancel or Escape.
    type(dialog, "Area2");
    press(dialog, "cmdOK");
    EXPECT_EQ(dialog.name, "Area2");
    dialog.show();
    type(dialog, "Other");
    press(dialog, *c.message ? "Escape" : "Command2");
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(dialog.returncode, -1);
    EXPECT_EQ(dialog.name, "");
  }
}

TEST(DlgNewDimension, ShowsAnOptionOnlyWhenItsSourceIsThereAndEachUseStartsAfresh) {
  struct Case {
    Sources sources;
    QString shown;  // the captions of the options shown, "|" after each
  };
  // A database can always be chosen.
  const Case cases[] = {
      {{}, "File|Database|Name|"},
      {kAllSources, "File|Database|Default|Name|From people.vq|From Census|"},
      {{"a.vq", "", true}, "File|Database|Default|Name|From a.vq|"},
  };
  const QString kinds[] = {"File", "Database", "Default", "Name"};
  for (const Case& c : cases) {
    Table table;
    ScriptedPrompt prompt;
    dlgNewDimension dialog(table.doc, c.sources, prompt);
    // An answer read by the caller, or one cancelled, does not carry over into the next use.
    for (const std::string close : {"cmdOK", "cmdCancel", "Escape"}) {
      SCOPED_TRACE(c.shown.toStdString() + " " + close);
      dialog.show();
      QString shown;
      for (int i = 0; i < 6; ++i) {
        EXPECT_FALSE(option(dialog, i)->isChecked());
        if (!option(dialog, i)->isHidden()) {
          shown += (i < 4 ? kinds[i] : option(dialog, i)->text()) + "|";
        }
      }
      EXPECT_EQ(shown, c.shown);
      EXPECT_TRUE(nameBox(dialog)->text().isEmpty() && nameBox(dialog)->isHidden());
      EXPECT_EQ(dialog.returncode, dlgNewDimension::kCancelled);
      press(dialog, "cmdOK");  // disabled: nothing chosen
      EXPECT_TRUE(dialog.isVisible());
      option(dialog, 3)->click();
      QTest::keyClicks(nameBox(dialog), "Age2");
      press(dialog, close.c_str());
      EXPECT_EQ(dialog.returncode,
                close == "cmdOK" ? dlgNewDimension::kNewByName : dlgNewDimension::kCancelled);
      EXPECT_EQ(dialog.name, close == "cmdOK" ? "Age2" : "");
    }
  }
}

TEST(DlgNewDimension, OkGivesTheChosenSourceOrRefusesTheNameAndStaysOpen) {
  struct Case {
    std::vector<int> clicks;  // options, in order
    const char* typed;        // into Text1 after the clicks, or none
    std::int16_t returncode;  // after OK; the dialog stays open on a message
    std::string name;
    std::string message;
  };
  const Case cases[] = {
      {{0}, nullptr, 1, "", ""},
      {{1}, nullptr, 2, "", ""},
      {{2}, nullptr, 3, "", ""},
      {{4}, nullptr, 5, "", ""},
      {{5}, nullptr, 6, "", ""},
      {{3}, "  Area ", 0, "Area", ""},
      {{3}, nullptr, 0, "", "You must give a name;"},
      {{3}, "   ", 0, "", "You must give a name;"},
      {{3}, " REGION", 0, "", "Variable name in use;"},
      // A source chosen before "Enter name of New" does not act when no name is typed.
      {{0, 3}, nullptr, 0, "", "You must give a name;"},
      // A name typed and then another source: the source counts, not the name.
      {{3, 0}, nullptr, 1, "", ""},
  };
  int number = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(number++);
    Table table;
    ScriptedPrompt prompt;
    dlgNewDimension dialog(table.doc, kAllSources, prompt);
    dialog.show();
    for (std::size_t k = 0; k < c.clicks.size(); ++k) {
      option(dialog, c.clicks[k])->click();
      // A name typed before another option is chosen.
      if (c.clicks[k] == 3 && k + 1 < c.clicks.size()) QTest::keyClicks(nameBox(dialog), "Age");
    }
    if (c.typed) QTest::keyClicks(nameBox(dialog), c.typed);
    press(dialog, "cmdOK");
    EXPECT_EQ(dialog.returncode, c.returncode);
    EXPECT_EQ(dialog.name, c.name);
    EXPECT_EQ(test::shown(prompt), c.message);
    EXPECT_EQ(dialog.isVisible(), !c.message.empty());
    EXPECT_EQ(!nameBox(dialog)->isHidden(), c.clicks.back() == 3);
    EXPECT_EQ(dialog.result() == QDialog::Accepted, c.message.empty());
  }
}
