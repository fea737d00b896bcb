// The main window and the editor window: start-up, new and opened tables, saving,
// closing and exiting without losing work.
#include <filesystem>

#include "core/editor/command.h"
#include "core/format/writer.h"
#include "gui/app/dlg_new_keys.h"
#include "gui/editor/data_grid_view.h"
#include "gui/settings/dlg_options.h"
#include "gui/shared/frm_progress.h"
#include "gui/shared/shipped_data.h"
#include "gui/shared/toolbar_icons.h"
#include "support/dialog_steps.h"

using namespace zendra;
using namespace zendra::test;

namespace {

const QString kData = ZENDRA_TEST_DATA;

// A frame with scripted dialogs, in a configuration folder of its own; the new-table
// question is answered with newKeysButton.
struct Frame : EditorWindowFrame {
  const char* newKeysButton = "cmdStandard";

  Frame() {
    answer = [this](QDialog& dialog) {
      if (qobject_cast<dlgNewKeys*>(&dialog)) press(dialog, newKeysButton);
    };
  }
  frmCreateVq* newTable(const char* button = "cmdStandard") {
    newKeysButton = button;
    const auto before = window->editors().size();
    window->file_new();
    return window->editors().size() > before ? window->editors().last() : nullptr;
  }
  // Opens a fixture file through File/Open and its chooser.
  frmCreateVq* choose(const QString& file, bool metaOnly = false) {
    files.script(kData + "/" + file);
    const auto before = window->editors().size();
    window->OpenFile(metaOnly);
    return window->editors().size() > before ? window->editors().last() : nullptr;
  }
  // Opens a fixture file on its Data page.
  frmCreateVq* openData(const std::string& file) {
    frmCreateVq* editor = open(file);
    if (editor) editor->tabs()->setCurrentIndex(frmCreateVq::Data);
    return editor;
  }
  QAction* button(const char* name) const { return window->toolbar()->findChild<QAction*>(name); }
  QString out(const char* name) const { return QString::fromStdString(home.file(name)); }
  void activate(frmCreateVq* editor) {
    window->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(editor->parentWidget()));
  }
  static QAction* action(frmCreateVq* editor, int menu, const char* name) {
    return editor->menus()[menu]->findChild<QAction*>(name);
  }
  // A step of the table's history that changes nothing in it: the window counts as
  // changed until it is saved or the step is undone.
  static void change(frmCreateVq* editor) {
    struct Mark : Command {
      void redo() override {}
      void undo() override {}
      std::string text() const override { return "Mark"; }
      std::size_t memoryBytes() const override { return 0; }
    };
    editor->push(std::make_unique<Mark>());
  }
};

// The cell editor open in a grid view, if any (in a hidden window, the one with the focus).
QLineEdit* cellEditor(QAbstractItemView* view) {
  for (auto* line : view->findChildren<QLineEdit*>()) {
    if (line->isVisible()) return line;
  }
  return qobject_cast<QLineEdit*>(view->focusWidget());
}

// Starts typing text into a cell (1-based) of the view as a user does, without leaving it.
void type(QTableView* view, int row, int col, const QString& text) {
  view->setCurrentIndex(view->model()->index(row - 1, col - 1));
  QTest::keyClick(view, text.at(0).toLatin1());
  ASSERT_TRUE(cellEditor(view));
  QTest::keyClicks(cellEditor(view), text.mid(1));
}

// VALUES("name")="0","1",... with count values.
std::string numberedValues(const std::string& name, int count) {
  std::string text = "VALUES(\"" + name + "\")=";
  for (int i = 0; i < count; ++i) text += (i ? ",\"" : "\"") + std::to_string(i) + "\"";
  return text + ";";
}

}  // namespace

TEST(MainWindow, AFirstStartHasTheShippedDataAfterOneMessageAndTheNextAsksNothing) {
  const QString shipped = locateShippedData("/nowhere/bin");
  ASSERT_EQ(shipped.toStdString(), ZENDRA_SHIPPED_DATA);
  const std::string defaults = shipped.toStdString() + "/default_data.ini";
  const std::string before = TempFolder::read(defaults);

  Frame f;
  useShippedData(f.ctx, shipped);
  f.window->startUp();
  EXPECT_EQ(told(f.prompt), Lines{"ZENDRA002: NO INI-file is found"});
  EXPECT_TRUE(std::filesystem::exists(f.ctx.settings.iniFile()));  // written at once
  EXPECT_FALSE(f.ctx.subjectAreas.SubjectArea.empty());
  EXPECT_FALSE(f.button("Save")->isVisible());
  f.button("Save")->trigger();  // nothing to act on
  // Every button has the standard icon of what it does, each its own.
  std::vector<QImage> icons;
  for (const auto& [name, standard] : {std::pair{"MnuFNew", "document-new"},
                                       {"Copy", "edit-copy"},
                                       {"Save", "document-save"},
                                       {"MnuHelp", "help-contents"}}) {
    icons.push_back(f.button(name)->icon().pixmap(24, 24).toImage());
    EXPECT_EQ(icons.back(), toolbarIcon(standard).pixmap(24, 24).toImage()) << name;
    EXPECT_EQ(std::ranges::count(icons, icons.back()), 1) << name;
  }
  // Confirming the Options dialog keeps no path for the shipped file.
  press(dlgOptions(f.ctx), "cmdOK");
  EXPECT_EQ(f.ctx.settings.DefaultData, "");
  // The close box writes the settings file too.
  std::filesystem::remove(f.ctx.settings.iniFile());
  EXPECT_TRUE(f.window->close());
  EXPECT_TRUE(VqVexaData(f.ctx.settings.iniFile()).Load_data());

  // Later starts in the same configuration folder: what they were told, and the units.
  const auto start = [&] {
    ScriptedPrompt prompt;
    AppContext ctx;
    ctx.prompt = &prompt;
    ctx.files = &f.files;
    useShippedData(ctx, shipped);
    MDIForm1(ctx).startUp();
    return std::pair{told(prompt), ctx.defaultData.Units};
  };
  EXPECT_EQ(start(), (std::pair{Lines{}, f.ctx.defaultData.Units}));
  // A default data file of the user's own that is missing is still reported.
  f.ctx.settings.DefaultData = f.home.file("gone.ini");
  ASSERT_TRUE(f.ctx.settings.save_ini());
  const Lines gone = start().first;
  ASSERT_EQ(gone.size(), 1u);
  EXPECT_TRUE(gone[0].starts_with("ZENDRA003: No default data found"));
  EXPECT_EQ(TempFolder::read(defaults), before);
}

TEST(MainWindow, OpeningMetadataOnlyACancelledLoadTheCodesViewAndWhatALoadLeftOut) {
  Frame f;
  frmCreateVq* whole = f.open("oem_full.vq");
  ASSERT_TRUE(whole);
  frmCreateVq* metadata = f.choose("oem_full.vq", true);
  metadata->tabs()->setCurrentIndex(frmCreateVq::ActualFile);
  EXPECT_TRUE(child<QTextEdit>(*metadata, "RichTextBox1")->toPlainText().endsWith("DATA=...."));

  // A cancelled choice opens nothing; an unreadable file is reported and leaves nothing.
  f.window->OpenFile(false);
  EXPECT_FALSE(f.window->openPath(kData, false));
  EXPECT_EQ(told(f.prompt), Lines{"Cannot read " + kData.toStdString() + ": Is a directory"});
  QTimer::singleShot(0, [] {  // a cancelled load leaves no window
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (qobject_cast<frmProgress*>(w)) press(*w, "cmdCancel");
    }
  });
  EXPECT_EQ(f.choose("oem_full.vq"), nullptr);

  // The codes view is stored, and labels of a laid-out grid follow at once.
  Frame::action(whole, 2, "mnuShowCodes")->trigger();
  EXPECT_TRUE(f.ctx.registry.readShowCodes());
  EXPECT_EQ(whole->dataGrid().text(whole->document().DataRow1, 1), "2321");
  EXPECT_TRUE(Frame::action(f.newTable(), 2, "mnuShowCodes")->isChecked());

  // What a load leaves out or keeps as text is told once the file is open: five elements
  // for two cells.
  f.home.write("surplus.vq", "STUB=\"r\";VALUES(\"r\")=\"a\",\"b\";DATA=1 2 3 4 5;");
  ASSERT_TRUE(f.window->openPath(f.out("surplus.vq"), false));
  EXPECT_EQ(f.prompt.asked.back().text,
            "The data have 3 elements more than the table has cells; they were left out.");

  // 800,000,000 cells: more than any grid here may hold. The data stay as read.
  f.home.write("large.vq", "STUB=\"a\",\"b\";HEADING=\"c\";" + numberedValues("a", 2000) +
                               numberedValues("b", 2000) + numberedValues("c", 200) +
                               "DATA=1 2 3;");
  f.prompt.script(Prompt::Answer::No);  // "Large table ... Load metadata only": no, all of it
  ASSERT_TRUE(f.window->openPath(f.out("large.vq"), false));
  frmCreateVq* large = f.window->editors().last();
  EXPECT_TRUE(f.prompt.asked.back().text.starts_with("The table has 800 000 000 cells"));
  EXPECT_TRUE(large->document().MetadataOnly);
  EXPECT_TRUE(TempFolder::read(f.saveAs(large, "large-saved.vq")).ends_with("DATA=1 2 3;"));
}

TEST(EditorWindow, NewTablesAreNumberedSavedUnderANameAndCloseAndExitAskForEveryChange) {
  Frame f;
  frmCreateVq* editor = f.newTable();
  Frame::change(editor);
  // The caption and the Windows menu mark the unsaved change.
  EXPECT_EQ(editor->windowTitle(), "File01.vq[*]");
  auto* windows = editor->findChild<QMenu*>("mnuWindows");
  emit windows->aboutToShow();
  EXPECT_EQ(windows->actions().back()->text(), "&1 File01.vq*");
  // The first folder cannot be written: the user is told and chooses again.
  f.files.script(f.out("no/such/t.vq"));
  f.files.script(f.out("table.vq"));
  ASSERT_TRUE(editor->savefile(0));  // Save, not Save as: a new table still asks
  EXPECT_TRUE(f.asked(
      "Path is writeprotected. Select a folder where you you are permitted to save your work"));
  EXPECT_FALSE(editor->isChanged() || editor->isWindowModified());

  // A table whose file would read back as another is refused before a file is chosen.
  editor->document().FileWithKeys = true;  // without a stub variable
  EXPECT_FALSE(editor->savefile(1));
  EXPECT_TRUE(f.asked(WriteRefusal(editor->document())));
  EXPECT_EQ(f.files.calls.size(), 2u);

  // Cancel creates nothing, an opened file does not count, and Copy needs two windows.
  EXPECT_EQ(f.newTable("cmdCancel"), nullptr);
  ASSERT_TRUE(f.open("keys_form.vq"));
  frmCreateVq* keys = f.newTable("cmdKeys");
  EXPECT_EQ(keys->caption(), "File02.vq");
  EXPECT_TRUE(keys->document().FileWithKeys);
  EXPECT_TRUE(f.button("Copy")->isVisible());
  Frame::close(keys);
  Frame::close(editor);
  EXPECT_FALSE(f.button("Copy")->isVisible() || f.button("Paste")->isVisible());

  // Close and Exit ask for every changed window and keep what was not saved.
  frmCreateVq* a = f.newTable();
  Frame::change(a);
  Frame::change(f.newTable());
  f.prompt.script(Prompt::Answer::Yes);  // then the save dialog is cancelled
  Frame::close(a);
  EXPECT_TRUE(f.asked("Do you want to save changes in File03.vq"));

  f.prompt.script(Prompt::Answer::No);
  f.prompt.script(Prompt::Answer::Cancel);
  f.window->exitProgram();
  EXPECT_EQ(f.quits, 0);
  ASSERT_EQ(f.window->editors().size(), 3);
  EXPECT_TRUE(a->isChanged());  // a No before the Cancel discards nothing

  f.prompt.script(Prompt::Answer::No);
  f.prompt.script(Prompt::Answer::No);
  Frame::action(a, 0, "MnuFExit")->trigger();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(f.quits, 1);
  EXPECT_TRUE(f.window->editors().isEmpty());
}

TEST(EditorWindow, TypingSurvivesCloseAndTheViewMenuSpeaksTheUsersDecimalsAndDropsErrorColours) {
  // A user whose decimal separator is a comma; files keep the point.
  struct LocaleGuard {
    QLocale before;
    LocaleGuard() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    ~LocaleGuard() { QLocale::setDefault(before); }
  } comma;
  Frame f;
  f.window->show();
  frmCreateVq* editor = f.openData("oem_full.vq");
  ASSERT_TRUE(editor);
  CellGrid& grid = editor->dataGrid();
  QTableView* view = editor->SprData()->mainView();
  const int r = editor->document().DataRow1, c = editor->document().DataCol1;
  EXPECT_EQ(grid.text(r, c + 1), "2,50");
  type(view, r, c, "12,5");
  // A number still being typed is a change: closing asks about it, and it is saved.
  f.prompt.script(Prompt::Answer::Cancel);
  Frame::close(editor);
  EXPECT_EQ(f.prompt.asked.back().text, "Do you want to save changes in oem_full.vq");

  // View/Codes and View/Values while a cell is typed: the cell is stored, and the
  // current cell stays where it was.
  type(view, r + 1, c + 2, "7,25");
  Frame::action(editor, 2, "mnuShowCodes")->trigger();
  EXPECT_EQ(view->currentIndex(), view->model()->index(r, c + 1));
  type(view, r + 1, c + 3, "x");
  Frame::action(editor, 2, "mnuShowValues")->trigger();
  EXPECT_EQ(grid.text(r + 1, c + 3), "x");

  // The test page paints the faulty cell; starting to correct it makes it black on white.
  editor->tabs()->setCurrentIndex(frmCreateVq::Test);
  editor->tabs()->setCurrentIndex(frmCreateVq::Data);
  EXPECT_EQ(grid.backColour(r + 1, c + 3), kRed);
  type(view, r + 1, c + 3, "8");
  EXPECT_EQ(colours(grid, r + 1, c + 3), "white/black");

  const std::string saved = TempFolder::read(f.saveAs(editor, "out.vq"));
  EXPECT_NE(saved.find("DATA=\r\n12.50 2.50 \"..\" 4.00 \r\n5.00 6.00 7.25 8.00 \r\n"),
            std::string::npos);
}

TEST(EditorWindow, UndoFollowsTheActiveWindowFindsTheSavedStateAndTakesBackTheKeysSort) {
  Frame f;
  f.window->show();
  QAction* undo = f.window->undoAction();
  QAction* redo = f.window->redoAction();
  frmCreateVq* a = f.openData("oem_full.vq");
  ASSERT_TRUE(a);
  const int r = a->document().DataRow1, c = a->document().DataCol1;
  QTableView* view = a->SprData()->mainView();
  const auto first = [&] { return a->dataGrid().text(r, c); };

  type(view, r, c, "77");
  QTest::keyClick(view->focusWidget(), Qt::Key_Return);
  // Undo while a cell is being typed takes that typing back.
  type(view, r, c, "5");
  undo->trigger();
  EXPECT_FALSE(a->SprData()->isEditing());
  EXPECT_EQ(first(), "77.00");

  // A second window has a history of its own; Undo follows the active window.
  frmCreateVq* b = f.openData("keys_form.vq");
  EXPECT_FALSE(undo->isEnabled());
  Frame::action(b, 1, "mnuClearAllData")->trigger();
  f.activate(a);
  undo->trigger();
  EXPECT_EQ(first(), "1.00");
  EXPECT_FALSE(b->document().GridHasData);  // b's step is still done
  f.activate(b);
  undo->trigger();
  EXPECT_TRUE(b->document().GridHasData);

  // Saved, changed and undone back to the saved state: closing asks nothing.
  f.activate(a);
  redo->trigger();
  ASSERT_FALSE(f.saveAs(a, "a.vq").empty());
  undo->trigger();
  redo->trigger();
  const auto asked = f.prompt.asked.size();
  Frame::close(a);
  Frame::close(b);
  EXPECT_EQ(f.prompt.asked.size(), asked);

  // The keys sort of the test page is a step, so that earlier steps find their cells.
  frmCreateVq* keys = f.open("keys_form.vq");
  ASSERT_TRUE(keys);
  keys->tabs()->setCurrentIndex(frmCreateVq::Test);  // sorts the unsorted rows
  EXPECT_FALSE(keys->isChanged());
  keys->tabs()->setCurrentIndex(frmCreateVq::Data);
  const CellGrid& grid = keys->dataGrid();
  const int k = keys->document().DataRow1;
  const std::string sorted = gridRows(grid, k, k + 2);
  // A new key for the last row, which the next sort moves to the top.
  QTableView* keysView = keys->SprData()->mainView();
  type(keysView, k + 2, 1, "00");
  QTest::keyClick(keysView->focusWidget(), Qt::Key_Return);
  keys->tabs()->setCurrentIndex(frmCreateVq::Test);
  EXPECT_EQ(gridRows(grid, k, k), "00|65+|7|0\n");
  keys->tabs()->setCurrentIndex(frmCreateVq::Data);
  undo->trigger();  // the sort
  undo->trigger();  // the typing
  EXPECT_EQ(gridRows(grid, k, k + 2), sorted);
}

TEST(EditorWindow, DataPageMenusFollowTheStructureAndTheWorkSheetStaysInEditMode) {
  Frame f;
  f.window->show();
  frmCreateVq* empty = f.newTable();
  empty->tabs()->setCurrentIndex(frmCreateVq::Data);
  EXPECT_TRUE(child(*empty, "txtUncomplete")->isVisibleTo(empty));
  EXPECT_FALSE(Frame::action(empty, 1, "mnuClearAllData")->isVisible());

  // The work sheet keeps an editor open: Enter and Tab store and open the next cell, and
  // the table is not touched.
  empty->tabs()->setCurrentIndex(frmCreateVq::WorkSheet);
  auto* work = child<DataGridView>(*empty, "sprWork");
  ASSERT_TRUE(work->isEditing());
  QTest::keyClicks(cellEditor(work->mainView()), "abc");
  QTest::keyClick(cellEditor(work->mainView()), Qt::Key_Return);
  QTest::keyClicks(cellEditor(work->mainView()), "12");
  QTest::keyClick(cellEditor(work->mainView()), Qt::Key_Tab);
  EXPECT_EQ(work->grid()->text(1, 1) + "|" + work->grid()->text(1, 2), "abc|12");
  EXPECT_TRUE(work->isEditing());
  EXPECT_FALSE(empty->isChanged());

  frmCreateVq* keys = f.openData("keys_form.vq");
  QAction* deleteRow = Frame::action(keys, 1, "mnuDeleteRow");
  // Delete current row does not take the empty entry row of the keys form away.
  const std::int32_t rows = keys->dataGrid().rowCount();
  keys->dataGrid().setCurrent(rows, 1);
  deleteRow->trigger();
  EXPECT_EQ(keys->dataGrid().rowCount(), rows);

  // The menu follows the table when it opens: after Clear all data and after its undo.
  frmCreateVq* normal = f.openData("ansi_months.vq");
  QAction* convert = Frame::action(normal, 1, "mnuConvertToKEys");
  QAction* fromAccess = Frame::action(normal, 1, "mnuCreateFromMDB");
  Frame::action(normal, 1, "mnuClearAllData")->trigger();
  emit normal->editMenu()->aboutToShow();
  EXPECT_TRUE(!convert->isVisible() && fromAccess->isVisible());
  normal->undoStack()->undo();
  emit normal->editMenu()->aboutToShow();
  EXPECT_TRUE(convert->isVisible() && !fromAccess->isVisible());
}

TEST(MainWindow, TheFrameCannotCloseUnderALoadingWindow) {
  Frame f;
  // A table big enough for the load to breathe while it reads.
  std::string text = "STUB=\"r\";" + numberedValues("r", 3000) + "DATA=";
  for (int i = 0; i < 3000; ++i) text += "1 ";
  f.home.write("big.vq", text + ";");
  int attempts = 0;
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&] {
    ++attempts;
    f.window->close();
  });
  closer.start(0);
  EXPECT_TRUE(f.window->openPath(f.out("big.vq"), false));
  closer.stop();
  EXPECT_GT(attempts, 0);
  EXPECT_EQ(f.window->editors().size(), 1);
}
