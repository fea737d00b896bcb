// The settings file with its fall-backs and key spellings, the per-user store, and
// where both live.
#include <gtest/gtest.h>

#include <stdlib.h>

#include "settings/config_folder.h"
#include "settings/registry.h"
#include "settings/vq_vexa_data.h"
#include "support/temp_folder.h"

using namespace zendra;
using zendra::test::TempFolder;

TEST(ConfigFolder, FollowsXdgConfigHomeElseHomeConfig) {
  TempFolder dir;
  EXPECT_EQ(VqVexaData().iniFile(), dir / "config/zendra/zendra32.ini");
  EXPECT_EQ(Registry().file(), dir / "config/zendra/Zendra00.ini");
  ::setenv("XDG_CONFIG_HOME", "relative/path", 1);  // not absolute: ignored
  EXPECT_EQ(configFolder(), dir / "home/.config/zendra");
  ::unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(configFolder(), dir / "home/.config/zendra");
}

TEST(VqVexaData, EmptyFoldersFallBackToTheDatabaseFolder) {
  TempFolder dir;
  VqVexaData settings;
  settings.OpenBase = "stale";
  EXPECT_FALSE(settings.Load_data());  // no file: the load says so, everything is empty
  EXPECT_NE(settings.error().find("zendra32.ini"), std::string::npos);
  EXPECT_EQ(settings.OpenBase + settings.Savebase + settings.MDBBase + settings.DefaultData, "");

  dir.write("config/zendra/zendra32.ini", "[Catalogues]\nCurrentbase=/vexa\nSAVEBASE=/save\n");
  ASSERT_TRUE(settings.Load_data());
  EXPECT_EQ(settings.VexaBase, "/vexa");
  EXPECT_EQ(settings.OpenBase, "/vexa");
  EXPECT_EQ(settings.MDBBase, "/vexa");
  EXPECT_EQ(settings.Savebase, "/save");
}

TEST(VqVexaData, SavesTheFiveKeysSpelledAsAlwaysAndKeepsTheRestOfTheFile) {
  TempFolder dir;
  const auto file = dir.write("zendra32.ini", "[Catalogues]\r\nOpenBase=/old\r\nExtra=kept\r\n");
  VqVexaData settings(file);
  ASSERT_TRUE(settings.Load_data());
  settings.OpenBase = "/open";
  settings.VexaBase = "/vexa";
  settings.DefaultData = "/data/default.txt";
  ASSERT_TRUE(settings.save_ini()) << settings.error();
  EXPECT_EQ(TempFolder::read(file),
            "[Catalogues]\r\nOpenbase=/open\r\nExtra=kept\r\nSavebase=\r\nCurrentbase=/vexa\r\n"
            "MDBBase=\r\nDefaultdata=/data/default.txt\r\n");
  VqVexaData again(file);
  ASSERT_TRUE(again.Load_data());
  EXPECT_EQ(again.OpenBase, "/open");
  EXPECT_EQ(again.Savebase, "/vexa");  // written empty, read back through the fall-back
  EXPECT_EQ(again.DefaultData, "/data/default.txt");

  // A path that cannot be read is not overwritten.
  std::filesystem::create_directories(dir / "dir.ini/x");
  VqVexaData broken(dir / "dir.ini");
  EXPECT_FALSE(broken.Load_data());
  EXPECT_FALSE(broken.save_ini());
  EXPECT_TRUE(std::filesystem::is_directory(dir / "dir.ini/x"));
}

TEST(Registry, StoresTheImportFolderAndTheShowCodesFlag) {
  TempFolder dir;
  Registry store;
  EXPECT_EQ(store.readCsvLoad(), "");
  EXPECT_FALSE(store.readShowCodes());
  ASSERT_TRUE(store.writeCsvLoad("/home/me/imports"));
  ASSERT_TRUE(store.writeShowCodes(true));
  EXPECT_EQ(TempFolder::read(userStoreFilePath()),
            "[Paths]\nCSVload=/home/me/imports\n\n[View]\nShowCodes=True\n");
  EXPECT_EQ(Registry().readCsvLoad(), "/home/me/imports");
  EXPECT_TRUE(Registry().readShowCodes());
  ASSERT_TRUE(store.writeShowCodes(false));
  EXPECT_FALSE(store.readShowCodes());

  for (const char* text : {"TRUE", "1", "yes", "Truely"}) {
    dir.write("config/zendra/Zendra00.ini", std::string("[View]\nShowCodes=") + text + "\n");
    EXPECT_EQ(store.readShowCodes(), text == std::string("TRUE")) << text;
  }
}
