// The recent files: order, one entry per file, the limit of eight, removal, and
// the list kept in the per-user store.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/settings/config_folder.h"
#include "core/settings/recent_files.h"
#include "core/settings/registry.h"
#include "support/temp_folder.h"

using namespace zendra;
using zendra::test::TempFolder;
using Files = std::vector<std::string>;

TEST(RecentFiles, NewestFirstOneEntryPerFileAtMostEight) {
  TempFolder dir;
  const std::string a = dir.write("a.vq", "").string();
  const std::string b = dir.write("sub/b.vq", "").string();
  RecentFiles recent;
  recent.add(a);
  recent.add(b);
  EXPECT_EQ(recent.files(), (Files{b, a}));
  // Another name of a: ".." in the path, then a symbolic link to it.
  recent.add(dir.path() / "sub/../a.vq");
  EXPECT_EQ(recent.files(), (Files{a, b}));
  std::filesystem::create_symlink(a, dir / "link.vq");
  recent.add(dir / "link.vq");
  EXPECT_EQ(recent.files(), (Files{dir.file("link.vq"), b}));

  // A relative path is kept absolute.
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir.path() / "sub");
  recent.add("b.vq");
  std::filesystem::current_path(cwd);
  EXPECT_EQ(recent.files(), (Files{b, dir.file("link.vq")}));

  for (int i = 1; i <= 9; ++i) recent.add(dir / ("t" + std::to_string(i) + ".vq"));
  ASSERT_EQ(recent.files().size(), RecentFiles::kMax);
  EXPECT_EQ(recent.files().front(), dir.file("t9.vq"));
  EXPECT_EQ(recent.files().back(), dir.file("t2.vq"));
}

TEST(RecentFiles, RemovesAFileByAnyOfItsNamesAndCutsAStoredList) {
  RecentFiles recent(Files{"/x/a.vq", "", "/x/b.vq", "/x/./a.vq", "/x/c.vq"});
  EXPECT_EQ(recent.files(), (Files{"/x/a.vq", "/x/b.vq", "/x/c.vq"}));
  EXPECT_TRUE(recent.remove("/x/../x/b.vq"));
  EXPECT_FALSE(recent.remove("/x/b.vq"));
  EXPECT_EQ(recent.files(), (Files{"/x/a.vq", "/x/c.vq"}));

  Files many;
  for (int i = 0; i < 10; ++i) many.push_back("/x/" + std::to_string(i));
  EXPECT_EQ(RecentFiles(many).files().size(), RecentFiles::kMax);
}

TEST(Registry, KeepsTheRecentFilesAsFile1ToFile8) {
  TempFolder dir;
  Registry store;
  EXPECT_TRUE(store.readRecentFiles().empty());
  ASSERT_TRUE(store.writeShowCodes(true));
  ASSERT_TRUE(store.writeRecentFiles({"/a.vq", "/b b.vq", "/c.vq"}));
  ASSERT_TRUE(store.writeRecentFiles({"/c.vq", "/a.vq"}));  // a shorter list leaves no File3
  EXPECT_EQ(TempFolder::read(userStoreFilePath()),
            "[View]\nShowCodes=True\n\n[Recent]\nFile1=/c.vq\nFile2=/a.vq\n");
  EXPECT_EQ(Registry().readRecentFiles(), (Files{"/c.vq", "/a.vq"}));
  // A gap left by a hand edit is closed up.
  dir.write("config/zendra/Zendra00.ini", "[Recent]\nFile2=/b.vq\nFile5=/e.vq\n");
  EXPECT_EQ(store.readRecentFiles(), (Files{"/b.vq", "/e.vq"}));
}
