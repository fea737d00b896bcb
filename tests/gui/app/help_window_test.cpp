// The manual in the help window: F1 and the Help menus open it at the page of the active
// editor page, its links and Back/Forward/Home move between pages, and a missing manual is
// reported with the folder looked in.
#include "gui/shared/help_window.h"
#include "support/dialog_steps.h"
#include "support/scoped_env.h"

using namespace zendra;
using namespace zendra::test;

namespace {

const QString kManual = ZENDRA_MANUAL_DIR;

struct HelpFrame : EditorWindowFrame {
  HelpFrame() { ctx.manualFolder = kManual.toStdString(); }
  HelpWindow* help() const { return window->helpWindow(); }
  QString page() const { return QDir(kManual).relativeFilePath(help()->source().toLocalFile()); }
};

TEST(HelpWindow, F1MenusToolbarAndLinksOpenTheManualPagesAndAMissingManualIsTold) {
  HelpFrame f;
  f.window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(f.window.get()));
  QTest::keyClick(f.window.get(), Qt::Key_F1);
  ASSERT_NE(f.help(), nullptr);
  EXPECT_EQ(f.page(), "index.html");

  // The help window has the focus now; F1 in the editor window, and in the help window,
  // follows the editor window.
  frmCreateVq* editor = f.open("ansi_months.vq");
  ASSERT_NE(editor, nullptr);
  f.window->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(editor->parentWidget()));
  editor->tabs()->setCurrentIndex(frmCreateVq::CellNotes);
  f.window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(f.window.get()));
  QTest::keyClick(editor, Qt::Key_F1);
  EXPECT_EQ(f.page(), "pages/cellnotes.html");
  ASSERT_TRUE(QTest::qWaitForWindowActive(f.help()));
  editor->tabs()->setCurrentIndex(frmCreateVq::BasicStructure);
  QTest::keyClick(f.help(), Qt::Key_F1);
  EXPECT_EQ(f.page(), "pages/basic-structure.html");
  // The editor's Help menu and the toolbar's button.
  editor->tabs()->setCurrentIndex(frmCreateVq::Footnotes);
  for (QMenu* menu : editor->findChildren<QMenu*>()) {
    for (QAction* item : menu->actions()) {
      if (item->objectName() == "mnuHContents") item->trigger();
    }
  }
  EXPECT_EQ(f.page(), "pages/footnotes.html");
  editor->tabs()->setCurrentIndex(frmCreateVq::Test);
  child<QAction>(*f.window, "MnuHelp")->trigger();
  EXPECT_EQ(f.page(), "pages/test.html");
  // One help window, shown again.
  EXPECT_EQ(f.window->findChildren<HelpWindow*>().size(), 1);

  // Links, Back, Forward and Home move between pages.
  HelpWindow* help = f.help();
  auto* browser = child<QTextBrowser>(*help, "helpBrowser");
  child<QAction>(*help, "cmdHome")->trigger();
  EXPECT_EQ(f.page(), "index.html");
  emit browser->anchorClicked(QUrl("pages/variables.html#values"));
  EXPECT_EQ(f.page(), "pages/variables.html");
  emit browser->anchorClicked(QUrl("../index.html"));
  child<QAction>(*help, "cmdBack")->trigger();
  EXPECT_EQ(f.page(), "pages/variables.html");
  child<QAction>(*help, "cmdForward")->trigger();
  EXPECT_EQ(f.page(), "index.html");

  // The manual is found beside the program, else in the source tree; a missing one names
  // the folder looked in.
  TempFolder prefix;
  prefix.write("share/zendra/manual/index.html", "<html></html>");
  EXPECT_EQ(locateManual(QString::fromStdString(prefix.file("bin"))),
            QString::fromStdString(prefix.file("share/zendra/manual")));
  // Not installed: the source tree's manual of this build.
  EXPECT_EQ(QDir(locateManual(QString::fromStdString(prefix.file("elsewhere/bin")))),
            QDir(kManual));

  HelpFrame missing;
  const std::string empty = missing.home.file("nothing-here");
  {
    const ScopedEnv manual("ZENDRA_MANUAL_DIR", empty);
    missing.ctx.manualFolder = locateManual("/usr/bin").toStdString();
  }
  missing.window->showHelp();
  EXPECT_TRUE(missing.asked("Helpfile was not found in " + empty));
  EXPECT_EQ(missing.help(), nullptr);
}

}  // namespace
