// The source chooser for a new variable: options shown by the sources there are, the
// result code of each option, the checks of a new name, and no answer outliving its use.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QRadioButton>
#include <string>
#include <vector>

#include "gui/editor/dialogs/dlg_new_dimension.h"
#include "support/editor_dialogs.h"

using namespace zendra;
using test::press;

namespace {

using Sources = dlgNewDimension::Sources;

const Sources kAllSources = {"people.vq", "Census", true};

QRadioButton* option(dlgNewDimension& dialog, int index) {
  return dialog.findChild<QRadioButton*>("Option1_" + QString::number(index));
}
QLineEdit* nameBox(dlgNewDimension& dialog) {
  return dialog.findChild<QLineEdit*>("Text1");
}

struct Table {
  VexaMess doc;
  Table() { doc.addDimension("Region", 0); }
};

}  // namespace

TEST(DlgNewDimension, ShowsAnOptionOnlyWhenItsSourceIsThere) {
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
    SCOPED_TRACE(c.shown.toStdString());
    Table table;
    ScriptedPrompt prompt;
    dlgNewDimension dialog(table.doc, c.sources, prompt);
    dialog.show();
    QString shown;
    for (int i = 0; i < 6; ++i) {
      if (!option(dialog, i)->isHidden())
        shown += (i < 4 ? kinds[i] : option(dialog, i)->text()) + "|";
    }
    EXPECT_EQ(shown, c.shown);
    EXPECT_TRUE(nameBox(dialog)->isHidden());
    EXPECT_FALSE(dialog.findChild<QPushButton*>("cmdOK")->isEnabled());  // nothing chosen
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
      {{3}, "  Age ", 0, "Age", ""},
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

TEST(DlgNewDimension, CancelAndANewShowingLeaveNoAnswerBehind) {
  Table table;
  ScriptedPrompt prompt;
  dlgNewDimension dialog(table.doc, kAllSources, prompt);
  for (const char* button : {"cmdCancel", "Escape"}) {
    dialog.show();
    option(dialog, 3)->click();
    QTest::keyClicks(nameBox(dialog), "Age");
    press(dialog, button);
    EXPECT_EQ(dialog.returncode, dlgNewDimension::kCancelled) << button;
    EXPECT_EQ(dialog.name, "") << button;
  }
  // An answer read by the caller does not carry over into the next use.
  dialog.show();
  option(dialog, 2)->click();
  press(dialog, "cmdOK");
  ASSERT_EQ(dialog.returncode, dlgNewDimension::kFromDefaultData);
  dialog.show();
  EXPECT_EQ(dialog.returncode, dlgNewDimension::kCancelled);
  for (int i = 0; i < 6; ++i) EXPECT_FALSE(option(dialog, i)->isChecked()) << i;
  EXPECT_TRUE(nameBox(dialog)->text().isEmpty() && nameBox(dialog)->isHidden());
  press(dialog, "cmdOK");  // disabled: nothing chosen
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(dialog.returncode, dlgNewDimension::kCancelled);
}
