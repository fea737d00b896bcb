// Subject areas: the list file, its code pages, and when a load happens at all.
#include <gtest/gtest.h>

#include <string>

#include "encoding/codepage.h"
#include "settings/subject_areas.h"
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
  std::string list() const {
    std::string out;
    for (const auto& a : areas.SubjectArea) out += a.name + "=" + a.code + ";";
    return out;
  }
};

}  // namespace

TEST(SubjectAreas, ReadsTheOemFileUpToTheFirstEmptyLine) {
  Fixture f;
  // IBM 850 bytes: "Å" is 0x8F and "ö" 0x94.
  f.dir.write("vexa/Amnomr.dat",
              "Befolkning\tBE\r\n"
              "No tab here\r\n"
              "\x8F"
              "lder\tAL\tX\r\n"
              "Fl\x94"
              "den\tFL\n"
              "\r\n"
              "After the end\tZZ\r\n");
  EXPECT_TRUE(f.areas.Load_data((f.dir / "vexa").string()));
  EXPECT_EQ(f.list(), "Befolkning=BE;Ålder=AL\tX;Flöden=FL;");
  EXPECT_EQ(f.events, 1);

  // The same folder again: nothing happens, even when the file changed.
  f.dir.write("vexa/Amnomr.dat", "Other\tOT\r\n");
  EXPECT_FALSE(f.areas.Load_data((f.dir / "vexa").string()));
  EXPECT_EQ(f.list(), "Befolkning=BE;Ålder=AL\tX;Flöden=FL;");
  EXPECT_EQ(f.events, 1);
}

TEST(SubjectAreas, AMissingFileGivesAnEmptyListNoEventAndNoRetry) {
  Fixture f;
  f.dir.write("old/Amnomr.dat", "Kept\tK");
  ASSERT_TRUE(f.areas.Load_data((f.dir / "old").string()));
  EXPECT_EQ(f.list(), "Kept=K;");  // a last line without a line end counts

  const std::string empty = (f.dir / "empty").string();
  EXPECT_FALSE(f.areas.Load_data(empty));
  EXPECT_EQ(f.areas.VexaBase, empty);
  EXPECT_TRUE(f.areas.SubjectArea.empty());
  EXPECT_EQ(f.events, 1);
  f.dir.write("empty/Amnomr.dat", "New\tN\r\n");
  EXPECT_FALSE(f.areas.Load_data(empty));
  EXPECT_TRUE(f.areas.SubjectArea.empty());
}

TEST(SubjectAreas, FindsTheFileInAnyLetterCaseAndReadsAPlainFileAsAnsi) {
  Fixture f;
  f.dir.write("dos/AMNOMR.DAT", "Hush\x86ll\tHH\r\n");  // 0x86 is "å" in IBM 850
  ASSERT_TRUE(f.areas.Load_data((f.dir / "dos").string()));
  EXPECT_EQ(f.list(), "Hushåll=HH;");

  f.areas.SubjectFromDB = false;
  const auto file = f.dir.write("areas.txt", "Hush\xE5ll\tHH\r\n");  // Windows-1252
  ASSERT_TRUE(f.areas.Load_data(file.string()));
  EXPECT_EQ(f.list(), "Hushåll=HH;");
  EXPECT_EQ(f.events, 2);
}
