// Recovery copies: their info reads back, and only copies of programs that no longer run
// are offered. That their bytes are a save's is checked with the fixture round trips.
#include "core/format/recovery.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/temp_folder.h"

using namespace zendra;
using namespace zendra::test;
namespace fs = std::filesystem;

TEST(RecoveryInfo, ReadsBackNamesWithLineBreaksAndBackslashesAndTheFolderFollowsXdg) {
  recovery::CopyInfo info{"/t/a\\b\nc.vq", "File01.vq", true, {}};
  recovery::CopyInfo back;
  ASSERT_TRUE(recovery::parseInfo(recovery::infoText(info), back));
  EXPECT_EQ(back.originalName, info.originalName);
  EXPECT_FALSE(recovery::parseInfo("name=x\ncaption=y\n", back));

  // The folder follows $XDG_STATE_HOME.
  TempFolder home;
  EXPECT_EQ(recovery::recoveryFolder(), home / "state" / "zendra" / "recovery");
  ::setenv("XDG_STATE_HOME", "relative", 1);
  EXPECT_EQ(recovery::recoveryFolder(), home / "home" / ".local" / "state" / "zendra" / "recovery");
}

TEST(RecoverySession, OffersOnlyCopiesOfProgramsThatNoLongerRun) {
  TempFolder home;
  const fs::path folder = home / "rec";
  std::string error;
  recovery::Session mine(folder);
  ASSERT_TRUE(mine.open(error)) << error;
  ASSERT_TRUE(mine.write(1, {"/t/a.vq", "a.vq", false, {}}, "A", error)) << error;
  {
    // Another running program: its lock is held, so its copy is not offered.
    recovery::Session other(folder);
    ASSERT_TRUE(other.open(error));
    ASSERT_TRUE(other.write(1, {"/t/b.vq", "b.vq", false, {}}, "B", error)) << error;
    EXPECT_TRUE(mine.leftBehind().empty());
    mine.release();
  }
  // A program that ended without removing its copy: a lock file nobody holds.
  std::ofstream(folder / "99_1.lock");
  std::ofstream(folder / "99_1-3.vq") << "C";
  std::ofstream(folder / "99_1-3.info") << recovery::infoText({"", "File02.vq", true, {}});
  std::ofstream(folder / "98_1-1.vq") << "torn";  // a table without info is not offered

  std::vector<recovery::CopyInfo> left = mine.leftBehind();
  ASSERT_EQ(left.size(), 2u);
  EXPECT_EQ(left[0].originalName, "/t/b.vq");  // its lock file went with the program
  EXPECT_EQ(left[1].tableFile, folder / "99_1-3.vq");
  // While this program looks at them, a second one starting is not offered them.
  recovery::Session second(folder);
  EXPECT_EQ(second.leftBehind().size(), 1u);  // only the copy without a lock file
  second.release();

  recovery::Session::discard(left[1]);
  mine.release();
  EXPECT_FALSE(fs::exists(folder / "99_1-3.vq"));
  EXPECT_FALSE(fs::exists(folder / "99_1.lock"));  // no copies left: the lock file goes
  mine.remove(1);
  EXPECT_FALSE(fs::exists(folder / (mine.id() + "-1.info")));
}
