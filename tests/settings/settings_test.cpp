// The settings file, its fall-backs and key spellings, the per-user store and where
// both live.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <string>

#include "settings/config_folder.h"
#include "settings/registry.h"
#include "settings/vq_vexa_data.h"
#include "support/temp_folder.h"

using namespace zendra;
using zendra::test::TempFolder;

TEST(ConfigFolder, FollowsXdgConfigHomeElseHomeConfig) {
  TempFolder dir;
  EXPECT_EQ(configFolder(), dir / "config" / "zendra");
  EXPECT_EQ(settingsFilePath(), dir / "config" / "zendra" / "zendra32.ini");
  EXPECT_EQ(userStoreFilePath(), dir / "config" / "zendra" / "Zendra00.ini");
  EXPECT_EQ(VqVexaData().iniFile(), settingsFilePath());
  EXPECT_EQ(Registry().file(), userStoreFilePath());
  ::setenv("XDG_CONFIG_HOME", "relative/path", 1);  // not absolute: ignored
  EXPECT_EQ(configFolder(), dir / "home" / ".config" / "zendra");
  ::unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(configFolder(), dir / "home" / ".config" / "zendra");
}

TEST(VqVexaData, WithoutAFileEverythingIsEmptyAndTheLoadSaysSo) {
  TempFolder dir;
  VqVexaData settings;
  settings.OpenBase = "stale";
  EXPECT_FALSE(settings.Load_data());
  EXPECT_NE(settings.error().find("zendra32.ini"), std::string::npos);
  for (const auto* p : {&settings.OpenBase, &settings.Savebase, &settings.VexaBase,
                        &settings.MDBBase, &settings.DefaultData}) {
    EXPECT_EQ(*p, "");
  }
}

TEST(VqVexaData, EmptyFoldersFallBackToTheDatabaseFolder) {
  TempFolder dir;
  dir.write("config/zendra/zendra32.ini", "[Catalogues]\nCurrentbase=/vexa\nSAVEBASE=/save\n");
  VqVexaData settings;
  ASSERT_TRUE(settings.Load_data());
  EXPECT_EQ(settings.VexaBase, "/vexa");
  EXPECT_EQ(settings.OpenBase, "/vexa");
  EXPECT_EQ(settings.MDBBase, "/vexa");
  EXPECT_EQ(settings.Savebase, "/save");
  EXPECT_EQ(settings.DefaultData, "");
}

TEST(VqVexaData, SavesTheFiveKeysSpelledAndOrderedAsAlwaysAndReadsThemBack) {
  TempFolder dir;
  VqVexaData settings;
  settings.OpenBase = "/open";
  settings.Savebase = "/save";
  settings.VexaBase = "/vexa";
  settings.MDBBase = "";
  settings.DefaultData = "/data/default.txt";
  ASSERT_TRUE(settings.save_ini()) << settings.error();
  EXPECT_EQ(TempFolder::read(settings.iniFile()),
            "[Catalogues]\nOpenbase=/open\nSavebase=/save\nCurrentbase=/vexa\nMDBBase=\n"
            "Defaultdata=/data/default.txt\n");

  VqVexaData again;
  ASSERT_TRUE(again.Load_data());
  EXPECT_EQ(again.OpenBase, "/open");
  EXPECT_EQ(again.Savebase, "/save");
  EXPECT_EQ(again.MDBBase, "/vexa");  // written empty, read back through the fall-back
  EXPECT_EQ(again.DefaultData, "/data/default.txt");
}

TEST(VqVexaData, SavingKeepsTheRestOfAnExistingFile) {
  TempFolder dir;
  const auto file = dir.write("zendra32.ini",
                              "[Catalogues]\r\nOpenBase=/old\r\nExtra=kept\r\n\r\n"
                              "[Mine]\r\nA=1\r\n");
  VqVexaData settings(file);
  ASSERT_TRUE(settings.Load_data());
  settings.OpenBase = "/new";
  ASSERT_TRUE(settings.save_ini());
  EXPECT_EQ(TempFolder::read(file),
            "[Catalogues]\r\nOpenbase=/new\r\nExtra=kept\r\nSavebase=\r\n"
            "Currentbase=\r\nMDBBase=\r\nDefaultdata=\r\n\r\n[Mine]\r\nA=1\r\n");
  // A path that cannot be read is not overwritten.
  std::filesystem::create_directories(dir / "dir.ini" / "x");
  VqVexaData broken(dir / "dir.ini");
  EXPECT_FALSE(broken.Load_data());
  EXPECT_FALSE(broken.save_ini());
  EXPECT_TRUE(std::filesystem::is_directory(dir / "dir.ini" / "x"));
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
  EXPECT_NE(TempFolder::read(userStoreFilePath()).find("ShowCodes=False"), std::string::npos);
}

TEST(Registry, OnlyTheWordTrueReadsAsTrue) {
  TempFolder dir;
  const auto file = dir / "store.ini";
  Registry store(file);
  for (const char* text : {"True", "TRUE", "true"}) {
    dir.write("store.ini", std::string("[View]\nShowCodes=") + text + "\n");
    EXPECT_TRUE(store.readShowCodes()) << text;
  }
  for (const char* text : {"False", "1", "-1", "yes", "Truely", ""}) {
    dir.write("store.ini", std::string("[View]\nShowCodes=") + text + "\n");
    EXPECT_FALSE(store.readShowCodes()) << text;
  }
}
