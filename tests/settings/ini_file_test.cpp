// INI files: case-free look-ups, writes that keep the rest of the file, the two
// encodings, and writes that fail without harming the file.
#include <gtest/gtest.h>

#include <string>

#include "settings/ini_file.h"
#include "support/temp_folder.h"

using namespace zendra;
using zendra::test::TempFolder;

TEST(IniFile, ReadsMatchWithoutCaseAndTrimBlanks) {
  TempFolder dir;
  const auto file = dir.write("a.ini",
                              "top=not in a section\r\n"
                              "[ catalogues ]\r\n"
                              ";OpenBase=commented out\r\n"
                              "  OpenBase =  /data/open  \r\n"
                              "openbase=second of the same key\r\n"
                              "[Catalogues]\r\n"
                              "Other=in a second section of that name\r\n");
  IniFile ini(file);
  ASSERT_EQ(ini.load(), IniFile::Status::Ok);
  EXPECT_EQ(ini.read("Catalogues", "OPENBASE"), "/data/open");
  EXPECT_EQ(ini.read(" CATALOGUES ", " openBase "), "/data/open");
  EXPECT_EQ(ini.read("Catalogues", "Other"), "");  // the first section of a name counts
  EXPECT_EQ(ini.read("Catalogues", "Missing"), "");
  EXPECT_EQ(ini.read("Missing", "OpenBase"), "");
  EXPECT_EQ(ini.read("", "top"), "");
  EXPECT_EQ(readProfileString(dir / "none.ini", "Catalogues", "OpenBase"), "");
}

TEST(IniFile, LongValuesComeBackWhole) {
  TempFolder dir;
  const std::string path = "/" + std::string(300, 'p') + "/" + std::string(4000, 'q');
  ASSERT_TRUE(writeProfileString(dir / "a.ini", "S", "Path", path));
  EXPECT_EQ(readProfileString(dir / "a.ini", "s", "path"), path);
}

TEST(IniFile, WritingOneValueKeepsEveryOtherLineInPlace) {
  TempFolder dir;
  const auto file = dir.write("a.ini",
                              "; settings\r\n"
                              "[Catalogues]\r\n"
                              "OpenBase=/old\r\n"
                              "; keep me\r\n"
                              "MDBBase=/mdb\r\n"
                              "\r\n"
                              "[Other]\r\n"
                              "x = 1\r\n");
  IniFile ini(file);
  ASSERT_EQ(ini.load(), IniFile::Status::Ok);
  ASSERT_TRUE(ini.write("catalogues", "Openbase", "/new"));   // replaced, spelled as written
  ASSERT_TRUE(ini.write("Catalogues", "Savebase", "/save"));  // added after the last entry
  ASSERT_TRUE(ini.write("Fresh", "k", "v"));                  // a new section at the end
  ASSERT_TRUE(ini.write("Other", "Multi", "one\r\ntwo"));     // no line break gets through
  ASSERT_TRUE(ini.save());
  EXPECT_EQ(TempFolder::read(file),
            "; settings\r\n"
            "[Catalogues]\r\n"
            "Openbase=/new\r\n"
            "; keep me\r\n"
            "MDBBase=/mdb\r\n"
            "Savebase=/save\r\n"
            "\r\n"
            "[Other]\r\n"
            "x = 1\r\n"
            "Multi=one  two\r\n"
            "\r\n"
            "[Fresh]\r\n"
            "k=v\r\n");
  // Nothing is left beside the file.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(IniFile, ReplacingAFileKeepsItsPermissionsAndLinks) {
  TempFolder dir;
  const auto real = dir.write("dotfiles/real.ini", "[S]\nk=1\n");
  std::filesystem::permissions(real, std::filesystem::perms(0640));
  std::filesystem::create_symlink(real, dir / "link.ini");
  ASSERT_TRUE(writeProfileString(dir / "link.ini", "S", "k", "2"));
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.ini"));
  EXPECT_EQ(TempFolder::read(real), "[S]\nk=2\n");
  EXPECT_EQ(std::filesystem::status(real).permissions(), std::filesystem::perms(0640));
}

TEST(IniFile, ClearingASectionKeepsItsHeaderAndComments) {
  TempFolder dir;
  const auto file = dir.write("a.ini", "[Units]\nU1=a\n; note\nU2=b\n\n[Next]\nU1=c\n");
  IniFile ini(file);
  ASSERT_EQ(ini.load(), IniFile::Status::Ok);
  ini.clearSection("UNITS");
  EXPECT_EQ(ini.read("Units", "U2"), "");
  ASSERT_TRUE(ini.write("Units", "U1", "z"));
  ASSERT_TRUE(ini.save());
  EXPECT_EQ(TempFolder::read(file), "[Units]\n; note\nU1=z\n\n[Next]\nU1=c\n");
}

TEST(IniFile, KeepsTheEncodingTheFileHad) {
  TempFolder dir;
  // Windows-1252: "Å" is one byte and stays so after a write.
  const auto ansi = dir.write("ansi.ini", "[S]\nName=\xC5r\n");
  ASSERT_TRUE(writeProfileString(ansi, "S", "Other", "ö€"));
  EXPECT_EQ(TempFolder::read(ansi), "[S]\nName=\xC5r\nOther=\xF6\x80\n");
  EXPECT_EQ(readProfileString(ansi, "S", "Name"), "År");
  // A character Windows-1252 lacks turns the file into UTF-8 rather than a "?".
  ASSERT_TRUE(writeProfileString(ansi, "S", "Polish", "ł"));
  EXPECT_EQ(TempFolder::read(ansi), "[S]\nName=År\nOther=ö€\nPolish=ł\n");
  // UTF-8 with a byte-order mark keeps it; a new file is plain UTF-8.
  const auto bom = dir.write("bom.ini", "\xEF\xBB\xBF[S]\nName=År\n");
  ASSERT_TRUE(writeProfileString(bom, "s", "name", "Ö"));
  EXPECT_EQ(TempFolder::read(bom), "\xEF\xBB\xBF[S]\nname=Ö\n");
  ASSERT_TRUE(writeProfileString(dir / "sub" / "new.ini", "Ä", "k", "å"));
  EXPECT_EQ(TempFolder::read(dir / "sub" / "new.ini"), "[Ä]\nk=å\n");
  EXPECT_EQ(readProfileString(dir / "sub" / "new.ini", "ä", "K"), "å");
}

TEST(IniFile, UnusableKeysAndUnreadableFilesFailWithoutHarm) {
  TempFolder dir;
  const auto file = dir.write("a.ini", "[S]\nk=v\n");
  IniFile ini(file);
  ASSERT_EQ(ini.load(), IniFile::Status::Ok);
  for (const char* key : {"", "  ", "a=b", "[x", ";c", "two\nlines"}) {
    EXPECT_FALSE(ini.write("S", key, "v")) << key;
  }
  EXPECT_FALSE(ini.write("a\nb", "k", "v"));
  EXPECT_NE(ini.error().find("cannot be written"), std::string::npos);

  // A path that cannot be read as a file is neither read nor replaced.
  std::filesystem::create_directories(dir / "folder.ini" / "inside");
  IniFile folder(dir / "folder.ini");
  EXPECT_EQ(folder.load(), IniFile::Status::Failed);
  EXPECT_NE(folder.error().find("folder.ini"), std::string::npos);
  std::string error;
  EXPECT_FALSE(writeProfileString(dir / "folder.ini", "S", "k", "v", &error));
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(std::filesystem::is_directory(dir / "folder.ini" / "inside"));
  // A folder that cannot be made: the write fails and says so.
  EXPECT_FALSE(writeProfileString(file / "below-a-file.ini", "S", "k", "v", &error));
  EXPECT_EQ(TempFolder::read(file), "[S]\nk=v\n");
}
