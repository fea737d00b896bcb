// The main window and the editor window: start-up, new and opened tables, saving,
// closing and exiting without losing work.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <filesystem>
#include <fstream>

#include "app/dlg_new_keys.h"
#include "app/frm_progress.h"
#include "app/mdi_form.h"
#include "editor/ui/data_grid_view.h"
#include "editor/ui/frm_create_vq.h"
#include "support/scripted_file_chooser.h"
#include "support/temp_folder.h"

using namespace zendra;
namespace fs = std::filesystem;

namespace {

const QString kData = ZENDRA_TEST_DATA;

// A frame with scripted dialogs, in a configuration folder of its own.
struct Frame {
  test::TempFolder home;
  AppContext ctx;
  ScriptedPrompt prompt{Prompt::Answer::Ok};
  test::ScriptedFileChooser files;
  const char* newKeysButton = "cmdStandard";
  int quits = 0;
  std::unique_ptr<MDIForm1> window;

  Frame() {
    ctx.prompt = &prompt;
    ctx.files = &files;
    ctx.quit = [this] { ++quits; };
    ctx.runDialog = [this](QDialog& dialog) {
      if (auto* keys = qobject_cast<dlgNewKeys*>(&dialog)) {
        keys->findChild<QPushButton*>(newKeysButton)->click();
      }
      return 0;
    };
    window = std::make_unique<MDIForm1>(ctx);
  }
  frmCreateVq* newTable(const char* button = "cmdStandard") {
    newKeysButton = button;
    const auto before = window->editors().size();
    window->file_new();
    return window->editors().size() > before ? window->editors().last() : nullptr;
  }
  frmCreateVq* open(const QString& file, bool metaOnly = false) {
    files.script(kData + "/" + file);
    const auto before = window->editors().size();
    window->OpenFile(metaOnly);
    return window->editors().size() > before ? window->editors().last() : nullptr;
  }
  bool asked(const std::string& text) const {
    for (const auto& q : prompt.asked) {
      if (q.text == text) return true;
    }
    return false;
  }
  QAction* toolbarButton(const char* key) { return window->toolbar()->findChild<QAction*>(key); }
};

std::string readAll(const QString& path) {
  std::ifstream in(path.toStdString(), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace

TEST(MainWindow, StartsWithoutSettingsAndWithoutEditorWindows) {
  Frame f;
  f.window->startUp();
  EXPECT_EQ(f.window->windowTitle(), "ZENDRA");
  ASSERT_EQ(f.prompt.asked.size(), 1u);
  EXPECT_EQ(f.prompt.asked[0].text, "ZENDRA002: NO INI-file is found");
  EXPECT_TRUE(f.window->editors().isEmpty());
  EXPECT_FALSE(f.toolbarButton("Save")->isVisible());
  f.toolbarButton("Save")->trigger();  // nothing to act on: nothing happens
  f.toolbarButton("Copy")->trigger();
}

TEST(MainWindow, NewTablesAreNumberedAndCancelCreatesNothing) {
  Frame f;
  EXPECT_EQ(f.newTable()->caption(), "File01.vq");
  EXPECT_EQ(f.newTable("cmdCancel"), nullptr);
  EXPECT_EQ(f.window->documentCounter(), 1);
  ASSERT_TRUE(f.open("keys_form.vq"));  // opening does not count
  frmCreateVq* keys = f.newTable("cmdKeys");
  EXPECT_EQ(keys->caption(), "File02.vq");
  EXPECT_TRUE(keys->document().FileWithKeys);
  EXPECT_FALSE(keys->document().dirty);
  EXPECT_TRUE(f.toolbarButton("Copy")->isVisible());
  EXPECT_TRUE(f.toolbarButton("Save")->isVisible());
}

TEST(MainWindow, OpenedFilesTakeTheirNameAndMetadataOnlyDisablesTheDataPage) {
  Frame f;
  frmCreateVq* whole = f.open("oem_full.vq");
  ASSERT_TRUE(whole);
  EXPECT_EQ(whole->caption(), "oem_full.vq");
  EXPECT_TRUE(whole->document().GridHasData);
  EXPECT_TRUE(whole->tabs()->isTabEnabled(frmCreateVq::Data));
  EXPECT_EQ(f.files.calls.back().request.title, "Select VQ-file");

  frmCreateVq* meta = f.open("oem_full.vq", true);
  ASSERT_TRUE(meta);
  EXPECT_FALSE(meta->tabs()->isTabEnabled(frmCreateVq::Data));
  meta->tabs()->setCurrentIndex(frmCreateVq::ActualFile);
  EXPECT_TRUE(meta->findChild<QTextEdit*>("RichTextBox1")->toPlainText().endsWith("DATA=...."));
  meta->tabs()->setCurrentIndex(frmCreateVq::Test);
  EXPECT_EQ(meta->findChild<QTextEdit*>("txtTestData")->toPlainText(), "VQ file is complete ");

  // A cancelled choice opens nothing; an unreadable file is reported and leaves nothing.
  const auto count = f.window->editors().size();
  f.window->OpenFile(false);
  EXPECT_FALSE(f.window->openPath(kData + "/missing.vq", false));
  EXPECT_EQ(f.window->editors().size(), count);
  EXPECT_TRUE(f.asked("Cannot read " + (kData + "/missing.vq").toStdString()));
}

TEST(MainWindow, ACancelledLoadLeavesNoWindow) {
  Frame f;
  QTimer::singleShot(0, [] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (auto* progress = qobject_cast<frmProgress*>(w)) {
        progress->findChild<QPushButton*>("cmdCancel")->click();
      }
    }
  });
  EXPECT_EQ(f.open("oem_full.vq"), nullptr);
  EXPECT_TRUE(f.window->editors().isEmpty());
}

TEST(MainWindow, CodesViewIsStoredAndPickedUpByTheNextWindow) {
  Frame f;
  ASSERT_TRUE(f.open("oem_full.vq"));
  frmCreateVq* first = f.window->editors().first();
  first->menus()[2]->findChild<QAction*>("mnuShowCodes")->trigger();
  EXPECT_TRUE(f.ctx.registry.readShowCodes());
  // Labels of a laid-out grid follow at once: the region column shows codes.
  const VexaMess& doc = first->document();
  EXPECT_EQ(first->dataGrid().text(doc.DataRow1, 1), "2321");
  frmCreateVq* second = f.newTable();
  EXPECT_TRUE(second->menus()[2]->findChild<QAction*>("mnuShowCodes")->isChecked());
  EXPECT_FALSE(second->menus()[2]->findChild<QAction*>("mnuShowValues")->isChecked());
}

TEST(MainWindow, ClosingOneOfTwoWindowsHidesCopyAndPaste) {
  Frame f;
  f.newTable();
  frmCreateVq* second = f.newTable();
  qobject_cast<QMdiSubWindow*>(second->parentWidget())->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(f.window->editors().size(), 1);
  EXPECT_FALSE(f.toolbarButton("Copy")->isVisible());
  EXPECT_FALSE(f.toolbarButton("Paste")->isVisible());
  EXPECT_TRUE(f.toolbarButton("Save")->isVisible());
}

TEST(EditorWindow, SavingANewTableAsksForANameAndWarnsWhenIncomplete) {
  Frame f;
  frmCreateVq* editor = f.newTable();
  editor->document().dirty = true;
  // The first folder cannot be written: the user is told and chooses again.
  const QString good = QString::fromStdString((f.home.path() / "table.vq").string());
  f.files.script(QString::fromStdString((f.home.path() / "no" / "such" / "t.vq").string()));
  f.files.script(good);
  ASSERT_TRUE(editor->savefile(0));  // Save, not Save as: a new table still asks
  EXPECT_TRUE(f.asked("File is not complete and can not be loaded to Vexa"));
  EXPECT_TRUE(f.asked(
      "Path is writeprotected. Select a folder where you you are permitted to save your work"));
  EXPECT_EQ(f.prompt.asked.back().title, "Problem");
  EXPECT_EQ(f.files.calls[0].request.title, "Save VQ-file as");
  EXPECT_EQ(editor->caption(), "table.vq");
  EXPECT_FALSE(editor->document().dirty);
  EXPECT_NE(readAll(good).find("VEXA-VERSION=\"2000\";"), std::string::npos);

  // Save as a cancelled dialog: nothing written, the table stays changed.
  editor->document().dirty = true;
  EXPECT_FALSE(editor->savefile(1));
  EXPECT_TRUE(editor->document().dirty);
}

TEST(EditorWindow, EditedCellsAreCommittedBeforeASaveAndWritten) {
  Frame f;
  frmCreateVq* editor = f.open("oem_full.vq");
  ASSERT_TRUE(editor);
  editor->tabs()->setCurrentIndex(frmCreateVq::Data);
  const VexaMess& doc = editor->document();
  QTableView* view = editor->SprData()->mainView();
  const QModelIndex cell = view->model()->index(doc.DataRow1 - 1, doc.DataCol1 - 1);
  view->setCurrentIndex(cell);
  view->edit(cell);
  auto* editorBox = view->findChild<QLineEdit*>();
  ASSERT_TRUE(editorBox);
  editorBox->clear();
  QTest::keyClicks(editorBox, "42.125");
  const QString out = QString::fromStdString((f.home.path() / "out.vq").string());
  f.files.script(out);
  ASSERT_TRUE(editor->savefile(1));
  EXPECT_EQ(editor->dataGrid().kind(doc.DataRow1, doc.DataCol1), CellKind::Number);
  EXPECT_NE(readAll(out).find("DATA=\r\n42.13 2.50"), std::string::npos);
}

TEST(EditorWindow, CloseAsksAndASaveThatDidNotHappenKeepsTheWindow) {
  Frame f;
  frmCreateVq* editor = f.newTable();
  editor->document().dirty = true;
  auto* sub = qobject_cast<QMdiSubWindow*>(editor->parentWidget());

  f.prompt.script(Prompt::Answer::Cancel);
  sub->close();
  EXPECT_EQ(f.window->editors().size(), 1);
  EXPECT_EQ(f.prompt.asked.back().text, "Do you want to save changes in File01.vq");

  f.prompt.script(Prompt::Answer::Yes);  // then the save dialog is cancelled
  sub->close();
  EXPECT_EQ(f.window->editors().size(), 1);
  EXPECT_TRUE(editor->document().dirty);

  f.prompt.script(Prompt::Answer::No);
  sub->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(f.window->editors().isEmpty());
}

TEST(EditorWindow, ExitAsksEveryChangedWindowAndCancelKeepsThemAll) {
  Frame f;
  frmCreateVq* a = f.newTable();
  frmCreateVq* b = f.newTable();
  a->document().dirty = true;
  b->document().dirty = true;
  f.prompt.script(Prompt::Answer::No);
  f.prompt.script(Prompt::Answer::Cancel);
  f.window->exitProgram();
  EXPECT_EQ(f.quits, 0);
  ASSERT_EQ(f.window->editors().size(), 2);
  EXPECT_TRUE(a->document().dirty);  // a No before the Cancel discards nothing

  f.prompt.script(Prompt::Answer::No);
  f.prompt.script(Prompt::Answer::No);
  a->menus()[0]->findChild<QAction*>("MnuFExit")->trigger();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(f.quits, 1);
  EXPECT_TRUE(f.window->editors().isEmpty());
  EXPECT_TRUE(fs::exists(f.ctx.settings.iniFile()));  // the settings were saved
}

TEST(EditorWindow, DataPageMenusFollowTheStructure) {
  Frame f;
  frmCreateVq* empty = f.newTable();
  empty->tabs()->setCurrentIndex(frmCreateVq::Data);
  EXPECT_TRUE(empty->findChild<QWidget*>("txtUncomplete")->isVisibleTo(empty));
  EXPECT_FALSE(empty->menus()[1]->findChild<QAction*>("mnuClearAllData")->isVisible());

  frmCreateVq* keys = f.open("keys_form.vq");
  keys->tabs()->setCurrentIndex(frmCreateVq::Data);
  QMenu* edit = keys->menus()[1];
  EXPECT_TRUE(edit->findChild<QAction*>("mnuDeleteRow")->isVisible());
  EXPECT_FALSE(edit->findChild<QAction*>("mnuConvertToKEys")->isVisible());
  EXPECT_TRUE(edit->findChild<QAction*>("mnuClearAllData")->isVisible());
  keys->tabs()->setCurrentIndex(frmCreateVq::Footnotes);
  EXPECT_FALSE(edit->findChild<QAction*>("mnuDeleteRow")->isVisible());

  // Delete current row takes the keys row away; Clear all data empties the grid.
  keys->tabs()->setCurrentIndex(frmCreateVq::Data);
  const std::int32_t rows = keys->dataGrid().rowCount();
  keys->dataGrid().setCurrent(keys->document().DataRow1, 1);
  edit->findChild<QAction*>("mnuDeleteRow")->trigger();
  EXPECT_EQ(keys->dataGrid().rowCount(), rows - 1);
  edit->findChild<QAction*>("mnuClearAllData")->trigger();
  EXPECT_FALSE(keys->document().GridHasData);
  EXPECT_EQ(keys->dataGrid().text(keys->document().DataRow1, 3), "");
}

TEST(MainWindow, HelpWithoutItsFileSaysWhereItLooked) {
  Frame f;
  f.ctx.programFolder = f.home.path().string();
  f.window->findChild<QToolBar*>("Toolbar1")->findChild<QAction*>("MnuHelp")->trigger();
  EXPECT_TRUE(f.asked("Helpfile was not found in " + f.home.path().string()));
}
