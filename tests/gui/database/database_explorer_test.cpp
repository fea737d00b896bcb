// Choosing a database ("Select Acces database"), dlgExploreDatabase's pages and messages on
// the real fixtures, and a variable built from a database placed through "Add new
// dimension" as one step, from an Access file and from a SQLite file.
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

const std::string kDatabases = std::string(ZENDRA_TEST_DATA) + "/databases/";
const std::string kNotAccess = "Not a microsoft access db (or too high a version)\n";
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
  char* error = nullptr;
  EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
  sqlite3_free(error);
  sqlite3_close(db);
}

// Walks the explorer's pages to its last one: a table, a code field (none: "No codes to
// be included") and a value field.
void walk(QDialog& dialog, const QString& table, const QString& codeField,
          const QString& valueField) {
  choose(dialog, "lstTables", table);
  press(dialog, "cmdNext");
  if (codeField.isEmpty()) child<QCheckBox>(dialog, "chkNocodes")->setChecked(true);
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

  explicit Explorer(const std::string& path = kDatabases + "stats.mdb") : db(openDatabase(path)) {
    addVariable(doc, "Region", 0, {"North"});
    dialog = std::make_unique<dlgExploreDatabase>(*db, doc, prompt);
    dialog->show();
  }
  // The buttons shown, the default one marked with "*".
  std::string buttons() const {
    std::string shown;
    for (const char* name : {"cmdBack", "cmdNext", "cmdFinish", "cmdCancel"}) {
      const auto* button = child<QPushButton>(*dialog, name);
      if (!button->isVisible()) continue;
      shown += (shown.empty() ? "" : " ") + button->text().toStdString() +
               (button->isDefault() ? "*" : "");
    }
    return shown;
  }
  Lines values() const { return listTexts(child<QListWidget>(*dialog, "lstValueCode")); }
  void finish(const QString& name) {
    child<QLineEdit>(*dialog, "txtVarName")->setText(name);
    press(*dialog, "cmdFinish");
  }
};

}  // namespace

TEST(DatabaseExplorer, WalksItsFourPagesAndBuildsAVariableWithCodes) {
  Explorer e;
  dlgExploreDatabase& d = *e.dialog;
  EXPECT_EQ(listTexts(child<QListWidget>(d, "lstTables")),
            (Lines{"Table1", "Table2", "Table3", "Regions", "Sexes", "Years", "Municipalities",
                   "Persons", "PersonsDirty"}));
  EXPECT_EQ(child<QListWidget>(d, "lstTables")->currentRow(), 0);
  EXPECT_EQ(e.buttons(), "Next* Cancel");
  choose(d, "lstTables", "Regions");
  press(d, "cmdNext");
  EXPECT_TRUE(child(d, "lstFields1")->isVisible() && !child(d, "lstTables")->isVisible());
  EXPECT_EQ(e.buttons(), "Back Next* Cancel");
  EXPECT_EQ(listTexts(child<QListWidget>(d, "lstFields1")), (Lines{"Code", "Name"}));
  EXPECT_EQ(child<QListWidget>(d, "lstFields1")->currentRow(), 0);
  press(d, "cmdNext");
  choose(d, "lstFields2", "Name");
  press(d, "cmdNext");
  EXPECT_EQ(d.page(), 3);
  EXPECT_EQ(e.buttons(), "Back Finish* Cancel");
  EXPECT_EQ(child<QLabel>(d, "lblSelected")->text(), "Table: Regions Code: Code Value: Name");
  EXPECT_EQ(e.values(), kRegions);
  // Back to the value field and on again reads the values anew, without the old ones.
  press(d, "cmdBack");
  EXPECT_EQ(e.buttons(), "Back Next* Cancel");
  press(d, "cmdNext");
  EXPECT_EQ(e.values(), kRegions);
  EXPECT_EQ(d.NewDim->ValueCode.Count(), 4);

  // The name: blank, in use (letter case aside), then one that will do, trimmed.
  e.finish("   ");
  e.finish(" region ");
  EXPECT_EQ(told(e.prompt), (Lines{"You must give a valid name", "Variable name in use"}));
  EXPECT_TRUE(d.isVisible());
  e.finish("  Län ");
  EXPECT_EQ(d.result(), QDialog::Accepted);
  ASSERT_TRUE(d.NewDim);
  EXPECT_EQ(d.NewDim->dbName, kDatabases + "stats.mdb");
  EXPECT_EQ(describe(d.NewDim),
            "Län|Regions|Code|codes: 01=Stockholm 03=Uppsala 04=Södermanland 05=Östergötland");
}

TEST(DatabaseExplorer, EachPageSaysWhatIsMissingAndStays) {
  Explorer e;
  dlgExploreDatabase& d = *e.dialog;
  for (const auto& [list, next] :
       {std::pair{"lstTables", "Sexes"}, {"lstFields1", "Code"}, {"lstFields2", ""}}) {
    const int page = d.page();
    child<QListWidget>(d, list)->clearSelection();
    press(d, "cmdNext");
    EXPECT_EQ(d.page(), page) << list;
    if (*next) choose(d, list, next);
    if (*next) press(d, "cmdNext");
  }
  EXPECT_EQ(told(e.prompt), (Lines{"You must select a table", "Select a field or mark for no codes",
                                   "Select a field"}));
  // Back to the first page hides Back again.
  press(d, "cmdBack");
  press(d, "cmdBack");
  EXPECT_EQ(e.buttons(), "Next* Cancel");
  press(d, "cmdCancel");
  EXPECT_EQ(d.result(), QDialog::Rejected);
  EXPECT_FALSE(d.NewDim);
}

TEST(DatabaseExplorer, WithoutCodesTakesTextsOnlyAndANullCodeShowsAsNull) {
  Explorer plain;
  walk(*plain.dialog, "Regions", "", "Name");
  EXPECT_EQ(child<QLabel>(*plain.dialog, "lblSelected")->text(),
            "Table: Regions no code Value: Name");
  EXPECT_EQ(plain.values(), (Lines{"Stockholm", "Uppsala", "Södermanland", "Östergötland"}));
  plain.finish("Län");
  EXPECT_EQ(describe(plain.dialog->NewDim),
            "Län|Regions||texts: =Stockholm =Uppsala =Södermanland =Östergötland");

  // Codes first, then back to page 1 and "No codes to be included": the code field goes.
  Explorer e;
  walk(*e.dialog, "Municipalities", "Code", "Name");
  EXPECT_EQ(e.values(),
            (Lines{"114\tUpplands Väsby", "180\tStockholm", "380\tUppsala", "'Null'\tUnknown"}));
  press(*e.dialog, "cmdBack");
  press(*e.dialog, "cmdBack");
  child<QCheckBox>(*e.dialog, "chkNocodes")->setChecked(true);
  press(*e.dialog, "cmdNext");
  press(*e.dialog, "cmdNext");
  EXPECT_EQ(e.values().size(), 4u);
  e.finish("Kommun");
  EXPECT_EQ(e.dialog->NewDim->CodeField, "");
  EXPECT_FALSE(e.dialog->NewDim->UseCodes);
}

TEST(DatabaseExplorer, AValueQueryThatFailsIsToldAndStaysOnTheValueField) {
  TempFolder folder;
  const std::string path = folder.file("broken.sqlite");
  writeSqlite(path, "CREATE TABLE Codes(Code TEXT, Name TEXT); INSERT INTO Codes VALUES (1, 'a');");
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
  const std::string start = "The values could not be read\n";
  EXPECT_TRUE(e.prompt.asked[0].text.starts_with(start));
  EXPECT_GT(e.prompt.asked[0].text.size(), start.size());
}

TEST(DatabaseExplorer, TellsThatTheFileMayBeDamagedWhenTheEngineWarned) {
  // A page that maps Persons garbled: libmdb warns, and reads the rows all the same.
  TempFolder folder;
  std::string bytes = TempFolder::read(kDatabases + "stats.mdb");
  for (int k = 0; k < 8; ++k) bytes[85 * 4096 + 200 + k * 5] ^= 0x55;
  Explorer e(folder.write("damaged.mdb", bytes).string());
  walk(*e.dialog, "Persons", "Region", "Sex");
  EXPECT_EQ(told(e.prompt), Lines{"damaged.mdb: the file may be damaged: 2 warnings while reading "
                                  "Persons\n  offset 6422528 is beyond EOF\n  error: reading page "
                                  "1568 failed."});
  EXPECT_EQ(e.values().size(), 114u);
}

namespace {

using Answer = std::function<void(QDialog&)>;

// A main window whose dialogs answer from a list in order; a dialog without an answer left
// is cancelled. Every dialog run is remembered by its class name.
struct Frame : EditorWindowFrame {
  std::vector<Answer> answers;
  Lines ran;

  Frame() {
    answer = [this](QDialog& dialog) {
      ran.push_back(dialog.metaObject()->className());
      if (ran.size() > answers.size()) return dialog.reject();
      answers[ran.size() - 1](dialog);
    };
  }
  void script(std::vector<Answer> list) {
    answers = std::move(list);
    ran.clear();
  }
  frmCreateVq* emptyTable() {
    frmCreateVq* editor = openText(
        "MATRIX=\"M1\";CONTENTS=\"People\";DECIMALS=0;STUB=\"region\";HEADING=\"year\";"
        "VALUES(\"region\")=\"North\",\"South\";VALUES(\"year\")=\"2020\",\"2021\";DATA=1 2 3 4;");
    editor->tabs()->setCurrentIndex(frmCreateVq::Data);
    editor->findChild<QAction*>("mnuClearAllData")->trigger();
    editor->undoStack()->clear();
    editor->tabs()->setCurrentIndex(frmCreateVq::BasicStructure);
    return editor;
  }
};

// dlgNewDimension: chooses an option and presses OK.
Answer source(int option) {
  return [option](QDialog& d) {
    auto* chosen = child<QRadioButton>(d, qPrintable(QString("Option1_%1").arg(option)));
    EXPECT_FALSE(chosen->isHidden());
    chosen->click();
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

TEST(DatabaseChooser, OpensOnlyAFileThatReadsAndKeepsItUntilItChanges) {
  Frame f;
  f.ctx.settings.MDBBase = "/start";
  const fs::path copy = f.home / "db" / "stats.mdb";
  fs::create_directories(copy.parent_path());
  fs::copy_file(kDatabases + "stats.mdb", copy);
  const QString path = QString::fromStdString(copy.string());
  const QString broken = QString::fromStdString(
      f.home.write("db/broken.mdb", "this is text, not a database").string());

  // Cancel: nothing opened.
  EXPECT_EQ(chooseDatabase(f.ctx, nullptr), nullptr);
  EXPECT_FALSE(f.ctx.database);
  EXPECT_EQ(f.files.calls.back().request.folder, "/start");
  EXPECT_TRUE(f.files.calls.back().request.mustExist);

  // A file that is no database: the message with the engine's description, no name kept.
  f.files.script(broken);
  EXPECT_EQ(chooseDatabase(f.ctx, nullptr), nullptr);
  ASSERT_EQ(f.prompt.asked.size(), 1u);
  EXPECT_TRUE(f.prompt.asked[0].text.starts_with(kNotAccess));
  EXPECT_GT(f.prompt.asked[0].text.size(), kNotAccess.size());
  EXPECT_FALSE(f.ctx.database);
  EXPECT_EQ(f.ctx.variableSources.lastDatabaseName + f.ctx.settings.MDBBase, "/start");

  f.files.script(path);
  clsAnyDatabase* opened = chooseDatabase(f.ctx, nullptr);
  ASSERT_TRUE(opened);
  EXPECT_EQ(opened->dbName(), copy.string());
  EXPECT_EQ(f.ctx.variableSources.lastDatabaseName, "stats.mdb");
  EXPECT_EQ(f.ctx.settings.MDBBase, copy.parent_path().string());

  // The same file again: the open database, offered as the start name.
  f.files.script(path);
  EXPECT_EQ(chooseDatabase(f.ctx, nullptr), opened);
  EXPECT_EQ(f.files.calls.back().request.fileName, path);

  // A failed open after it keeps the database open, under its own name.
  f.files.script(broken);
  EXPECT_EQ(chooseDatabase(f.ctx, nullptr), nullptr);
  ASSERT_EQ(f.ctx.database.get(), opened);
  EXPECT_EQ(opened->dbName(), copy.string());

  // The file replaced on disk (here by a SQLite file): opened anew, also as the last database.
  fs::remove(copy);
  writeSqlite(copy.string(), "CREATE TABLE Fresh(Code TEXT, Name TEXT);");
  clsAnyDatabase* reopened = lastDatabase(f.ctx);
  ASSERT_TRUE(reopened);
  EXPECT_EQ(reopened->ListBoxTables(), (std::vector<ListEntry>{{"Fresh", 1}}));
  EXPECT_EQ(lastDatabase(f.ctx), reopened);
}

TEST(AddDimensionFromDatabase, PlacesTheVariableAsOneStepThenOffersTheSameDatabase) {
  Frame f;
  frmCreateVq* editor = f.emptyTable();
  VexaMess& doc = editor->document();
  const std::string stats = kDatabases + "stats.mdb";
  f.files.script(QString::fromStdString(stats));
  f.script({source(1), explore("Regions", "Code", "Name", "Län")});
  press(*editor, "cmdAddStub");
  EXPECT_EQ(f.ran, (Lines{"zendra::dlgNewDimension", "zendra::dlgExploreDatabase"}));
  ASSERT_TRUE(doc.colStub.Item("Län"));
  EXPECT_EQ(doc.colStub.Item("Län")->dbName, stats);
  EXPECT_EQ(describe(doc.colStub.Item("Län")),
            "Län|Regions|Code|codes: 01=Stockholm 03=Uppsala 04=Södermanland 05=Östergötland");
  EXPECT_EQ(editor->undoStack()->count(), 1);
  EXPECT_EQ(listTexts(child<QListWidget>(*editor, "lstStub")), (Lines{"region", "Län"}));
  editor->undoStack()->undo();
  EXPECT_FALSE(doc.Dimensions.Contains("Län"));
  EXPECT_EQ(listTexts(child<QListWidget>(*editor, "lstStub")), (Lines{"region"}));

  // "From stats.mdb": the same database, no chooser.
  const std::size_t chooserCalls = f.files.calls.size();
  f.script({[](QDialog& d) {
              EXPECT_EQ(child<QRadioButton>(d, "Option1_5")->text(), "From stats.mdb");
              source(5)(d);
            },
            explore("Sexes", "", "Name", "Kön")});
  press(*editor, "cmdAddHead");
  EXPECT_EQ(f.files.calls.size(), chooserCalls);
  EXPECT_EQ(describe(doc.colHeading.Item("Kön")), "Kön|Sexes||texts: =men =women");

  // Cancel in the explorer adds nothing.
  f.script({source(5)});
  press(*editor, "cmdAddHead");
  EXPECT_EQ(f.ran.size(), 2u);
  EXPECT_EQ(doc.Dimensions.Count(), 3);
  EXPECT_EQ(editor->undoStack()->index(), 1);

  // A SQLite file, with a name holding "]" and a Null code.
  const std::string path = f.home.file("codes.db");
  writeSqlite(path,
              "CREATE TABLE \"Age groups\"(\"Code] x\" INTEGER, Label TEXT);"
              "INSERT INTO \"Age groups\" VALUES (1, 'young'), (2, 'old'), (NULL, 'unknown');");
  f.files.script(QString::fromStdString(path));
  f.script({source(1), explore("Age groups", "Code] x", "Label", "age")});
  press(*editor, "cmdAddStub");
  EXPECT_EQ(describe(doc.colStub.Item("age")),
            "age|Age groups|Code] x|codes: 1=young 2=old 'Null'=unknown");
  EXPECT_EQ(f.ctx.variableSources.lastDatabaseName, "codes.db");
  EXPECT_EQ(editor->undoStack()->count(), 2);
}

namespace {

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

}  // namespace

TEST(DatabaseInBackground, AHangingReaderLeavesTheProgramAliveAndCancelStopsItAtOnce) {
  Frame f;
  std::unique_ptr<clsAnyDatabase> db = openDatabase(kDatabases + "stats.mdb");
  // The Access reader stand-in that never answers while it lives.
  const ScopedEnv reader{"ZENDRA_MDB_READER", ZENDRA_MISBEHAVING_READER};
  const ScopedEnv mode{"ZENDRA_FAKE_READER", "hang"};
  const auto start = std::chrono::steady_clock::now();
  {
    // Opening: the catalog is read off the GUI thread.
    f.files.script(QString::fromStdString(kDatabases + "stats.mdb"));
    CancelWhenShown cancel;
    EXPECT_EQ(chooseDatabase(f.ctx, nullptr), nullptr);
    EXPECT_TRUE(cancel.clicked);
    EXPECT_GT(cancel.ticks, 10);
    EXPECT_TRUE(f.prompt.asked.empty());  // a cancel is no failure to tell
  }
  {
    // A statement of the table-from-database wizard, whose tables are read first.
    VexaMess doc;
    CellGrid grid;
    ScriptedPrompt prompt;
    dlgMakeTableFromMDB wizard(*db, doc, grid, prompt);
    DbRows rows;
    CancelWhenShown cancel;
    EXPECT_TRUE(wizard.runQuery("SELECT COUNT(*) FROM Persons", rows).cancelled);
    EXPECT_TRUE(cancel.clicked);
    EXPECT_GT(cancel.ticks, 10);
  }
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 5.0);
}
