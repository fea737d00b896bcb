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

void type(QDialog& dialog, const char* box, const char* text) {
  dialog.findChild<QLineEdit*>(box)->setText(text);
}

using Sources = dlgNewDimension::Sources;

QRadioButton* option(dlgNewDimension& dialog, int index) {
  return dialog.findChild<QRadioButton*>("Option1_" + QString::number(index));
}
QLineEdit* nameBox(dlgNewDimension& dialog) {
  return dialog.findChild<QLineEdit*>("Text1");
}

}  // namespace

// The name rules themselves are the steps' (variable_commands_test); here the dialogs'
// order of checks, what they leave open, and no answer left behind for the next showing.
TEST(DlgAddDimension, OkChecksNameThenValueAndGivesWhatWasTyped) {
  struct Case {
    const char *name, *code, *value, *message, *given;  // given: name|code|value after OK
  };
  const Case cases[] = {
      {"  Year\t", "", " All years", "", "Year|| All years"},  // no code needed
      {" region ", "1", "", "Variable name in use;", "||"},    // the name is checked first
      {"   ", "1", "North", "Name must be given;", "||"},
      {"Year", "2024", "  ", "Value must be given;", "||"},
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
    EXPECT_EQ(test::shown(prompt), c.message);
    EXPECT_EQ(dialog.isVisible(), *c.message != 0);  // a refusal leaves it open
    EXPECT_EQ(dialog.RetCode, *c.message ? 0 : 1);
    EXPECT_EQ(dialog.name + "|" + dialog.code + "|" + dialog.value, c.given);
    if (*c.message) continue;
    dialog.show();  // an earlier OK's answer does not outlive a new showing and Cancel
    EXPECT_EQ(dialog.RetCode, 0);
    EXPECT_EQ(dialog.name + dialog.code + dialog.value, "");
    type(dialog, "txtValue", "x");
    press(dialog, "cmdCancel");
    EXPECT_EQ(dialog.RetCode + dialog.value.size(), 0u);
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
      {"age", "", "Variable name in use;"},     // another's name, case aside
      {"   ", "", "Name must be given;"},
  };
  Table t;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    ScriptedPrompt prompt;
    dlgRenameDim dialog(t.doc, "Region", prompt);
    dialog.show();
    type(dialog, "Text1", c.typed);
    press(dialog, "cmdOK");
    EXPECT_EQ(test::shown(prompt), c.message);
    EXPECT_EQ(dialog.isVisible(), *c.message != 0);  // the user may type again
    EXPECT_EQ(dialog.returncode, *c.message ? -1 : 0);
    EXPECT_EQ(dialog.name, c.name);
    // Shown again, the result does not survive Escape.
    dialog.show();
    press(dialog, "Escape");
    EXPECT_EQ(dialog.returncode, -1);
    EXPECT_EQ(dialog.name, "");
  }
}

TEST(DlgNewDimension, ShowsAnOptionOnlyWhenItsSourceIsThereAndEachUseStartsAfresh) {
  // A database can always be chosen; the last file and database show by their names.
  const std::pair<Sources, QString> cases[] = {
      {{}, "File|Database|Name|"},
      {{"people.vq", "Census", true}, "File|Database|Default|Name|From people.vq|From Census|"},
  };
  const QString kinds[] = {"File", "Database", "Default", "Name"};
  for (const auto& [sources, expected] : cases) {
    Table table;
    ScriptedPrompt prompt;
    dlgNewDimension dialog(table.doc, sources, prompt);
    // An answer read by the caller, or one cancelled, does not carry over into the next use.
    for (const std::string close : {"cmdOK", "Escape"}) {
      SCOPED_TRACE(expected.toStdString() + " " + close);
      dialog.show();
      QString shown;
      for (int i = 0; i < 6; ++i) {
        EXPECT_FALSE(option(dialog, i)->isChecked());
        if (!option(dialog, i)->isHidden()) {
          shown += (i < 4 ? kinds[i] : option(dialog, i)->text()) + "|";
        }
      }
      EXPECT_EQ(shown, expected);
      EXPECT_TRUE(nameBox(dialog)->text().isEmpty() && nameBox(dialog)->isHidden());
      EXPECT_EQ(dialog.returncode, dlgNewDimension::kCancelled);
      press(dialog, "cmdOK");  // disabled: nothing chosen
      EXPECT_TRUE(dialog.isVisible());
      option(dialog, 3)->click();
      QTest::keyClicks(nameBox(dialog), "Age2");
      press(dialog, close.c_str());
      EXPECT_EQ(dialog.name, close == "cmdOK" ? "Age2" : "");
    }
  }
}

TEST(DlgNewDimension, OkGivesTheChosenSourceOrRefusesTheNameAndStaysOpen) {
  struct Case {
    std::vector<int> clicks;  // options, in order
    const char* typed;        // into Text1 after the clicks
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
    Table table;
    ScriptedPrompt prompt;
    dlgNewDimension dialog(table.doc, {"people.vq", "Census", true}, prompt);
    dialog.show();
    for (const int click : c.clicks) {
      option(dialog, click)->click();
      if (click == 3 && click != c.clicks.back()) QTest::keyClicks(nameBox(dialog), "Age");
    }
    QTest::keyClicks(nameBox(dialog), c.typed);
    press(dialog, "cmdOK");
    EXPECT_EQ(dialog.returncode, c.returncode);
    EXPECT_EQ(dialog.name, c.name);
    EXPECT_EQ(test::shown(prompt), c.message);
    EXPECT_EQ(dialog.isVisible(), !c.message.empty());
  }
}
