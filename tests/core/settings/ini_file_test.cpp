// INI files: case-free look-ups, writes that keep the rest of the file, the two
// encodings, and writes that fail without harming the file.
#include <gtest/gtest.h>

#include "core/settings/ini_file.h"
#include "support/temp_folder.h"

using namespace zendra;
using zendra::test::TempFolder;
namespace fs = std::filesystem;

TEST(IniFile, ReadsMatchWithoutCaseKeepLongValuesWholeAndTheFileItsEncoding) {
  TempFolder dir;
  const auto file = dir.write("a.ini",
                              "top=outside any section\r\n[ catalogues ]\r\n;OpenBase=comment\r\n"
                              "  OpenBase =  /data/open  \r\nopenbase=second of the same key\r\n"
                              "[Catalogues]\r\nOther=in a second section of that name\r\n");
  EXPECT_EQ(readProfileString(file, " CATALOGUES ", " openBase "), "/data/open");
  EXPECT_EQ(readProfileString(file, "Catalogues", "Other"), "");  // the first section counts
  EXPECT_EQ(readProfileString(file, "", "top"), "");
  const std::string longPath = "/" + std::string(4000, 'p');
  ASSERT_TRUE(writeProfileString(file, "S", "Path", longPath));
  EXPECT_EQ(readProfileString(file, "s", "path"), longPath);

  // A write keeps the encoding the file had.
  const auto ansi = dir.write("ansi.ini", "[S]\nName=\xC5r\n");  // Windows-1252
  ASSERT_TRUE(writeProfileString(ansi, "S", "Other", "ö€"));
  EXPECT_EQ(TempFolder::read(ansi), "[S]\nName=\xC5r\nOther=\xF6\x80\n");
  // A character Windows-1252 lacks turns the file into UTF-8 rather than into a "?".
  ASSERT_TRUE(writeProfileString(ansi, "S", "Polish", "ł"));
  EXPECT_EQ(TempFolder::read(ansi), "[S]\nName=År\nOther=ö€\nPolish=ł\n");

  const auto bom = dir.write("bom.ini", "\xEF\xBB\xBF[S]\nName=År\n");
  ASSERT_TRUE(writeProfileString(bom, "s", "name", "Ö"));
  EXPECT_EQ(TempFolder::read(bom), "\xEF\xBB\xBF[S]\nname=Ö\n");
  ASSERT_TRUE(writeProfileString(dir / "sub/new.ini", "Ä", "k", "å"));
  EXPECT_EQ(readProfileString(dir / "sub/new.ini", "ä", "K"), "å");
}

TEST(IniFile, WritesKeepOtherLinesPermissionsAndLinksAndFailuresDoNoHarm) {
  TempFolder dir;
  const auto file = dir.write("a.ini",
                              "; settings\r\n[Catalogues]\r\nOpenBase=/old\r\n; keep me\r\n"
                              "MDBBase=/mdb\r\n\r\n[Other]\r\nx = 1\r\n");
  IniFile ini(file);
  ASSERT_EQ(ini.load(), IniFile::Status::Ok);
  ASSERT_TRUE(ini.write("catalogues", "Openbase", "/new"));  // replaced, spelled as written
  ASSERT_TRUE(ini.write("Fresh", "k", "v"));                 // a new section at the end
  ASSERT_TRUE(ini.write("Other", "Multi", "one\r\ntwo"));    // no line break gets through
  ini.clearSection("CATALOGUES");                            // entries go, header and comments stay
  ASSERT_TRUE(ini.write("Catalogues", "A", "1"));
  ASSERT_TRUE(ini.save());
  EXPECT_EQ(TempFolder::read(file),
            "; settings\r\n[Catalogues]\r\n; keep me\r\nA=1\r\n\r\n[Other]\r\nx = 1\r\n"
            "Multi=one  two\r\n\r\n[Fresh]\r\nk=v\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 1);

  // Replacing keeps permissions and links; failures do no harm.
  const auto real = dir.write("dotfiles/real.ini", "[S]\nk=1\n");
  fs::permissions(real, fs::perms(0640));
  fs::create_symlink(real, dir / "link.ini");
  ASSERT_TRUE(writeProfileString(dir / "link.ini", "S", "k", "2"));
  EXPECT_TRUE(fs::is_symlink(dir / "link.ini"));
  EXPECT_EQ(TempFolder::read(real), "[S]\nk=2\n");
  EXPECT_EQ(fs::status(real).permissions(), fs::perms(0640));

  for (const char* key : {"  ", "a=b", "[x", ";c", "two\nlines"})
    EXPECT_FALSE(ini.write("S", key, "v")) << key;
  EXPECT_FALSE(ini.write("a\nb", "k", "v"));
  dir.write("folder.ini/inside", "");
  std::string error;
  EXPECT_FALSE(writeProfileString(dir / "folder.ini", "S", "k", "v", &error));
  EXPECT_TRUE(fs::exists(dir / "folder.ini/inside"));
  EXPECT_FALSE(writeProfileString(real / "below-a-file.ini", "S", "k", "v", &error));
}
