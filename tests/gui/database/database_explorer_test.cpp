// Choosing a database ("Select Acces database"), dlgExploreDatabase's pages and messages on
// the real fixtures, and a variable built from a database placed through "Add new
// dimension" as one step, from an Access file and from a SQLite file.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QAction>
#include <QApplication>
#include <QTimer>
#include <chrono>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QUndoStack>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/database/any_database.h"
#include "gui/database/database_chooser.h"
#include "gui/database/dlg_explore_database.h"
#include "gui/database/dlg_make_table_from_mdb.h"
#include "core/model/prompt.h"
#include "core/model/vexa_mess.h"
#include "support/editor_window_frame.h"
#include "support/list_actions.h"
#include "support/scoped_env.h"
#include "support/tables.h"

using namespace zendra;
namespace fs = std::filesystem;

using zendra::test::child;
using zendra::test::items;

namespace {

const std::string kDatabases = std::string(ZENDRA_TEST_DATA) + "/databases/";
const std::string kNotAccess = "Not a microsoft access db (or too high a version)\n";

using Lines = std::vector<std::string>;

std::unique_ptr<clsAnyDatabase> openDatabase(const std::string& path) {
  auto db = makeDatabase(databaseKindOf(path));
  db->setDbName(path);
  EXPECT_TRUE(db->OpenDB()) << path;
  return db;
}

// Runs statements on a new SQLite file.
void writeSqlite(const std::string& path, const char* sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  char* error = nullptr;
  EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
  sqlite3_free(error);
  sqlite3_close(db);
}

void press(QDialog& dialog, const char* button) {
  child<QPushButton>(dialog, button)->click();
}

// Selects the entry with this text as a click does.
void select(QDialog& dialog, const char* list, const QString& text) {
  auto* box = child<QListWidget>(dialog, list);
  const auto found = box->findItems(text, Qt::MatchExactly);
  ASSERT_EQ(found.size(), 1) << list << " " << text.toStdString();
  box->setCurrentItem(found.front());
}

// Walks the explorer's pages to its last one: a table, a code field (none: "No codes to
// be included") and a value field.
void walk(QDialog& dialog, const QString& table, const QString& codeField,
          const QString& valueField) {
  select(dialog, "lstTables", table);
  press(dialog, "cmdNext");
  if (codeField.isEmpty()) {
    child<QCheckBox>(dialog, "chkNocodes")->setChecked(true);
  } else {
    select(dialog, "lstFields1", codeField);
  }
  press(dialog, "cmdNext");
  select(dialog, "lstFields2", valueField);
  press(dialog, "cmdNext");
}

// An explorer on a database and a table that already has a variable "Region".
struct Explorer {
  ScriptedPrompt prompt;
  VexaMess doc;
  std::unique_ptr<clsAnyDatabase> db;
  std::unique_ptr<dlgExploreDatabase> dialog;

  explicit Explorer(const std::string& path = kDatabases + "stats.mdb") : db(openDatabase(path)) {
    test::addVariable(doc, "Region", 0, {"North"});
    dialog = std::make_unique<dlgExploreDatabase>(*db, doc, prompt);
    dialog->show();
  }
  bool shows(const char* name) const { return child(*dialog, name)->isVisible(); }
  // The buttons shown, the default one marked with "*".
  std::string buttons() const {
    std::string shown;
    for (const char* name : {"cmdBack", "cmdNext", "cmdFinish", "cmdCancel"}) {
      const auto* button = child<QPushButton>(*dialog, name);
      if (!button->isVisible()) continue;
      if (!shown.empty()) shown += ' ';
      shown += button->text().toStdString() + (button->isDefault() ? "*" : "");
    }
    return shown;
  }
  Lines values() const { return test::listTexts(child<QListWidget>(*dialog, "lstValueCode")); }
  Lines told() const {
    Lines all;
    for (const auto& q : prompt.asked) all.push_back(q.text);
    return all;
  }
  void finish(const QString& name) {
    child<QLineEdit>(*dialog, "txtVarName")->setText(name);
    press(*dialog, "cmdFinish");
  }
};

const Lines kRegions = {"01\tStockholm", "03\tUppsala", "04\tSödermanland", "05\tÖstergötland"};

}  // namespace

TEST(DatabaseExplorer, WalksItsFourPagesAndBuildsAVariableWithCodes) {
  Explorer e;
  dlgExploreDatabase& d = *e.dialog;
  EXPECT_EQ(d.windowTitle(), "Select values and code from database");
  for (auto [name, text] : {std::pair{"lblTable", "Select the table containing values and codes"},
                            {"lblCodeField", "Select the field holding codes"},
                            {"chkNocodes", "No codes to be included"},
                            {"lblValueField", "Select the field holding values (text)"},
                            {"lblConfirm", "Confirm to use codelist"},
                            {"lblVarName", "Enter name of variable"},
                            {"cmdBack", "Back"},
                            {"cmdNext", "Next"},
                            {"cmdFinish", "Finish"},
                            {"cmdCancel", "Cancel"}}) {
    EXPECT_EQ(child(d, name)->property("text").toString(), text) << name;
  }

  // Page 0: the user tables, the first selected.
  EXPECT_EQ(test::listTexts(child<QListWidget>(d, "lstTables")),
            (Lines{"Table1", "Table2", "Table3", "Regions", "Sexes", "Years", "Municipalities",
                   "Persons", "PersonsDirty"}));
  EXPECT_EQ(child<QListWidget>(d, "lstTables")->currentRow(), 0);
  EXPECT_EQ(e.buttons(), "Next* Cancel");

  select(d, "lstTables", "Regions");
  press(d, "cmdNext");
  EXPECT_TRUE(e.shows("lstFields1"));
  EXPECT_FALSE(e.shows("lstTables"));
  EXPECT_EQ(e.buttons(), "Back Next* Cancel");
  EXPECT_EQ(test::listTexts(child<QListWidget>(d, "lstFields1")), (Lines{"Code", "Name"}));
  EXPECT_EQ(child<QListWidget>(d, "lstFields1")->currentRow(), 0);

  press(d, "cmdNext");
  EXPECT_TRUE(e.shows("lstFields2"));
  select(d, "lstFields2", "Name");
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
  EXPECT_EQ(e.told(), (Lines{"You must give a valid name", "Variable name in use"}));
  EXPECT_TRUE(d.isVisible());
  e.finish("  Län ");
  EXPECT_EQ(d.result(), QDialog::Accepted);
  const DimensionRef made = d.NewDim;
  ASSERT_TRUE(made);
  EXPECT_EQ(made->name, "Län");
  EXPECT_EQ(made->dbName, kDatabases + "stats.mdb");
  EXPECT_EQ(made->TableName, "Regions");
  EXPECT_EQ(made->CodeField, "Code");
  EXPECT_TRUE(made->UseCodes);
  EXPECT_EQ(test::texts(made->ValueCode),
            (test::Texts{"Stockholm", "Uppsala", "Södermanland", "Östergötland"}));
  EXPECT_EQ(made->ValueCode.Item(1)->code, "01");
}

TEST(DatabaseExplorer, EachPageSaysWhatIsMissingAndStays) {
  Explorer e;
  dlgExploreDatabase& d = *e.dialog;
  child<QListWidget>(d, "lstTables")->clearSelection();
  press(d, "cmdNext");
  EXPECT_EQ(d.page(), 0);
  select(d, "lstTables", "Sexes");
  press(d, "cmdNext");
  child<QListWidget>(d, "lstFields1")->clearSelection();
  press(d, "cmdNext");
  EXPECT_EQ(d.page(), 1);
  select(d, "lstFields1", "Code");
  press(d, "cmdNext");
  child<QListWidget>(d, "lstFields2")->clearSelection();
  press(d, "cmdNext");
  EXPECT_EQ(d.page(), 2);
  EXPECT_EQ(e.told(), (Lines{"You must select a table", "Select a field or mark for no codes",
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
  {
    Explorer e;
    walk(*e.dialog, "Regions", "", "Name");
    EXPECT_EQ(child<QLabel>(*e.dialog, "lblSelected")->text(),
              "Table: Regions no code Value: Name");
    EXPECT_EQ(e.values(), (Lines{"Stockholm", "Uppsala", "Södermanland", "Östergötland"}));
    e.finish("Län");
    EXPECT_FALSE(e.dialog->NewDim->UseCodes);
    EXPECT_EQ(e.dialog->NewDim->CodeField, "");
    EXPECT_EQ(e.dialog->NewDim->ValueCode.Item(1)->code, "");
  }
  {
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
}

TEST(DatabaseExplorer, AValueQueryThatFailsIsToldAndStaysOnTheValueField) {
  test::TempFolder folder;
  const std::string path = folder.file("broken.sqlite");
  writeSqlite(path, "CREATE TABLE Codes(Code TEXT, Name TEXT); INSERT INTO Codes VALUES (1, 'a');");
  Explorer e(path);
  select(*e.dialog, "lstTables", "Codes");
  press(*e.dialog, "cmdNext");
  press(*e.dialog, "cmdNext");
  // Another program removes the table while the explorer shows its fields.
  writeSqlite(path, "DROP TABLE Codes;");
  select(*e.dialog, "lstFields2", "Name");
  press(*e.dialog, "cmdNext");
  EXPECT_EQ(e.dialog->page(), 2);
  ASSERT_EQ(e.prompt.asked.size(), 1u);
  EXPECT_TRUE(e.prompt.asked[0].text.starts_with("The values could not be read\n"));
  EXPECT_GT(e.prompt.asked[0].text.size(), std::string("The values could not be read\n").size());
}

namespace {

using Answer = std::function<void(QDialog&)>;

// A main window whose dialogs answer from a list in order; a dialog without an answer left
// is cancelled. Every dialog run is remembered by its class name.
struct Frame : test::EditorWindowFrame {
  std::vector<Answer> answers;
  std::size_t next = 0;
  std::vector<std::string> ran;

  Frame() {
    answer = [this](QDialog& dialog) {
      ran.push_back(dialog.metaObject()->className());
      if (next >= answers.size()) {
        dialog.reject();
        return;
      }
      answers[next++](dialog);
    };
  }
  void script(std::vector<Answer> list) {
    answers = std::move(list);
    next = 0;
    ran.clear();
  }
  frmCreateVq* emptyTable() {
    frmCreateVq* editor = openText(
        "MATRIX=\"M1\";\r\nCONTENTS=\"People\";\r\nDECIMALS=0;\r\nSTUB=\"region\";\r\n"
        "HEADING=\"year\";\r\nVALUES(\"region\")=\"North\",\"South\";\r\n"
        "VALUES(\"year\")=\"2020\",\"2021\";\r\nDATA=\r\n1 2\r\n3 4;\r\n");
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

void click(frmCreateVq* editor, const char* button) {
  child<QPushButton>(*editor, button)->click();
}

}  // namespace

TEST(DatabaseChooser, OpensOnlyAFileThatReadsAndKeepsItUntilItChanges) {
  Frame f;
  f.ctx.settings.MDBBase = "/start";
  const fs::path copy = f.home / "db" / "stats.mdb";
  fs::create_directories(copy.parent_path());
  fs::copy_file(kDatabases + "stats.mdb", copy);
  const std::string broken = f.home.write("db/broken.mdb", "this is text, not a database").string();

  // Cancel: nothing opened.
  EXPECT_EQ(chooseDatabase(f.ctx, nullptr), nullptr);
  EXPECT_FALSE(f.ctx.database);
  EXPECT_EQ(f.files.calls.back().request.title, "Select Acces database");
  EXPECT_EQ(f.files.calls.back().request.folder, "/start");
  EXPECT_TRUE(f.files.calls.back().request.mustExist);

  // A file that is no database: the message with the engine's description, no name kept.
  f.files.script(QString::fromStdString(broken));
  EXPECT_EQ(chooseDatabase(f.ctx, nullptr), nullptr);
  ASSERT_EQ(f.prompt.asked.size(), 1u);
  EXPECT_TRUE(f.prompt.asked[0].text.starts_with(kNotAccess));
  EXPECT_GT(f.prompt.asked[0].text.size(), kNotAccess.size());
  EXPECT_FALSE(f.ctx.database);
  EXPECT_EQ(f.ctx.variableSources.lastDatabaseName, "");
  EXPECT_EQ(f.ctx.settings.MDBBase, "/start");

  f.files.script(QString::fromStdString(copy.string()));
  clsAnyDatabase* opened = chooseDatabase(f.ctx, nullptr);
  ASSERT_TRUE(opened);
  EXPECT_EQ(opened->dbName(), copy.string());
  EXPECT_EQ(f.ctx.variableSources.lastDatabaseName, "stats.mdb");
  EXPECT_EQ(f.ctx.settings.MDBBase, copy.parent_path().string());

  // The same file again: the open database, offered as the start name.
  f.files.script(QString::fromStdString(copy.string()));
  EXPECT_EQ(chooseDatabase(f.ctx, nullptr), opened);
  EXPECT_EQ(f.files.calls.back().request.fileName, QString::fromStdString(copy.string()));

  // A failed open after it keeps the database open, under its own name.
  f.files.script(QString::fromStdString(broken));
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
  const std::string stats = kDatabases + "stats.mdb";

  f.files.script(QString::fromStdString(stats));
  f.script({source(1), explore("Regions", "Code", "Name", "Län")});
  click(editor, "cmdAddStub");
  EXPECT_EQ(f.ran, (Lines{"zendra::dlgNewDimension", "zendra::dlgExploreDatabase"}));
  VexaMess& doc = editor->document();
  const DimensionRef placed = doc.colStub.Item("Län");
  ASSERT_TRUE(placed);
  EXPECT_EQ(placed->dbName, stats);
  EXPECT_EQ(placed->TableName, "Regions");
  EXPECT_EQ(placed->CodeField, "Code");
  EXPECT_EQ(placed->ValueCode.Count(), 4);
  EXPECT_EQ(editor->undoStack()->count(), 1);
  EXPECT_EQ(test::listTexts(child<QListWidget>(*editor, "lstStub")), (Lines{"region", "Län"}));
  editor->undoStack()->undo();
  EXPECT_FALSE(doc.Dimensions.Contains("Län"));
  EXPECT_EQ(test::listTexts(child<QListWidget>(*editor, "lstStub")), (Lines{"region"}));

  // "From stats.mdb": the same database, no chooser.
  const std::size_t chooserCalls = f.files.calls.size();
  f.script({[](QDialog& d) {
              EXPECT_EQ(child<QRadioButton>(d, "Option1_5")->text(), "From stats.mdb");
              source(5)(d);
            },
            explore("Sexes", "", "Name", "Kön")});
  click(editor, "cmdAddHead");
  EXPECT_EQ(f.files.calls.size(), chooserCalls);
  ASSERT_TRUE(doc.colHeading.Item("Kön"));
  EXPECT_EQ(test::texts(doc.colHeading.Item("Kön")->ValueCode), (test::Texts{"men", "women"}));

  // Cancel in the explorer adds nothing.
  f.script({source(5)});
  click(editor, "cmdAddHead");
  EXPECT_EQ(f.ran.size(), 2u);
  EXPECT_EQ(doc.Dimensions.Count(), 3);
  EXPECT_EQ(editor->undoStack()->index(), 1);
}

TEST(AddDimensionFromDatabase, WorksTheSameOnASqliteFile) {
  Frame f;
  frmCreateVq* editor = f.emptyTable();
  const std::string path = f.home.file("codes.db");
  writeSqlite(path,
              "CREATE TABLE \"Age groups\"(\"Code] x\" INTEGER, Label TEXT);"
              "INSERT INTO \"Age groups\" VALUES (1, 'young'), (2, 'old'), (NULL, 'unknown');");
  f.files.script(QString::fromStdString(path));
  f.script({source(1), explore("Age groups", "Code] x", "Label", "age")});
  click(editor, "cmdAddStub");
  const DimensionRef placed = editor->document().colStub.Item("age");
  ASSERT_TRUE(placed);
  EXPECT_EQ(placed->CodeField, "Code] x");
  EXPECT_EQ(test::texts(placed->ValueCode), (test::Texts{"young", "old", "unknown"}));
  EXPECT_EQ(placed->ValueCode.Item(3)->code, "'Null'");
  EXPECT_EQ(f.ctx.variableSources.lastDatabaseName, "codes.db");
  EXPECT_EQ(editor->undoStack()->count(), 1);
}

namespace {

// Clicks Cancel in the progress window once it shows, and counts its own ticks meanwhile,
// which come only while the GUI thread's event loop runs.
struct CancelWhenShown {
  QTimer timer;
  int ticks = 0;
  bool clicked = false;
  CancelWhenShown() {
    timer.setInterval(20);
    QObject::connect(&timer, &QTimer::timeout, [this] {
      ++ticks;
      for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->objectName() != "frmProgress" || !window->isVisible() || clicked) continue;
        clicked = true;
        child<QPushButton>(*window, "cmdCancel")->click();
      }
    });
    timer.start();
  }
};

// Runs the Access reader stand-in that never answers while it lives.
struct HangingReader {
  test::ScopedEnv reader{"ZENDRA_MDB_READER", ZENDRA_MISBEHAVING_READER};
  test::ScopedEnv mode{"ZENDRA_FAKE_READER", "hang"};
};

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

TEST(DatabaseInBackground, AHangingReaderLeavesTheProgramAliveAndCancelStopsItAtOnce) {
  Frame f;
  std::unique_ptr<clsAnyDatabase> db = openDatabase(kDatabases + "stats.mdb");
  const HangingReader hanging;
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
  EXPECT_LT(secondsSince(start), 5.0);
}

TEST(DatabaseExplorer, TellsThatTheFileMayBeDamagedWhenTheEngineWarned) {
  // A page that maps Persons garbled: libmdb warns, and reads the rows all the same.
  test::TempFolder folder;
  std::string bytes = test::TempFolder::read(kDatabases + "stats.mdb");
  for (int k = 0; k < 8; ++k) bytes[85 * 4096 + 200 + k * 5] ^= 0x55;
  Explorer e(folder.write("damaged.mdb", bytes).string());
  walk(*e.dialog, "Persons", "Region", "Sex");
  EXPECT_EQ(e.told(), Lines{"damaged.mdb: the file may be damaged: 2 warnings while reading "
                            "Persons\n  offset 6422528 is beyond EOF\n  error: reading page "
                            "1568 failed."});
  EXPECT_EQ(e.values().size(), 114u);
}
