// Choosing a database ("Select Acces database"), dlgExploreDatabase's pages and messages on
// the real fixtures, and a variable built from a database placed through "Add new
// dimension" as one step.
#include <sqlite3.h>

#include <chrono>

#include "core/database/any_database.h"
#include "gui/database/database_chooser.h"
#include "gui/database/dlg_explore_database.h"
#include "gui/database/dlg_make_table_from_mdb.h"
#include "support/dialog_steps.h"
#include "support/scoped_env.h"

using namespace zendra;
using namespace zendra::test;
namespace fs = std::filesystem;

namespace {

const std::string kStats = std::string(ZENDRA_TEST_DATA) + "/databases/stats.mdb";
const Lines kRegions = {"01\tStockholm", "03\tUppsala", "04\tSödermanland", "05\tÖstergötland"};

std::unique_ptr<clsAnyDatabase> openDatabase(const std::string& path) {
  auto db = makeDatabase(databaseKindOf(path));
  db->setDbName(path);
  EXPECT_TRUE(db->OpenDB()) << path;
  return db;
}

// Runs statements on a SQLite file.
void writeSqlite(const std::string& path, const char* sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);
}

// Walks the explorer's pages to its last one: a table, a code field (none: "No codes to
// be included") and a value field.
void walk(QDialog& dialog, const QString& table, const QString& codeField,
          const QString& valueField) {
  choose(dialog, "lstTables", table);
  press(dialog, "cmdNext");
  child<QCheckBox>(dialog, "chkNocodes")->setChecked(codeField.isEmpty());
  if (!codeField.isEmpty()) choose(dialog, "lstFields1", codeField);
  press(dialog, "cmdNext");
  choose(dialog, "lstFields2", valueField);
  press(dialog, "cmdNext");
}

// An explorer on a database and a table that already has a variable "Region".
struct Explorer {
  ScriptedPrompt prompt;
  VexaMess doc;
  std::unique_ptr<clsAnyDatabase> db;
  std::unique_ptr<dlgExploreDatabase> dialog;

  explicit Explorer(const std::string& path = kStats) : db(openDatabase(path)) {
    addVariable(doc, "Region", 0, {"North"});
    dialog = std::make_unique<dlgExploreDatabase>(*db, doc, prompt);
    dialog->show();
  }
  Lines values() const { return listTexts(child<QListWidget>(*dialog, "lstValueCode")); }
  void finish(const QString& name) {
    child<QLineEdit>(*dialog, "txtVarName")->setText(name);
    press(*dialog, "cmdFinish");
  }
};

}  // namespace

TEST(DatabaseExplorer, WalksItsFourPagesBuildsAVariableWithCodesOrTextsOnly) {
  Explorer e;
  dlgExploreDatabase& d = *e.dialog;
  // Each page says what is missing and stays.
  for (const auto& [list, next] :
       {std::pair{"lstTables", "Regions"}, {"lstFields1", "Code"}, {"lstFields2", "Name"}}) {
    const int page = d.page();
    child<QListWidget>(d, list)->clearSelection();
    press(d, "cmdNext");
    EXPECT_EQ(d.page(), page) << list;
    choose(d, list, next);
    press(d, "cmdNext");
  }
  EXPECT_EQ(told(e.prompt), (Lines{"You must select a table", "Select a field or mark for no codes",
                                   "Select a field"}));
  EXPECT_TRUE(child<QPushButton>(d, "cmdFinish")->isDefault());
  // Back to the value field and on again reads the values anew, without the old ones.
  press(d, "cmdBack");
  press(d, "cmdNext");
  EXPECT_EQ(e.values(), kRegions);

  // The name: blank, in use (letter case aside), then one that will do, trimmed.
  e.prompt.asked.clear();
  e.finish("   ");
  e.finish(" region ");
  EXPECT_EQ(told(e.prompt), (Lines{"You must give a valid name", "Variable name in use"}));
  e.finish("  Län ");
  ASSERT_TRUE(d.NewDim);
  EXPECT_EQ(d.NewDim->dbName, kStats);
  EXPECT_EQ(describe(d.NewDim),
            "Län|Regions|Code|codes: 01=Stockholm 03=Uppsala 04=Södermanland 05=Östergötland");

  // Codes first, then back to page 1 and "No codes to be included": the code field goes.
  Explorer n;
  walk(*n.dialog, "Municipalities", "Code", "Name");
  EXPECT_EQ(n.values(),
            (Lines{"114\tUpplands Väsby", "180\tStockholm", "380\tUppsala", "'Null'\tUnknown"}));
  press(*n.dialog, "cmdBack");
  press(*n.dialog, "cmdBack");
  child<QCheckBox>(*n.dialog, "chkNocodes")->setChecked(true);
  press(*n.dialog, "cmdNext");
  press(*n.dialog, "cmdNext");
  n.finish("Kommun");
  EXPECT_EQ(describe(n.dialog->NewDim),
            "Kommun|Municipalities||texts: =Upplands Väsby =Stockholm =Uppsala =Unknown");
}

TEST(DatabaseExplorer, AFailedValueQueryStaysOnTheValueFieldAndEngineWarningsAreTold) {
  TempFolder folder;
  const std::string path = folder.file("broken.sqlite");
  writeSqlite(path, "CREATE TABLE Codes(Code TEXT, Name TEXT);");
  Explorer e(path);
  choose(*e.dialog, "lstTables", "Codes");
  press(*e.dialog, "cmdNext");
  press(*e.dialog, "cmdNext");
  // Another program removes the table while the explorer shows its fields.
  writeSqlite(path, "DROP TABLE Codes;");
  choose(*e.dialog, "lstFields2", "Name");
  press(*e.dialog, "cmdNext");
  EXPECT_EQ(e.dialog->page(), 2);
  ASSERT_EQ(e.prompt.asked.size(), 1u);
  EXPECT_TRUE(e.prompt.asked[0].text.starts_with("The values could not be read\n"));

  // A page that maps Persons garbled: libmdb warns, reads the rows all the same, and the
  // user is told that the file may be damaged.
  std::string bytes = TempFolder::read(kStats);
  for (int k = 0; k < 8; ++k) bytes[85 * 4096 + 200 + k * 5] ^= 0x55;
  Explorer damaged(folder.write("damaged.mdb", bytes).string());
  walk(*damaged.dialog, "Persons", "Region", "Sex");
  EXPECT_EQ(told(damaged.prompt),
            Lines{"damaged.mdb: the file may be damaged: 2 warnings while reading Persons\n  "
                  "offset 6422528 is beyond EOF\n  error: reading page 1568 failed."});
  EXPECT_EQ(damaged.values().size(), 114u);
}

namespace {

using Answer = std::function<void(QDialog&)>;

// Answers the dialogs from the list in order; a dialog without an answer left is cancelled.
Answer inOrder(std::vector<Answer> list) {
  return [list, ran = std::size_t{0}](QDialog& dialog) mutable {
    if (ran >= list.size()) return dialog.reject();
    list[ran++](dialog);
  };
}

// dlgNewDimension: chooses an option and presses OK.
Answer source(int option) {
  return [option](QDialog& d) {
    child<QRadioButton>(d, qPrintable(QString("Option1_%1").arg(option)))->click();
    press(d, "cmdOK");
  };
}

Answer explore(const QString& table, const QString& codeField, const QString& valueField,
               const QString& name) {
  return [=](QDialog& d) {
    ASSERT_TRUE(qobject_cast<dlgExploreDatabase*>(&d));
    walk(d, table, codeField, valueField);
    child<QLineEdit>(d, "txtVarName")->setText(name);
    press(d, "cmdFinish");
  };
}

}  // namespace

TEST(DatabaseChooser, OpensOnlyAFileThatReadsKeepsItAndAddsItsVariablesAsOneStep) {
  EditorWindowFrame f;
  f.ctx.settings.MDBBase = "/start";
  const fs::path copy = f.home / "db" / "stats.mdb";
  fs::create_directories(copy.parent_path());
  fs::copy_file(kStats, copy);
  const QString path = QString::fromStdString(copy.string());
  const QString broken = QString::fromStdString(
      f.home.write("db/broken.mdb", "this is text, not a database").string());

  // Cancel: nothing opened. A file that is no database: the message, no name kept.
  f.files.script(broken);
  EXPECT_EQ(chooseDatabase(f.ctx, nullptr), nullptr);
  EXPECT_EQ(chooseDatabase(f.ctx, nullptr), nullptr);
  EXPECT_EQ(f.files.calls.back().request.folder, "/start");
  EXPECT_TRUE(f.prompt.asked.back().text.starts_with("Not a microsoft access db"));
  EXPECT_EQ(f.ctx.variableSources.lastDatabaseName + f.ctx.settings.MDBBase, "/start");

  f.files.script(path);
  clsAnyDatabase* opened = chooseDatabase(f.ctx, nullptr);
  ASSERT_TRUE(opened);
  EXPECT_EQ(f.ctx.settings.MDBBase, copy.parent_path().string());
  // The same file again: the open database, offered as the start name.
  f.files.script(path);
  EXPECT_EQ(chooseDatabase(f.ctx, nullptr), opened);
  EXPECT_EQ(f.files.calls.back().request.fileName, path);
  // A failed open after it keeps the database open, under its own name.
  f.files.script(broken);
  EXPECT_EQ(chooseDatabase(f.ctx, nullptr), nullptr);
  EXPECT_EQ(opened->dbName(), copy.string());

  // The file replaced on disk (here by a SQLite file): opened anew, also as the last database.
  fs::remove(copy);
  writeSqlite(copy.string(), "CREATE TABLE Fresh(Code TEXT, Name TEXT);");
  clsAnyDatabase* reopened = lastDatabase(f.ctx);
  ASSERT_TRUE(reopened);
  EXPECT_EQ(reopened->ListBoxTables(), (std::vector<ListEntry>{{"Fresh", 1}}));

  // A variable from a database placed through "Add new dimension" as one step.
  frmCreateVq* editor = f.openText(
      "MATRIX=\"M1\";CONTENTS=\"People\";DECIMALS=0;STUB=\"region\";VALUES(\"region\")=\"N\";");
  ASSERT_TRUE(editor);
  VexaMess& doc = editor->document();
  f.files.script(QString::fromStdString(kStats));
  f.answer = inOrder({source(1), explore("Regions", "Code", "Name", "Län")});
  press(*editor, "cmdAddStub");
  EXPECT_EQ(editor->undoStack()->count(), 1);
  EXPECT_EQ(listTexts(child<QListWidget>(*editor, "lstStub")), (Lines{"region", "Län"}));
  editor->undoStack()->undo();
  EXPECT_FALSE(doc.Dimensions.Contains("Län"));

  // "From stats.mdb": the same database, no chooser; Cancel in the explorer adds nothing.
  const std::size_t chooserCalls = f.files.calls.size();
  f.answer = inOrder({source(5), explore("Sexes", "", "Name", "Kön"), source(5)});
  press(*editor, "cmdAddHead");
  press(*editor, "cmdAddHead");
  EXPECT_EQ(f.files.calls.size(), chooserCalls);
  EXPECT_EQ(describe(doc.colHeading.Item("Kön")), "Kön|Sexes||texts: =men =women");
  EXPECT_EQ(editor->undoStack()->count(), 1);
}

// Clicks Cancel in the progress window once it shows, and counts its own ticks meanwhile,
// which come only while the GUI thread's event loop runs.
struct CancelWhenShown {
  QTimer timer;
  int ticks = 0;
  bool clicked = false;
  CancelWhenShown() {
    QObject::connect(&timer, &QTimer::timeout, [this] {
      ++ticks;
      for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->objectName() != "frmProgress" || !window->isVisible() || clicked) continue;
        clicked = true;
        press(*window, "cmdCancel");
      }
    });
    timer.start(20);
  }
};

TEST(DatabaseInBackground, AHangingReaderLeavesTheProgramAliveAndCancelStopsItAtOnce) {
  EditorWindowFrame f;
  std::unique_ptr<clsAnyDatabase> db = openDatabase(kStats);
  // The Access reader stand-in that never answers while it lives.
  const ScopedEnv reader{"ZENDRA_MDB_READER", ZENDRA_MISBEHAVING_READER};
  const ScopedEnv mode{"ZENDRA_FAKE_READER", "hang"};
  const auto start = std::chrono::steady_clock::now();
  {
    // Opening: the catalog is read off the GUI thread.
    f.files.script(QString::fromStdString(kStats));
    CancelWhenShown cancel;
    EXPECT_EQ(chooseDatabase(f.ctx, nullptr), nullptr);
    EXPECT_GT(cancel.ticks, 10);
  }
  {
    // A statement of the table-from-database wizard, whose tables are read first.
    VexaMess doc;
    CellGrid grid;
    dlgMakeTableFromMDB wizard(*db, doc, grid, f.prompt);
    DbRows rows;
    CancelWhenShown cancel;
    EXPECT_TRUE(wizard.runQuery("SELECT COUNT(*) FROM Persons", rows).cancelled);
    EXPECT_GT(cancel.ticks, 10);
  }
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 5.0);
}
