// The settings file with its fall-backs and key spellings, the per-user store with the
// recent files, the subject area list, and where all of them live.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "core/settings/config_folder.h"
#include "core/settings/recent_files.h"
#include "core/settings/registry.h"
#include "core/settings/subject_areas.h"
#include "core/settings/vq_vexa_data.h"
#include "support/temp_folder.h"

using namespace zendra;
using zendra::test::TempFolder;
using Files = std::vector<std::string>;
namespace fs = std::filesystem;

TEST(VqVexaData, EmptyFoldersFallBackKeysKeepTheirSpellingAndTheFileFollowsXdg) {
  TempFolder dir;
  VqVexaData missing;
  missing.OpenBase = "stale";
  EXPECT_FALSE(missing.Load_data());  // no file: the load says so, everything is empty
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

  // The settings live in $XDG_CONFIG_HOME, or in ~/.config when it is not absolute.
  EXPECT_EQ(VqVexaData().iniFile(), dir / "config/zendra/zendra32.ini");
  EXPECT_EQ(Registry().file(), dir / "config/zendra/Zendra00.ini");
  ::setenv("XDG_CONFIG_HOME", "relative/path", 1);
  EXPECT_EQ(configFolder(), dir / "home/.config/zendra");
}

TEST(RecentFiles, NewestFirstOneEntryPerFileAtMostEightAndTheStoreKeepsThemAndItsFlags) {
  TempFolder dir;
  const std::string a = dir.write("a.vq", "").string();
  const std::string b = dir.write("sub/b.vq", "").string();
  RecentFiles recent;
  recent.add(a);
  recent.add(b);
  // Another name of a: ".." in the path, then a symbolic link to it.
  recent.add(dir.path() / "sub/../a.vq");
  EXPECT_EQ(recent.files(), (Files{a, b}));
  fs::create_symlink(a, dir / "link.vq");
  recent.add(dir / "link.vq");
  EXPECT_EQ(recent.files(), (Files{dir.file("link.vq"), b}));

  // A relative path is kept absolute.
  const auto cwd = fs::current_path();
  fs::current_path(dir.path() / "sub");
  recent.add("b.vq");
  fs::current_path(cwd);
  EXPECT_EQ(recent.files(), (Files{b, dir.file("link.vq")}));

  for (int i = 1; i <= 9; ++i) recent.add(dir / ("t" + std::to_string(i) + ".vq"));
  ASSERT_EQ(recent.files().size(), RecentFiles::kMax);
  EXPECT_EQ(recent.files().back(), dir.file("t2.vq"));

  // A stored list: empty and repeated entries go, a file is removed by any of its names.
  RecentFiles stored(Files{"/x/a.vq", "", "/x/b.vq", "/x/./a.vq", "/x/c.vq"});
  EXPECT_EQ(stored.files(), (Files{"/x/a.vq", "/x/b.vq", "/x/c.vq"}));
  EXPECT_TRUE(stored.remove("/x/../x/b.vq"));
  EXPECT_FALSE(stored.remove("/x/b.vq"));

  // The per-user store keeps the import folder, the show-codes flag and the recent files.
  Registry store;
  EXPECT_EQ(store.readCsvLoad() + (store.readShowCodes() ? "codes" : ""), "");
  ASSERT_TRUE(store.writeCsvLoad("/home/me/imports") && store.writeShowCodes(true));
  ASSERT_TRUE(store.writeRecentFiles({"/a.vq", "/b b.vq", "/c.vq"}));
  ASSERT_TRUE(store.writeRecentFiles({"/c.vq", "/a.vq"}));  // a shorter list leaves no File3
  EXPECT_EQ(TempFolder::read(userStoreFilePath()),
            "[Paths]\nCSVload=/home/me/imports\n\n[View]\nShowCodes=True\n\n"
            "[Recent]\nFile1=/c.vq\nFile2=/a.vq\n");
  EXPECT_EQ(Registry().readRecentFiles(), (Files{"/c.vq", "/a.vq"}));
  EXPECT_TRUE(store.writeShowCodes(false) && !store.readShowCodes());
  for (const char* text : {"TRUE", "1", "yes", "Truely"}) {
    dir.write("config/zendra/Zendra00.ini", std::string("[View]\nShowCodes=") + text + "\n");
    EXPECT_EQ(store.readShowCodes(), text == std::string("TRUE")) << text;
  }
  // A gap left by a hand edit is closed up.
  dir.write("config/zendra/Zendra00.ini", "[Recent]\nFile2=/b.vq\nFile5=/e.vq\n");
  EXPECT_EQ(store.readRecentFiles(), (Files{"/b.vq", "/e.vq"}));
}

namespace {

struct Areas {
  TempFolder dir;
  SubjectAreas areas;
  int events = 0;
  Areas() {
    areas.NewSubjectAreas.connect([this] { ++events; });
  }
  bool load(std::string_view folder) { return areas.Load_data(dir.file(folder)); }
  std::string list() const {
    std::string out;
    for (const auto& a : areas.SubjectArea) out += a.name + "=" + a.code + ";";
    return out;
  }
};

}  // namespace

TEST(SubjectAreas, ReadsTheOemFileUpToTheFirstEmptyLineOnceForAFolder) {
  Areas f;
  // IBM 850: "Å" is 0x8F, "ö" 0x94. Lines end in CR LF, a lone CR or LF; no CR is left in
  // any name or code, an empty code included.
  f.dir.write("vexa/Amnomr.dat",
              "Befolkning\tBE\r\nNo tab here\r\n\x8Flder\tAL\tX\r\nTom kod\t\r\nArbete\tAM\rFl\x94"
              "den\tFL\n\r\nLate\tZZ\r\n");
  EXPECT_TRUE(f.load("vexa"));
  const std::string expected = "Befolkning=BE;Ålder=AL\tX;Tom kod=;Arbete=AM;Flöden=FL;";
  EXPECT_EQ(f.list(), expected);
  f.dir.write("vexa/Amnomr.dat", "Other\tOT\r\n");
  EXPECT_FALSE(f.load("vexa"));  // the same folder again: nothing happens
  EXPECT_EQ(f.list(), expected);
  EXPECT_FALSE(f.load("empty"));  // no file: an empty list, no event
  f.dir.write("empty/Amnomr.dat", "New\tN\r\n");
  EXPECT_FALSE(f.load("empty"));  // and no retry for the same folder
  EXPECT_EQ(f.events, 1);

  // Any letter case of the name; no final line end. A plain file is read as ANSI.
  f.dir.write("dos/AMNOMR.DAT", "Hush\x86ll\tHH");  // IBM 850 "å"
  ASSERT_TRUE(f.load("dos"));
  EXPECT_EQ(f.list(), "Hushåll=HH;");
  f.areas.SubjectFromDB = false;
  f.dir.write("areas.txt", "Hush\xE5ll\tHH\r\n\r\nLate\tZZ\r\n");  // Windows-1252 "å"
  ASSERT_TRUE(f.load("areas.txt"));
  EXPECT_EQ(f.list(), "Hushåll=HH;");
  EXPECT_EQ(f.events, 3);
}

TEST(SubjectAreas, ReloadReadsTheSameFolderAgainAndNoFolderReadsNothing) {
  Areas f;
  const std::string folder = (f.dir / "vexa").string();
  EXPECT_FALSE(f.areas.reload(folder));  // no file yet
  f.dir.write("vexa/Amnomr.dat", "Arbete\tAM\r\nBoende\tBO\r\n");
  EXPECT_TRUE(f.areas.reload(folder));  // added since: read although the folder is the same
  EXPECT_EQ(f.list(), "Arbete=AM;Boende=BO;");

  // An empty database folder names no file, not "Amnomr.dat" of the working folder.
  f.dir.write("Amnomr.dat", "Working\tWF\r\n");
  const auto working = fs::current_path();
  fs::current_path(f.dir.path());
  const bool loaded = f.areas.Load_data("");
  fs::current_path(working);
  EXPECT_FALSE(loaded);
  EXPECT_EQ(f.areas.VexaBase + f.list(), "");
  EXPECT_EQ(f.events, 1);
}

TEST(SubjectAreas, TheShippedLibraryStandsInForAFolderWithoutOne) {
  Areas f;
  f.areas.shippedLibrary = f.dir.write("shipped/Amnomr.dat", "Population\tBE\r\n").string();
  EXPECT_TRUE(f.areas.Load_data(""));  // a fresh start names no folder
  EXPECT_EQ(f.list(), "Population=BE;");
  EXPECT_TRUE(f.load("empty"));  // a folder without a library
  EXPECT_EQ(f.list(), "Population=BE;");
  f.dir.write("vexa/Amnomr.dat", "Arbete\tAM\r\n");
  EXPECT_TRUE(f.load("vexa"));  // the folder's own library wins
  EXPECT_EQ(f.list(), "Arbete=AM;");
  EXPECT_EQ(f.events, 3);
}
