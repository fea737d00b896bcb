// The manual in the help window: F1 and the Help menus open it at the page of the active
// editor page, its links and Back/Forward/Home move between pages, and a missing manual is
// reported with the folder looked in.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <QUrl>

#include "gui/app/mdi_form.h"
#include "gui/editor/frm_create_vq.h"
#include "gui/shared/help_window.h"
#include "support/editor_window_frame.h"
#include "support/temp_folder.h"

using namespace zendra;

namespace {

const QString kManual = ZENDRA_MANUAL_DIR;

struct HelpFrame : test::EditorWindowFrame {
  HelpFrame() { ctx.manualFolder = kManual.toStdString(); }
  HelpWindow* help() const { return window->helpWindow(); }
  QString page() const { return QDir(kManual).relativeFilePath(help()->source().toLocalFile()); }
};

QAction* menuAction(const QList<QMenu*>& menus, const QString& name) {
  for (QMenu* menu : menus) {
    for (QAction* action : menu->actions()) {
      if (action->objectName() == name) return action;
    }
  }
  return nullptr;
}

TEST(HelpWindow, F1OpensTheIndexWithoutAnEditorAndTheActivePagesManualPageWithOne) {
  HelpFrame f;
  f.window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(f.window.get()));
  QTest::keyClick(f.window.get(), Qt::Key_F1);
  ASSERT_NE(f.help(), nullptr);
  EXPECT_TRUE(f.help()->isVisible());
  EXPECT_EQ(f.page(), "index.html");
  EXPECT_TRUE(f.prompt.asked.empty());

  // The help window has the focus now; F1 in the editor window, and in the help window,
  // follows the editor window.
  frmCreateVq* editor = f.open("ansi_months.vq");
  ASSERT_NE(editor, nullptr);
  f.window->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(editor->parentWidget()));
  const std::pair<int, const char*> pages[] = {
      {frmCreateVq::BasicStructure, "pages/basic-structure.html"},
      {frmCreateVq::Variables, "pages/variables.html"},
      {frmCreateVq::Data, "pages/data.html"},
      {frmCreateVq::CellNotes, "pages/cellnotes.html"},
      {frmCreateVq::WorkSheet, "pages/worksheet.html"},
  };
  for (const auto& [tab, expected] : pages) {
    editor->tabs()->setCurrentIndex(tab);
    f.window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(f.window.get()));
    QTest::keyClick(editor, Qt::Key_F1);
    EXPECT_EQ(f.page(), expected);
    ASSERT_TRUE(QTest::qWaitForWindowActive(f.help()));
    QTest::keyClick(f.help(), Qt::Key_F1);
    EXPECT_EQ(f.page(), expected);
  }
  // One help window, shown again.
  EXPECT_EQ(f.window->findChildren<HelpWindow*>().size(), 1);
}

TEST(HelpWindow, TheFramesAndTheEditorsHelpMenusAndTheToolbarOpenIt) {
  HelpFrame f;
  QAction* frameItem = f.window->menuBar()->actions().last()->menu()->actions().first();
  EXPECT_EQ(frameItem->text(), "&Contents");
  EXPECT_EQ(frameItem->shortcut(), QKeySequence(Qt::Key_F1));
  frmCreateVq* editor = f.open("ansi_months.vq");
  ASSERT_NE(editor, nullptr);
  f.window->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(editor->parentWidget()));
  QAction* editorItem = menuAction(editor->findChildren<QMenu*>(), "mnuHContents");
  ASSERT_NE(editorItem, nullptr);
  editor->tabs()->setCurrentIndex(frmCreateVq::Footnotes);
  editorItem->trigger();
  EXPECT_EQ(f.page(), "pages/footnotes.html");

  editor->tabs()->setCurrentIndex(frmCreateVq::Test);
  f.window->findChild<QAction*>("MnuHelp")->trigger();
  EXPECT_EQ(f.page(), "pages/test.html");
}

TEST(HelpWindow, LinksBackForwardAndHomeMoveBetweenPages) {
  HelpFrame f;
  f.window->showHelp();
  HelpWindow* help = f.help();
  auto* browser = help->findChild<QTextBrowser*>("helpBrowser");
  auto* back = help->findChild<QAction*>("cmdBack");
  auto* forward = help->findChild<QAction*>("cmdForward");
  EXPECT_FALSE(back->isEnabled());

  emit browser->anchorClicked(QUrl("pages/variables.html#values"));
  EXPECT_EQ(f.page(), "pages/variables.html");
  EXPECT_TRUE(back->isEnabled());
  emit browser->anchorClicked(QUrl("../index.html"));
  EXPECT_EQ(f.page(), "index.html");
  back->trigger();
  EXPECT_EQ(f.page(), "pages/variables.html");
  EXPECT_TRUE(forward->isEnabled());
  forward->trigger();
  EXPECT_EQ(f.page(), "index.html");
  emit browser->anchorClicked(QUrl("pages/cli.html"));
  help->findChild<QAction*>("cmdHome")->trigger();
  EXPECT_EQ(f.page(), "index.html");
  EXPECT_FALSE(browser->toPlainText().isEmpty());
}

TEST(HelpWindow, AMissingManualGivesTheMessageWithTheFolderLookedIn) {
  HelpFrame f;
  const std::string empty = f.home.file("nothing-here");
  ::setenv("ZENDRA_MANUAL_DIR", empty.c_str(), 1);
  f.ctx.manualFolder = locateManual("/usr/bin").toStdString();
  ::unsetenv("ZENDRA_MANUAL_DIR");
  EXPECT_EQ(f.ctx.manualFolder, empty);

  f.window->showHelp();
  EXPECT_TRUE(f.asked("Helpfile was not found in " + empty));
  EXPECT_EQ(f.help(), nullptr);
}

TEST(HelpWindow, TheManualIsFoundInstalledBesideTheProgramBeforeTheSourceTree) {
  test::TempFolder prefix;
  prefix.write("share/zendra/manual/index.html", "<html></html>");
  EXPECT_EQ(locateManual(QString::fromStdString(prefix.file("bin"))),
            QString::fromStdString(prefix.file("share/zendra/manual")));
  // Not installed: the source tree's manual of this build.
  EXPECT_EQ(QDir(locateManual(QString::fromStdString(prefix.file("elsewhere/bin")))),
            QDir(kManual));
}

}  // namespace
