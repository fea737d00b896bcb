// The main window's recent files, files dropped on it, and the program's --version and
// --help.
#include "support/dialog_steps.h"

using namespace zendra;

namespace {

struct Frame : test::EditorWindowFrame {
  // A copy of a fixture file in the test's folder, so that it can be removed.
  QString copy(const char* fixture, const std::string& name) {
    const auto to = home.path() / name;
    std::filesystem::copy_file(std::string(ZENDRA_TEST_DATA) + "/" + fixture, to);
    return QString::fromStdString(to.string());
  }
  QAction* recent(int n) const {
    return window->findChild<QAction*>(QString("mnuRecent%1").arg(n));
  }
  // The texts of the visible recent-file entries, top first.
  QStringList recentTexts() const {
    QStringList out;
    for (int n = 1; n <= 8; ++n) {
      if (recent(n)->isVisible()) out << recent(n)->text();
    }
    return out;
  }
  void drop(const QStringList& paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &drop);
    QCoreApplication::sendPostedEvents();
  }
};

TEST(RecentFilesAndDrops, FilesListedNewestFirstAcrossAStartAndDroppedVqFilesOpened) {
  Frame f;
  const QString a = f.copy("ansi_months.vq", "a.vq");
  const QString b = f.copy("keys_form.vq", "b & c.vq");
  f.files.script(a);
  f.window->OpenFile(false);
  frmCreateVq* first = f.window->editors().last();
  f.open(b.toStdString());
  f.saveAs(first, "saved.vq");
  // The entries are in the editor window's File menu too, whose menus replace the frame's.
  EXPECT_TRUE(first->menus().front()->actions().contains(f.recent(1)));

  // A new start on the same configuration folder shows the same list; choosing an entry
  // opens it and moves it to the top.
  f.window.reset();
  f.window = std::make_unique<MDIForm1>(f.ctx);
  EXPECT_EQ(f.recentTexts(), QStringList({"&1 saved.vq", "&2 b && c.vq", "&3 a.vq"}));
  f.recent(3)->trigger();
  ASSERT_EQ(f.window->editors().size(), 1);
  EXPECT_EQ(f.recentTexts(), QStringList({"&1 a.vq", "&2 saved.vq", "&3 b && c.vq"}));

  // A file that is gone is taken off the list with a message and opens nothing.
  std::filesystem::remove(f.home.path() / "saved.vq");
  f.recent(2)->trigger();
  EXPECT_EQ(f.window->editors().size(), 1);
  EXPECT_TRUE(f.asked("The file " + f.home.file("saved.vq") +
                      " no longer exists. It is taken off the list of recent files."));
  EXPECT_EQ(f.recentTexts(), QStringList({"&1 a.vq", "&2 b && c.vq"}));

  // Dropped VQ files open each in a window, one already open again, as with File/Open; the
  // other files are named in one message.
  f.drop({f.copy("ansi_months.vq", "notes.txt"), a, f.copy("keys_form.vq", "UPPER.VQ"),
          f.copy("ansi_months.vq", "chart.png")});
  EXPECT_EQ(f.window->editors().size(), 3);
  EXPECT_EQ(f.prompt.asked.back().text,
            "Only VQ files (*.vq) can be opened. Not opened:\nnotes.txt\nchart.png");
}

// Runs the built program with no display and a configuration folder of its own: its exit
// code and what it printed.
std::pair<int, QString> runZendra(const QStringList& arguments, const test::TempFolder& folder) {
  QProcess process;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
  env.insert("XDG_CONFIG_HOME", QString::fromStdString(folder.file("config")));
  process.setProcessEnvironment(env);
  process.start(ZENDRA_BINARY, arguments);
  process.waitForFinished(-1);
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          QString::fromUtf8(process.readAllStandardOutput())};
}

TEST(CommandLine, VersionAndHelpPrintAndExitWithoutAWindowOrConfiguration) {
  test::TempFolder folder;
  EXPECT_EQ(runZendra({"--version"}, folder), (std::pair{0, QString("zendra 1.02.003\n")}));
  const auto [code, help] = runZendra({"-platform", "offscreen", "--help"}, folder);
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(help.startsWith("Usage: zendra [options] [FILE...]\n")) << help.toStdString();
  EXPECT_FALSE(help.contains("--help-all"));
  EXPECT_FALSE(std::filesystem::exists(folder / "config"));
  EXPECT_EQ(runZendra({"-platform", "offscreen", "--no-such-option"}, folder).first, 1);
}

}  // namespace
