// Subject areas: the list file, its code pages, and when a load happens at all.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/settings/subject_areas.h"
#include "support/temp_folder.h"

using namespace zendra;
using zendra::test::TempFolder;

namespace {

struct Fixture {
  TempFolder dir;
  SubjectAreas areas;
  int events = 0;
  Fixture() {
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
  Fixture f;
  // IBM 850: "Å" is 0x8F, "ö" 0x94.
  f.dir.write("vexa/Amnomr.dat",
              "Befolkning\tBE\r\nNo tab here\r\n\x8Flder\tAL\tX\r\nFl\x94"
              "den\tFL\n\r\nLate\tZZ\r\n");
  EXPECT_TRUE(f.load("vexa"));
  const std::string expected = "Befolkning=BE;Ålder=AL\tX;Flöden=FL;";
  EXPECT_EQ(f.list(), expected);
  f.dir.write("vexa/Amnomr.dat", "Other\tOT\r\n");
  EXPECT_FALSE(f.load("vexa"));  // the same folder again: nothing happens
  EXPECT_EQ(f.list(), expected);

  EXPECT_FALSE(f.load("empty"));  // no file: an empty list, no event
  EXPECT_EQ(f.areas.VexaBase, f.dir.file("empty"));
  EXPECT_EQ(f.list(), "");
  f.dir.write("empty/Amnomr.dat", "New\tN\r\n");
  EXPECT_FALSE(f.load("empty"));  // and no retry for the same folder
  EXPECT_EQ(f.events, 1);

  // Any letter case of the name; no final line end. A plain file is read as ANSI.
  f.dir.write("dos/AMNOMR.DAT", "Hush\x86ll\tHH");  // IBM 850 "å"
  ASSERT_TRUE(f.load("dos"));
  EXPECT_EQ(f.list(), "Hushåll=HH;");
  f.areas.SubjectFromDB = false;
  f.dir.write("areas.txt", "Hush\xE5ll\tHH\r\n");  // Windows-1252 "å"
  ASSERT_TRUE(f.load("areas.txt"));
  EXPECT_EQ(f.list(), "Hushåll=HH;");
  EXPECT_EQ(f.events, 3);
}

TEST(SubjectAreas, ReloadReadsTheSameFolderAgainAndNoFolderReadsNothing) {
  Fixture f;
  const std::string folder = (f.dir / "vexa").string();
  EXPECT_FALSE(f.areas.reload(folder));  // no file yet
  f.dir.write("vexa/Amnomr.dat", "Arbete\tAM\r\nBoende\tBO\r\n");
  EXPECT_TRUE(f.areas.reload(folder));  // added since: read although the folder is the same
  EXPECT_EQ(f.list(), "Arbete=AM;Boende=BO;");

  // An empty database folder names no file, not "Amnomr.dat" of the working folder.
  f.dir.write("Amnomr.dat", "Working\tWF\r\n");
  const auto working = std::filesystem::current_path();
  std::filesystem::current_path(f.dir.path());
  const bool loaded = f.areas.Load_data("");
  std::filesystem::current_path(working);
  EXPECT_FALSE(loaded);
  EXPECT_EQ(f.areas.VexaBase + f.list(), "");
  EXPECT_EQ(f.events, 1);
}

TEST(SubjectAreas, ACarriageReturnNeverBecomesPartOfANameOrACode) {
  Fixture f;
  // Lines ending in CR LF, one with an empty code, one ending at a lone CR, and the last
  // one with its CR LF: no CR is left in any name or code.
  f.dir.write("vexa/Amnomr.dat", "Befolkning\tBE\r\nTom kod\t\r\nArbete\tAM\rBoende\tBO\r\n");
  ASSERT_TRUE(f.load("vexa"));
  EXPECT_EQ(f.list(), "Befolkning=BE;Tom kod=;Arbete=AM;Boende=BO;");
  f.areas.SubjectFromDB = false;
  f.dir.write("areas.txt", "Hush\xE5ll\tHH\r\n\r\nLate\tZZ\r\n");
  ASSERT_TRUE(f.load("areas.txt"));
  EXPECT_EQ(f.list(), "Hushåll=HH;");  // the CR LF of the empty line ends the list
}

TEST(SubjectAreas, TheShippedLibraryStandsInForAFolderWithoutOne) {
  Fixture f;
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
