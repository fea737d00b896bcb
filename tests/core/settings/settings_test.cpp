// The settings file with its fall-backs and key spellings, the per-user store, and
// where both live.
#include <gtest/gtest.h>

#include <stdlib.h>

#include "core/settings/config_folder.h"
#include "core/settings/registry.h"
#include "core/settings/vq_vexa_data.h"
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

TEST(VqVexaData, EmptyFoldersFallBackToTheDatabaseFolderAndKeysKeepTheirSpelling) {
  TempFolder dir;
  VqVexaData missing;
  missing.OpenBase = "stale";
  EXPECT_FALSE(missing.Load_data());  // no file: the load says so, everything is empty
  EXPECT_NE(missing.error().find("zendra32.ini"), std::string::npos);
  EXPECT_EQ(missing.OpenBase + missing.Savebase + missing.MDBBase + missing.DefaultData, "");

  const auto file = dir.write("zendra32.ini",
                              "[Catalogues]\r\nCurrentbase=/vexa\r\nSAVEBASE=/save\r\nX=kept\r\n");
  VqVexaData settings(file);
  ASSERT_TRUE(settings.Load_data());
  EXPECT_EQ(settings.VexaBase + settings.OpenBase + settings.MDBBase + settings.Savebase,
            "/vexa/vexa/vexa/save");
  settings.OpenBase = "/open";
  settings.Savebase = "";
  settings.DefaultData = "/data/default.txt";
  ASSERT_TRUE(settings.save_ini()) << settings.error();
  EXPECT_EQ(TempFolder::read(file),
            "[Catalogues]\r\nCurrentbase=/vexa\r\nSavebase=\r\nX=kept\r\nOpenbase=/open\r\n"
            "MDBBase=/vexa\r\nDefaultdata=/data/default.txt\r\n");
  VqVexaData again(file);
  ASSERT_TRUE(again.Load_data());
  EXPECT_EQ(again.OpenBase + again.Savebase + again.DefaultData,
            "/open/vexa/data/default.txt");  // written empty, read through the fall-back

  // A path that cannot be read is not overwritten.
  dir.write("dir.ini/x", "");
  VqVexaData broken(dir / "dir.ini");
  EXPECT_FALSE(broken.Load_data());
  EXPECT_FALSE(broken.save_ini());
  EXPECT_TRUE(std::filesystem::exists(dir / "dir.ini/x"));
}

TEST(Registry, StoresTheImportFolderAndTheShowCodesFlag) {
  TempFolder dir;
  Registry store;
  EXPECT_EQ(store.readCsvLoad() + (store.readShowCodes() ? "codes" : ""), "");
  ASSERT_TRUE(store.writeCsvLoad("/home/me/imports") && store.writeShowCodes(true));
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
