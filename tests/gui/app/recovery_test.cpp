// Recovery copies in the desktop program: written while a table is changed, gone after a
// save or a discard, and offered again after the program was killed.
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <thread>

#include "core/base/file_io.h"
#include "core/editor/cell_commands.h"
#include "gui/app/dlg_recover.h"
#include "gui/editor/recovery_copy.h"
#include "support/dialog_steps.h"

using namespace zendra;
using namespace zendra::test;
namespace fs = std::filesystem;

namespace {

std::string fixture(const char* name) {
  return readFileBytes(fs::path(ZENDRA_TEST_DATA) / name).bytes;
}

void typeFirstCell(frmCreateVq* editor, const std::string& text) {
  VexaMess& doc = editor->document();
  editor->push(
      std::make_unique<EditCellCommand>(doc, editor->dataGrid(), doc.DataRow1, doc.DataCol1, text));
}

std::vector<fs::path> files(const fs::path& folder, const char* extension) {
  std::vector<fs::path> out;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    if (entry.path().extension() == extension) out.push_back(entry.path());
  }
  return out;
}

// Has the window's recovery copy written now, and waits for the write.
void writeCopy(frmCreateVq* editor) {
  editor->recoveryCopy()->writeNow();
  editor->recoveryCopy()->finishWriting();
}

}  // namespace

TEST(RecoveryCopyWindow, GoesWithASaveOrADiscardAndBringsBackTheTableOfAKilledProgram) {
  EditorWindowFrame frame;
  frmCreateVq* editor = frame.openText(fixture("ansi_months.vq"));
  ASSERT_TRUE(editor);
  const fs::path folder = frame.ctx.recovery.folder();

  writeCopy(editor);  // unchanged: nothing to keep
  EXPECT_TRUE(files(folder, ".info").empty());

  typeFirstCell(editor, "42");
  writeCopy(editor);
  const fs::path table = folder / (frame.ctx.recovery.id() + "-" +
                                   std::to_string(editor->recoveryCopy()->window()) + ".vq");
  ASSERT_TRUE(fs::exists(table));
  // The copy is the file a save would write, with the change in it; the save takes it away.
  EXPECT_NE(readFileBytes(table).bytes.find("DATA=\r\n42 "), std::string::npos);
  frame.saveAs(editor, "saved.vq");
  EXPECT_FALSE(fs::exists(table));

  typeFirstCell(editor, "43");
  writeCopy(editor);
  ASSERT_TRUE(fs::exists(table));
  frame.prompt.script(Prompt::Answer::No);  // close without saving
  EditorWindowFrame::close(editor);
  EXPECT_TRUE(files(folder, ".vq").empty());

  // Copies left by a program that ended (no lock file): Later keeps one, Discard deletes it.
  std::ofstream(folder / "7_1-1.vq") << fixture("ansi_months.vq");
  std::ofstream(folder / "7_1-1.info") << recovery::infoText({"", "File03.vq", false, {}});

  frame.answer = [](QDialog& offer) { press(offer, "cmdLater"); };
  frame.window->startUp();
  EXPECT_TRUE(frame.window->editors().isEmpty());
  EXPECT_TRUE(fs::exists(folder / "7_1-1.vq"));

  frame.answer = [](QDialog& offer) { press(offer, "cmdDiscard"); };
  frame.window->offerRecovery();
  EXPECT_FALSE(fs::exists(folder / "7_1-1.vq") || fs::exists(folder / "7_1-1.info"));

  // The real program is started on a table, types into it, writes its copy and is killed;
  // the next offer brings the table back as it was.
  const std::string original = frame.home.write("months.vq", fixture("ansi_months.vq")).string();

  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // The environment is the frame's: its state, configuration and home folders.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("ZENDRA_TEST_TYPE", "4242", 1);
    ::execl(ZENDRA_BINARY, ZENDRA_BINARY, original.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  // The copy comes after the pause in editing; the wait ends when it is there.
  std::vector<fs::path> infos;
  for (int i = 0; i < 600 && infos.empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    infos = files(folder, ".info");
  }
  // While that program runs, its copy is not another's to take.
  std::size_t offered = 0;
  {
    recovery::Session other(folder);
    offered = other.leftBehind().size();
  }
  ::kill(child, SIGKILL);
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status));
  ASSERT_EQ(infos.size(), 1u);
  EXPECT_EQ(offered, 0u);

  frame.answer = [](QDialog& offer) { press(offer, "cmdRecover"); };
  frame.window->offerRecovery();
  ASSERT_EQ(frame.window->editors().size(), 1);
  frmCreateVq* recovered = frame.window->editors().first();
  EXPECT_TRUE(recovered->isChanged());
  const VexaMess& doc = recovered->document();
  EXPECT_EQ(recovered->dataGrid().text(doc.DataRow1, doc.DataCol1), "4242");
  // The killed program's copy went; this program keeps its own.
  EXPECT_FALSE(fs::exists(infos[0]));

  // A save goes to the table's own file.
  ASSERT_TRUE(recovered->savefile(0));
  EXPECT_NE(readFileBytes(original).bytes.find("DATA=\r\n4242 "), std::string::npos);
}
