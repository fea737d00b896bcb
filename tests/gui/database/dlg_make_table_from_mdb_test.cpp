// "Make Crosstab Query" on stats.mdb: its pages, messages and statement texts, the field
// lists, Run query, and Finish through the editor window as one step.
#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QUndoStack>

#include "core/format/reader.h"
#include "gui/database/dlg_make_table_from_mdb.h"
#include "support/editor_window_frame.h"
#include "support/list_actions.h"
#include "support/tables.h"

using namespace zendra;

using zendra::test::child;
using zendra::test::items;

namespace {

const std::string kStats = std::string(ZENDRA_TEST_DATA) + "/databases/stats.mdb";

void click(QWidget& dialog, const char* button) {
  child<QPushButton>(dialog, button)->click();
}

void select(QWidget& dialog, const char* list, const QString& text) {
  auto* box = child<QListWidget>(dialog, list);
  const auto found = box->findItems(text, Qt::MatchExactly);
  ASSERT_FALSE(found.isEmpty()) << text.toStdString();
  box->setCurrentItem(found.front());
}

std::string sql(QWidget& dialog) {
  return child<QPlainTextEdit>(dialog, "txtSQL")->toPlainText().toStdString();
}

// Region (codes 01 to 05, built from Regions/Code of stats.mdb), Sex and Year down.
constexpr const char* kHead =
    "VEXA-VERSION=\"2000\";\r\nCHARSET=\"ansi\";\r\nMATRIX=\"P1\";\r\nCONTENTS=\"Persons\";\r\n"
    "DECIMALS=0;\r\nSTUB=\"Region\",\"Sex\",\"Year\";\r\n"
    "VALUES(\"Region\")=\"Stockholm\",\"Uppsala\",\"Södermanland\",\"Östergötland\";\r\n"
    "CODES(\"Region\")=\"01\",\"03\",\"04\",\"05\";\r\n"
    "VALUES(\"Sex\")=\"men\",\"women\";\r\nCODES(\"Sex\")=\"1\",\"2\";\r\n"
    "VALUES(\"Year\")=\"2021\",\"2022\",\"2023\";\r\nDATA=\r\n";

struct Wizard : ::testing::Test {
  ScriptedPrompt prompt;
  std::unique_ptr<clsAnyDatabase> db = makeDatabase(DatabaseKind::Access);
  VexaMess doc;
  CellGrid grid;
  std::unique_ptr<dlgMakeTableFromMDB> dialog;

  void SetUp() override {
    db->setDbName(kStats);
    ASSERT_TRUE(db->OpenDB());
    auto region =
        test::addVariable(doc, "Region", 0, {"a", "b", "c", "d"}, {"01", "03", "04", "05"});
    region->dbName = kStats;
    region->TableName = "Regions";
    region->CodeField = "Code";
    test::addVariable(doc, "Sex", 0, {"men", "women"}, {"1", "2"});
    test::addVariable(doc, "Year", 0, {"2021", "2022", "2023"});
    dialog = std::make_unique<dlgMakeTableFromMDB>(*db, doc, grid, prompt);
    dialog->show();
  }
  bool shown(const char* name) { return child(*dialog, name)->isVisible(); }
  std::string said() { return prompt.asked.empty() ? "" : prompt.asked.back().text; }
  // Persons chosen and its first three fields assigned.
  void toAggregatePage(const QString& table = "Persons") {
    select(*dialog, "lstTables", table);
    click(*dialog, "cmdNext");
    for (int i = 0; i < 3; ++i) click(*dialog, "cmdStubSel");
    click(*dialog, "cmdNext");
  }
};

TEST_F(Wizard, OpensOnTheSourcePage) {
  EXPECT_EQ(dialog->windowTitle(), "Make Crosstab Query");
  EXPECT_EQ(dialog->page(), 0);
  for (auto [name, text] : {std::pair{"lblCaption0", "Select table or query to summarize"},
                            {"lblCaption1", "Select variables for the stub"},
                            {"lblCaption2", "Select variable to count"}}) {
    EXPECT_EQ(child<QLabel>(*dialog, name)->text(), text);
  }
  for (auto [name, text] : {std::pair{"cmdBack", "Back"},
                            {"cmdNext", "Next"},
                            {"cmdFinish", "Finish"},
                            {"cmdCancel", "Cancel"},
                            {"cmdRun", "Run query"}}) {
    EXPECT_EQ(child<QPushButton>(*dialog, name)->text(), text);
  }
  EXPECT_EQ(child<QRadioButton>(*dialog, "OptSumOrCount_0")->text(), "Sum of");
  EXPECT_EQ(child<QRadioButton>(*dialog, "OptSumOrCount_1")->text(), "Count");
  EXPECT_TRUE(child<QRadioButton>(*dialog, "OptSumOrCount_0")->isChecked());
  auto* tabs = child<QTabWidget>(*dialog, "SSTab1");
  EXPECT_EQ(tabs->tabText(0), "Tables");
  EXPECT_EQ(tabs->tabText(1), "Queries");
  EXPECT_EQ(items(child<QListWidget>(*dialog, "lstTables")),
            (QStringList{"Table1", "Table2", "Table3", "Regions", "Sexes", "Years",
                         "Municipalities", "Persons", "PersonsDirty"}));
  EXPECT_EQ(items(child<QListWidget>(*dialog, "lstQueries")),
            (QStringList{"SelectQuery", "PersonsSince2022"}));
  EXPECT_FALSE(shown("cmdBack"));
  EXPECT_FALSE(shown("cmdFinish"));
  EXPECT_TRUE(shown("cmdNext"));

  click(*dialog, "cmdNext");
  EXPECT_EQ(said(), "You must select a table");
  tabs->setCurrentIndex(1);
  click(*dialog, "cmdNext");
  EXPECT_EQ(said(), "You must select a query");
  EXPECT_EQ(dialog->page(), 0);
}

TEST_F(Wizard, StubFieldsRelatedFirstThenEveryUnassignedField) {
  select(*dialog, "lstTables", "Persons");
  click(*dialog, "cmdNext");
  ASSERT_EQ(dialog->page(), 1);
  EXPECT_TRUE(shown("cmdBack"));
  auto* fields = child<QListWidget>(*dialog, "lstFields1");
  // Region is built from Regions/Code, which Persons.Region refers to.
  EXPECT_EQ(items(fields),
            (QStringList{"Region", "-----------", "Region", "Sex", "Year", "Income"}));
  EXPECT_FALSE(fields->item(1)->flags() & Qt::ItemIsSelectable);
  EXPECT_EQ(fields->currentRow(), 0);
  EXPECT_EQ(child<QLabel>(*dialog, "lblSetStub")->text(), "Select data field for Region");
  EXPECT_FALSE(child<QPushButton>(*dialog, "cmdNext")->isEnabled());

  fields->setCurrentRow(1);  // the separator cannot be assigned
  click(*dialog, "cmdStubSel");
  EXPECT_EQ(child<QListWidget>(*dialog, "lstStub")->count(), 0);
  fields->setCurrentRow(0);
  click(*dialog, "cmdStubSel");
  // Sex was not built from the database: the plain list.
  EXPECT_EQ(items(fields), (QStringList{"Sex", "Year", "Income"}));
  EXPECT_EQ(child<QLabel>(*dialog, "lblSetStub")->text(), "Select data field for Sex");
  click(*dialog, "cmdStubSel");
  // Two of three: Next, were it pressed, would refuse.
  child<QPushButton>(*dialog, "cmdNext")->setEnabled(true);
  click(*dialog, "cmdNext");
  EXPECT_EQ(said(), "You must select 3 variable for stub");
  click(*dialog, "cmdStubSel");
  EXPECT_EQ(items(child<QListWidget>(*dialog, "lstStub")), (QStringList{"Region", "Sex", "Year"}));
  EXPECT_EQ(child<QLabel>(*dialog, "lblSetStub")->text(), "Pres next to continue");
  EXPECT_TRUE(child<QPushButton>(*dialog, "cmdNext")->isEnabled());
  EXPECT_FALSE(child<QPushButton>(*dialog, "cmdStubSel")->isEnabled());

  click(*dialog, "cmdStubBack");
  EXPECT_EQ(child<QListWidget>(*dialog, "lstStub")->count(), 0);
  EXPECT_EQ(items(fields).size(), 6);
  click(*dialog, "cmdBack");
  EXPECT_EQ(dialog->page(), 0);
  EXPECT_FALSE(shown("cmdBack"));
  EXPECT_TRUE(child<QPushButton>(*dialog, "cmdNext")->isEnabled());
}

TEST_F(Wizard, StatementTextsAndRunQuery) {
  toAggregatePage();
  ASSERT_EQ(dialog->page(), 2);
  auto* sums = child<QListWidget>(*dialog, "lstFields3");
  EXPECT_EQ(items(sums), QStringList{"Income"});
  sums->clearSelection();
  click(*dialog, "cmdNext");
  EXPECT_EQ(said(), "You must select count or a field to summarise");
  sums->setCurrentRow(0);
  click(*dialog, "cmdNext");
  ASSERT_EQ(dialog->page(), 3);
  EXPECT_EQ(sql(*dialog),
            "Select [Region], [Sex], [Year], sum([Income]) AS SumOf  From [Persons] GROUP BY "
            "[Region], [Sex], [Year]");
  EXPECT_FALSE(shown("cmdNext"));
  EXPECT_FALSE(shown("lsterror"));
  EXPECT_TRUE(shown("cmdRun"));
  click(*dialog, "cmdBack");
  child<QRadioButton>(*dialog, "OptSumOrCount_1")->click();
  click(*dialog, "cmdNext");
  EXPECT_EQ(sql(*dialog),
            "Select [Region], [Sex], [Year], count(*) as CountOf  From [Persons] GROUP BY "
            "[Region], [Sex], [Year]");

  click(*dialog, "cmdRun");
  EXPECT_EQ(child<QLabel>(*dialog, "Label6")->text(), "Created 24 values");
  EXPECT_TRUE(shown("cmdFinish"));
  EXPECT_FALSE(shown("cmdRun"));
  QCoreApplication::processEvents();

  // An edited text: one the engine refuses, one that writes, one of the wrong shape.
  const auto asked = prompt.asked.size();
  for (const char* text : {"Select nonsense From [Persons]", "VACUUM INTO '/tmp/zendra-x.db'",
                           "Select [Region], count(*) From [Persons] GROUP BY [Region]"}) {
    child<QPlainTextEdit>(*dialog, "txtSQL")->setPlainText(text);
    EXPECT_TRUE(shown("cmdRun"));
    click(*dialog, "cmdRun");
    EXPECT_TRUE(shown("cmdRun")) << text;
    EXPECT_FALSE(shown("cmdFinish")) << text;
  }
  ASSERT_EQ(prompt.asked.size(), asked + 3);
  EXPECT_EQ(prompt.asked[asked].text, "Sql failed to run\nno such column: nonsense");
  EXPECT_EQ(prompt.asked[asked + 1].text.rfind("Sql failed to run\n", 0), 0u);
  EXPECT_EQ(prompt.asked[asked + 2].text,
            "The query gives 2 columns; the table needs 4: one for each variable, then the value");
}

TEST_F(Wizard, QueriesTabOffersTheSavedQuerysFields) {
  child<QTabWidget>(*dialog, "SSTab1")->setCurrentIndex(1);
  select(*dialog, "lstQueries", "PersonsSince2022");
  click(*dialog, "cmdNext");
  ASSERT_EQ(dialog->page(), 1);
  EXPECT_EQ(items(child<QListWidget>(*dialog, "lstFields1")),
            (QStringList{"Region", "-----------", "Region", "Sex", "Year", "Income"}));
  for (int i = 0; i < 3; ++i) click(*dialog, "cmdStubSel");
  click(*dialog, "cmdNext");
  child<QRadioButton>(*dialog, "OptSumOrCount_1")->click();
  click(*dialog, "cmdNext");
  EXPECT_EQ(sql(*dialog),
            "Select [Region], [Sex], [Year], count(*) as CountOf  From [PersonsSince2022] GROUP "
            "BY [Region], [Sex], [Year]");
  click(*dialog, "cmdRun");
  EXPECT_EQ(child<QLabel>(*dialog, "Label6")->text(), "Created 16 values");
}

// The editor window's command: the chooser, then the wizard driven by `steps`.
struct Window : test::EditorWindowFrame {
  frmCreateVq* editor = nullptr;
  explicit Window(const std::string& data) {
    editor = openText(std::string(kHead) + data + ";\r\n");
    editor->tabs()->setCurrentIndex(frmCreateVq::Data);
  }
  void run(const std::function<void(QDialog&)>& steps) {
    files.script(QString::fromStdString(kStats));
    answer = [steps](QDialog& dialog) {
      dialog.show();
      select(dialog, "lstTables", "Persons");
      click(dialog, "cmdNext");
      for (int i = 0; i < 3; ++i) click(dialog, "cmdStubSel");
      click(dialog, "cmdNext");
      child<QRadioButton>(dialog, "OptSumOrCount_1")->click();
      click(dialog, "cmdNext");
      steps(dialog);
    };
    editor->findChild<QAction*>("mnuCreateFromMDB")->trigger();
  }
  CellGrid& grid() { return editor->dataGrid(); }
  double cell(int r, int s, int y) {
    return grid().number(editor->document().DataRow1 + r * 6 + s * 3 + y,
                         editor->document().DataCol1);
  }
};

std::string zeros() {
  std::string data;
  for (int i = 0; i < 24; ++i) data += "0\r\n";
  return data;
}

TEST(CreateTableFromAccess, FinishIsOneStepAndReachesTheFile) {
  Window w(zeros());
  ASSERT_NE(w.editor, nullptr);
  const std::string before = test::gridRows(w.grid(), 1, -1, true);
  const int steps = w.editor->undoStack()->count();
  bool accepted = false;
  int ticks = 0;
  w.run([&](QDialog& dialog) {
    // The first Run copies Persons off the GUI thread while events go on: the wizard takes
    // no clicks then (Back is not taken), so no second statement can start on top of it.
    QTimer::singleShot(0, &dialog, [&] {
      ++ticks;
      QTest::mouseClick(child<QPushButton>(dialog, "cmdBack"), Qt::LeftButton);
    });
    click(dialog, "cmdRun");
    EXPECT_EQ(ticks, 1);
    EXPECT_TRUE(child(dialog, "txtSQL")->isVisible());
    // Edited after Run: Finish places the rows of the text shown.
    child<QPlainTextEdit>(dialog, "txtSQL")
        ->setPlainText(
            "Select [Region], [Sex], [Year], count(*) * 10 From [Persons] GROUP BY [Region], "
            "[Sex], [Year]");
    click(dialog, "cmdFinish");
    accepted = dialog.result() == QDialog::Accepted;
  });
  EXPECT_TRUE(accepted);
  EXPECT_EQ(w.editor->undoStack()->count(), steps + 1);
  EXPECT_TRUE(w.editor->isChanged());
  EXPECT_EQ(w.cell(0, 0, 0), 10);
  EXPECT_EQ(w.cell(3, 1, 2), 100);
  w.editor->undoStack()->undo();
  EXPECT_EQ(test::gridRows(w.grid(), 1, -1, true), before);
  w.editor->undoStack()->redo();

  const std::string path = w.saveAs(w.editor, "persons.vq");
  ASSERT_FALSE(path.empty());
  VexaMess back;
  back.VQfilename = path;
  CellGrid cells;
  ScriptedPrompt quiet;
  ASSERT_EQ(Load_From_File(back, false, &cells, quiet, false), LoadResult::Loaded);
  EXPECT_EQ(cells.number(back.DataRow1 + 1 * 6 + 1 * 3 + 2, back.DataCol1), 10 * (2 * 2 + 2));
}

TEST(CreateTableFromAccess, RefusedCodesAreListedAndTheGridStays) {
  Window w(zeros());
  const std::string before = test::gridRows(w.grid(), 1, -1, true);
  const int steps = w.editor->undoStack()->count();
  QStringList errors;
  bool finishShown = true;
  w.run([&](QDialog& dialog) {
    child<QPlainTextEdit>(dialog, "txtSQL")
        ->setPlainText(QString::fromStdString(CountSql({"Region", "Sex", "Year"}, "PersonsDirty")));
    click(dialog, "cmdRun");
    click(dialog, "cmdFinish");
    errors = items(child<QListWidget>(dialog, "lsterror"));
    finishShown = child<QPushButton>(dialog, "cmdFinish")->isVisible();
    EXPECT_EQ(child<QLabel>(dialog, "Label6")->text(),
              "Read 5 values, 3 refused: nothing was placed");
    EXPECT_TRUE(child<QListWidget>(dialog, "lsterror")->isVisible());
  });
  EXPECT_EQ(errors, (QStringList{"Code: 'Null' in Region is  invalid", "Code: 3 in Sex is  invalid",
                                 "Code: 99 in Region is  invalid"}));
  EXPECT_FALSE(finishShown);
  EXPECT_EQ(w.editor->undoStack()->count(), steps);
  EXPECT_EQ(test::gridRows(w.grid(), 1, -1, true), before);
  EXPECT_FALSE(w.editor->isChanged());
}

}  // namespace
