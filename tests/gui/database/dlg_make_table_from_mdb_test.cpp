// "Make Crosstab Query" on stats.mdb: its pages, messages and statement texts, the field
// lists, Run query, and Finish through the editor window as one step.
#include "gui/database/dlg_make_table_from_mdb.h"
#include "support/dialog_steps.h"

using namespace zendra;
using namespace zendra::test;

namespace {

const std::string kStats = std::string(ZENDRA_TEST_DATA) + "/databases/stats.mdb";

void setSql(QWidget& dialog, const QString& text) {
  child<QPlainTextEdit>(dialog, "txtSQL")->setPlainText(text);
}

// From the chosen table or query to the statement page: its first three fields as the stub,
// and Count.
void toStatementPage(QWidget& dialog, const char* list, const QString& source) {
  choose(dialog, list, source);
  press(dialog, "cmdNext");
  for (int i = 0; i < 3; ++i) press(dialog, "cmdStubSel");
  press(dialog, "cmdNext");
  child<QRadioButton>(dialog, "OptSumOrCount_1")->click();
  press(dialog, "cmdNext");
}

struct Wizard : ::testing::Test {
  ScriptedPrompt prompt;
  std::unique_ptr<clsAnyDatabase> db = makeDatabase(DatabaseKind::Access);
  VexaMess doc;
  CellGrid grid;
  std::unique_ptr<dlgMakeTableFromMDB> dialog;

  void SetUp() override {
    db->setDbName(kStats);
    ASSERT_TRUE(db->OpenDB());
    auto region = addVariable(doc, "Region", 0, {"a", "b", "c", "d"}, {"01", "03", "04", "05"});
    region->dbName = kStats;
    region->TableName = "Regions";
    region->CodeField = "Code";
    addVariable(doc, "Sex", 0, {"men", "women"}, {"1", "2"});
    addVariable(doc, "Year", 0, {"2021", "2022", "2023"});
    dialog = std::make_unique<dlgMakeTableFromMDB>(*db, doc, grid, prompt);
    dialog->show();
  }
  bool shown(const char* name) { return child(*dialog, name)->isVisible(); }
  // The last thing the user was told.
  std::string said() { return prompt.asked.empty() ? "" : prompt.asked.back().text; }
  QStringList list(const char* name) { return items(child<QListWidget>(*dialog, name)); }
};

TEST_F(Wizard, ASourceStubFieldsRelatedFirstAndTheStatementToRun) {
  press(*dialog, "cmdNext");
  EXPECT_EQ(said(), "You must select a table");
  choose(*dialog, "lstTables", "Persons");
  press(*dialog, "cmdNext");
  auto* fields = child<QListWidget>(*dialog, "lstFields1");
  auto* next = child<QPushButton>(*dialog, "cmdNext");
  // Region is built from Regions/Code, which Persons.Region refers to.
  EXPECT_EQ(items(fields),
            (QStringList{"Region", "-----------", "Region", "Sex", "Year", "Income"}));
  EXPECT_FALSE(next->isEnabled());
  fields->setCurrentRow(1);  // the separator cannot be assigned
  press(*dialog, "cmdStubSel");
  EXPECT_EQ(list("lstStub").size(), 0);
  fields->setCurrentRow(0);
  press(*dialog, "cmdStubSel");
  // Sex was not built from the database: the plain list.
  EXPECT_EQ(items(fields), (QStringList{"Sex", "Year", "Income"}));
  press(*dialog, "cmdStubSel");
  // Two of three: Next, were it pressed, would refuse.
  next->setEnabled(true);
  press(*dialog, "cmdNext");
  EXPECT_EQ(said(), "You must select 3 variable for stub");
  press(*dialog, "cmdStubSel");
  EXPECT_EQ(list("lstStub"), (QStringList{"Region", "Sex", "Year"}));
  press(*dialog, "cmdStubBack");

  // The statement: a sum or Count, run, then edited.
  for (int i = 0; i < 3; ++i) press(*dialog, "cmdStubSel");
  press(*dialog, "cmdNext");
  auto* sums = child<QListWidget>(*dialog, "lstFields3");
  sums->clearSelection();
  press(*dialog, "cmdNext");
  EXPECT_EQ(said(), "You must select count or a field to summarise");
  sums->setCurrentRow(0);
  press(*dialog, "cmdNext");
  EXPECT_TRUE(child<QPlainTextEdit>(*dialog, "txtSQL")->toPlainText().contains("sum([Income])"));
  press(*dialog, "cmdBack");
  child<QRadioButton>(*dialog, "OptSumOrCount_1")->click();
  press(*dialog, "cmdNext");
  press(*dialog, "cmdRun");
  EXPECT_EQ(child<QLabel>(*dialog, "Label6")->text(), "Created 24 values");
  EXPECT_TRUE(shown("cmdFinish") && !shown("cmdRun"));

  // An edited text the engine refuses (which statements it refuses is checked in
  // tests/core/database), then one of the wrong shape.
  for (const auto& [text, message] :
       {std::pair{"Select nonsense From [Persons]", "Sql failed to run\nno such column: nonsense"},
        {"Select [Region], count(*) From [Persons] GROUP BY [Region]",
         "The query gives 2 columns; the table needs 4: one for each variable, then the value"}}) {
    setSql(*dialog, text);
    press(*dialog, "cmdRun");
    EXPECT_TRUE(shown("cmdRun") && !shown("cmdFinish")) << text;
    EXPECT_EQ(said(), message);
  }
}

TEST_F(Wizard, QueriesTabOffersTheSavedQuerysFields) {
  child<QTabWidget>(*dialog, "SSTab1")->setCurrentIndex(1);
  press(*dialog, "cmdNext");
  EXPECT_EQ(said(), "You must select a query");
  toStatementPage(*dialog, "lstQueries", "PersonsSince2022");
  press(*dialog, "cmdRun");
  EXPECT_EQ(child<QLabel>(*dialog, "Label6")->text(), "Created 16 values");
}

// A Region (codes 01 to 05, built from Regions/Code of stats.mdb) by Sex by Year table of
// zeros in an editor window.
TEST(CreateTableFromAccess, RefusedCodesLeaveTheGridAndFinishIsOneStepThatFillsIt) {
  EditorWindowFrame w;
  std::string data;
  for (int i = 0; i < 24; ++i) data += "0 ";
  frmCreateVq* editor = w.openText(
      "MATRIX=\"P1\";CONTENTS=\"Persons\";DECIMALS=0;STUB=\"Region\",\"Sex\",\"Year\";"
      "VALUES(\"Region\")=\"a\",\"b\",\"c\",\"d\";CODES(\"Region\")=\"01\",\"03\",\"04\",\"05\";"
      "VALUES(\"Sex\")=\"men\",\"women\";CODES(\"Sex\")=\"1\",\"2\";"
      "VALUES(\"Year\")=\"2021\",\"2022\",\"2023\";DATA=" +
      data + ";");
  ASSERT_NE(editor, nullptr);
  editor->tabs()->setCurrentIndex(frmCreateVq::Data);
  const std::string before = gridRows(editor->dataGrid(), 1, -1, true);
  const int steps = editor->undoStack()->count();
  // The command run: the chooser, then the wizard to the statement page with Count, then
  // `then`.
  const auto run = [&](const std::function<void(QDialog&)>& then) {
    w.files.script(QString::fromStdString(kStats));
    w.answer = [then](QDialog& dialog) {
      dialog.show();
      toStatementPage(dialog, "lstTables", "Persons");
      then(dialog);
    };
    editor->findChild<QAction*>("mnuCreateFromMDB")->trigger();
  };
  QStringList errors;
  run([&](QDialog& dialog) {
    setSql(dialog, QString::fromStdString(CountSql({"Region", "Sex", "Year"}, "PersonsDirty")));
    press(dialog, "cmdRun");
    press(dialog, "cmdFinish");
    errors = items(child<QListWidget>(dialog, "lsterror"));
    EXPECT_FALSE(child<QPushButton>(dialog, "cmdFinish")->isVisible());
  });
  EXPECT_EQ(errors.size(), 3);  // their texts are checked in tests/core/database
  EXPECT_EQ(editor->undoStack()->count(), steps);
  EXPECT_EQ(gridRows(editor->dataGrid(), 1, -1, true), before);

  int ticks = 0;
  run([&](QDialog& dialog) {
    // The first Run copies Persons off the GUI thread while events go on: the wizard takes
    // no clicks then (Back is not taken), so no second statement can start on top of it.
    QTimer::singleShot(0, &dialog, [&] {
      ++ticks;
      QTest::mouseClick(child<QPushButton>(dialog, "cmdBack"), Qt::LeftButton);
    });
    press(dialog, "cmdRun");
    EXPECT_EQ(ticks, 1);
    EXPECT_TRUE(child(dialog, "txtSQL")->isVisible());
    // Edited after Run: Finish places the rows of the text shown.
    setSql(dialog,
           "Select [Region], [Sex], [Year], count(*) * 10 From [Persons] GROUP BY [Region], "
           "[Sex], [Year]");
    press(dialog, "cmdFinish");
  });
  EXPECT_EQ(editor->undoStack()->count(), steps + 1);
  editor->undoStack()->undo();
  EXPECT_EQ(gridRows(editor->dataGrid(), 1, -1, true), before);
  editor->undoStack()->redo();
  const CellGrid& cells = editor->dataGrid();
  const VexaMess& doc = editor->document();
  EXPECT_EQ(cells.number(doc.DataRow1, doc.DataCol1), 10);
  EXPECT_EQ(cells.number(doc.DataRow1 + 1 * 6 + 1 * 3 + 2, doc.DataCol1), 10 * (2 * 2 + 2));
}

}  // namespace
