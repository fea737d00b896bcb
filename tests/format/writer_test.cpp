// Writing table files: statement order and conditions, list and text wrapping, the
// DATA builder with its checks, code pages, safe replacement, and round trips.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "encoding/codepage.h"
#include "format/reader.h"
#include "format/writer.h"
#include "grid/data_methods.h"

using namespace zendra;
namespace fs = std::filesystem;

namespace {

const std::string kData = ZENDRA_TEST_DATA;

WriteOptions fixedDate(bool ansi = true) {
  WriteOptions o;
  o.ansi = ansi;
  o.creationDate = "20240101 12:00";
  return o;
}

std::string readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

DimensionRef addVariable(VexaMess& doc, const std::string& name, int side,
                         const std::vector<std::string>& values) {
  auto v = doc.addDimension(name, side);
  for (const auto& text : values) v->addVal()->value = text;
  return v;
}

struct TempDir {
  fs::path path;
  TempDir() {
    char name[] = "/tmp/zendra-writer-XXXXXX";
    path = mkdtemp(name);
  }
  ~TempDir() { fs::remove_all(path); }
  std::string file(const char* name) const { return (path / name).string(); }
};

// Loads a file (or bytes) with its cells.
struct Table {
  VexaMess doc;
  CellGrid grid;
  explicit Table(const std::string& path, bool metaOnly = false) {
    ScriptedPrompt prompt(Prompt::Answer::No);
    doc.VQfilename = path;
    doc.SprData = &grid;
    Load_From_File(doc, metaOnly, &grid, prompt);
    doc.GridHasData = doc.HasData;
  }
};

}  // namespace

TEST(Writer, SmallTableInTheFixedOrder) {
  VexaMess doc;
  doc.Matrix = "BE01";
  doc.SubjectArea = "Population";
  doc.SubjectCode = "BE";
  doc.Contents = "Population";
  doc.Decimaler = 1;
  doc.AutoOpen = "YES";
  doc.AggregAllowed = "NO";
  doc.DescriptionDefault = "NO";  // only YES is written
  auto region = addVariable(doc, "region", 0, {"North", "South"});
  region->UseCodes = true;
  region->ValueCode.Item(1)->code = "01";
  region->ValueCode.Item(2)->code = "02";
  region->Elimination = "YES";
  region->Prestext = "3";  // not 0, 1 or 2: not written
  auto year = addVariable(doc, "year", 1, {"2004"});
  year->UseTimeVal = true;
  year->ValueCode.Item(1)->TimeCode = "A1";
  year->ValueCode.Item(1)->TimeVal = "2004";
  year->ValueCode.Item(1)->Precision = "2";
  year->Note = "On years";
  doc.ContData->Units = "persons";
  doc.Note = "Table note";
  doc.Source = "Office";

  EXPECT_EQ(make_vqstring(doc, fixedDate()),
            "VEXA-VERSION=\"2000\";\r\n"
            "CREATION-DATE=\"20240101 12:00\";\r\n"
            "CHARSET=\"ANSI\";\r\n"
            "SUBJECT-AREA=\"Population\";\r\n"
            "SUBJECT-CODE=\"BE\";\r\n"
            "MATRIX=\"BE01\";\r\n"
            "TITLE=\"Population by region and year. \";\r\n"
            "CONTENTS=\"Population\";\r\n"
            "AUTOOPEN=\"YES\";\r\n"
            "AGGREGALLOWED=\"NO\";\r\n"
            "DECIMALS=2;\r\n"
            "STUB=\"region\";\r\n"
            "HEADING=\"year\";\r\n"
            "UNITS=\"persons\";\r\n"
            "VALUES(\"region\")=\"North\",\"South\";\r\n"
            "VALUES(\"year\")=\"2004\";\r\n"
            "CODES(\"region\")=\"01\",\"02\";\r\n"
            "TIMEVAL(\"year\")=TLIST(A1),\"2004\";\r\n"
            "ELIMINATION(\"region\")=YES;\r\n"
            "PRECISION(\"year\",\"2004\")=2;\r\n"
            "SOURCE=\"Office \";\r\n"
            "NOTE=\"Table note \";\r\n"
            "NOTE(\"year\")=\"On years \";\r\n");
  // Writing changed the document as a save does.
  EXPECT_EQ(doc.Title, "Population by region and year.");
  EXPECT_EQ(doc.Decimaler, 2);
}

TEST(Writer, DescriptionReplacesTheTitleAndNoVariableMeansNoTitle) {
  VexaMess doc;
  doc.Contents = "Population";
  doc.Title = "Kept";
  std::string text = make_vqstring(doc, fixedDate(false));
  EXPECT_EQ(text.find("TITLE="), std::string::npos);
  EXPECT_EQ(text.find("CHARSET"), std::string::npos);
  EXPECT_EQ(doc.Title, "Kept");

  addVariable(doc, "region", 0, {"North"});
  text = make_vqstring(doc, fixedDate());
  EXPECT_NE(text.find("TITLE=\"Population by region. \";\r\nCONTENTS="), std::string::npos);

  doc.Description = "Described";
  text = make_vqstring(doc, fixedDate());
  EXPECT_EQ(text.find("TITLE="), std::string::npos);
  EXPECT_NE(text.find("CONTENTS=\"Population\";\r\nDESCRIPTION=\"Described \";"),
            std::string::npos);
}

TEST(Writer, TitleUsesTheByAndAndWordsHandedIn) {
  VexaMess doc;
  doc.Contents = "Befolkning";
  addVariable(doc, "region", 0, {"a"});
  addVariable(doc, "kön", 1, {"a"});
  addVariable(doc, "år", 1, {"a"});
  title_mod(doc, "efter", "och");
  EXPECT_EQ(doc.Title, "Befolkning efter region, kön och år.");
}

TEST(Writer, ListLinesBreakAtSixtyEight) {
  // "VALUES("v")=" is 12 characters and a first item of 40 makes the line 54.
  auto valuesLine = [](std::size_t second) {
    VexaMess doc;
    addVariable(doc, "v", 0, {std::string(40, 'a'), std::string(second, 'b')});
    const std::string text = make_vqstring(doc, fixedDate());
    const auto at = text.find("VALUES(");
    return text.substr(at, text.find(";\r\n", at) - at);
  };
  const std::string first = "VALUES(\"v\")=\"" + std::string(40, 'a') + "\"";
  EXPECT_EQ(valuesLine(13), first + ",\"" + std::string(13, 'b') + "\"");      // 54 + 13 = 67
  EXPECT_EQ(valuesLine(14), first + ",\r\n\"" + std::string(14, 'b') + "\"");  // 68
  EXPECT_EQ(valuesLine(15), first + ",\r\n\"" + std::string(15, 'b') + "\"");

  // A first item that does not fit leaves the keyword part alone on its line.
  VexaMess doc;
  addVariable(doc, "v", 0, {std::string(60, 'x')});
  EXPECT_NE(make_vqstring(doc, fixedDate()).find("VALUES(\"v\")=\r\n\"" + std::string(60, 'x')),
            std::string::npos);

  // Fifty short values run over several lines, each continued line ending with ",".
  VexaMess many;
  std::vector<std::string> fifty(50, "abcd");
  addVariable(many, "v", 0, fifty);
  const std::string text = make_vqstring(many, fixedDate());
  const auto at = text.find("VALUES(");
  const std::string list = text.substr(at, text.find(";\r\n", at) - at);
  std::istringstream lines(list);
  std::string line;
  int count = 0;
  while (std::getline(lines, line)) {
    ++count;
    EXPECT_LE(line.size(), 72u);
  }
  EXPECT_GT(count, 3);
}

TEST(Writer, TimeListsMarkEveryChangeOfTimeCode) {
  VexaMess doc;
  auto t = addVariable(doc, "t", 0, {"a", "b", "c"});
  t->UseTimeVal = true;
  const char* codes[][2] = {{"A1", "1999"}, {"A1", "2000"}, {"Q1", "20011"}};
  for (int i = 0; i < 3; ++i) {
    t->ValueCode.Item(i + 1)->TimeCode = codes[i][0];
    t->ValueCode.Item(i + 1)->TimeVal = codes[i][1];
  }
  EXPECT_NE(make_vqstring(doc, fixedDate())
                .find("TIMEVAL(\"t\")=TLIST(A1),\"1999\",\"2000\",TLIST(Q1),\"20011\";"),
            std::string::npos);
}

TEST(Writer, ContentLinesForTheTableAndForEachContentValue) {
  VexaMess doc;
  addVariable(doc, "measure", 1, {"Income", "Tax", "Other"});
  doc.ContVariable = "measure";
  doc.ContData->DayAdj = "NO";
  doc.GetContdataKey("Income")->Units = "SEK";
  doc.GetContdataKey("Income")->SeasAdj = "YES";
  doc.GetContdataKey("Tax")->Contact = "Ann#phone 1";
  const std::string text = make_vqstring(doc, fixedDate());
  EXPECT_NE(text.find("DAYADJ=NO;\r\n"), std::string::npos);
  EXPECT_NE(text.find("CONTVARIABLE=\"measure\";\r\n"
                      "UNITS(\"Income\")=\"SEK\";\r\n"
                      "SEASADJ(\"Income\")=YES;\r\n"
                      "CONTACT(\"Tax\")=\"Ann #\"\r\n\"phone 1 \";\r\n"),
            std::string::npos);
  EXPECT_EQ(text.find("(\"Other\")"), std::string::npos);

  doc.ContVariable = "gone";  // names no variable: no per-value lines
  EXPECT_EQ(make_vqstring(doc, fixedDate()).find("UNITS(\"Income\")"), std::string::npos);
}

TEST(WrapText, BreaksAtSeventyAndMarksLineBreaks) {
  EXPECT_EQ(wrapText("First line#Second line", true), "\"First line #\"\r\n\"Second line \"");
  EXPECT_EQ(wrapText("First line\r\nSecond line", true), "\"First line #\"\r\n\"Second line \"");
  // A word fits while word and line together stay below 70 characters.
  const std::string a(60, 'a');
  EXPECT_EQ(wrapText(a + " " + std::string(8, 'b'), false),
            "\"" + a + " " + std::string(8, 'b') + " \"");  // 61 + 8 = 69
  EXPECT_EQ(wrapText(a + " " + std::string(9, 'b'), false),
            "\"" + a + " \"\r\n\"" + std::string(9, 'b') + "\"");  // 70
  EXPECT_EQ(wrapText(a + " " + std::string(9, 'b') + " c", false),
            "\"" + a + " \"\r\n\"" + std::string(9, 'b') + " c \"");
  // A word of 70 characters or more is never split; as the first word it follows an
  // empty piece.
  EXPECT_EQ(wrapText(std::string(75, 'x') + " y", false),
            "\"\"\r\n\"" + std::string(75, 'x') + " \"\r\n\"y\"");
  // A word that does not fit before a line break gets a piece of its own, so the
  // break stays after it.
  EXPECT_EQ(wrapText(a + " " + std::string(9, 'b') + "#c", true),
            "\"" + a + " \"\r\n\"" + std::string(9, 'b') + " #\"\r\n\"c \"");
  // Without marks "#" is an ordinary character, as the reader keeps it there.
  EXPECT_EQ(wrapText("Table #5", false), "\"Table #5 \"");
}

TEST(WrapText, ReadingBackNeverGrowsTheText) {
  // A text ending in a space, or in a line break, comes back the same after every save.
  for (const std::string start : {"Note ends here ", "Two lines\r\nend\r\n", "x"}) {
    std::string text = start;
    for (int save = 0; save < 3; ++save) {
      VexaMess doc;
      doc.Note = text;
      const std::string file = make_vqstring(doc, fixedDate());
      VexaMess back;
      ScriptedPrompt prompt;
      Load_From_Text(back, file, true, nullptr, prompt);
      if (save > 0) {
        EXPECT_EQ(back.Note, text) << start;
      }
      text = back.Note;
    }
  }
}

TEST(Writer, DoubleQuotesAreWrittenAsApostrophesAndReadBackSo) {
  VexaMess doc;
  doc.Contents = "The \"best\" table";
  auto v = addVariable(doc, "a \"b\"", 0, {"say \"hi\""});
  v->Note = "quoted \"note\"";
  auto note = std::make_shared<CellNote>();
  note->Values().Add(v->ValueCode.Item(1));
  note->Note = "cell \"note\"";
  doc.Cellnotes.Add(note);
  const std::string file = make_vqstring(doc, fixedDate());
  VexaMess back;
  ScriptedPrompt prompt;
  Load_From_Text(back, file, true, nullptr, prompt);
  EXPECT_EQ(back.Contents, "The 'best' table");
  ASSERT_TRUE(back.Get_Dimension("a 'b'"));
  EXPECT_EQ(back.Get_Dimension("a 'b'")->ValueCode.Item(1)->value, "say 'hi'");
  EXPECT_EQ(back.Get_Dimension("a 'b'")->Note, "quoted 'note' ");
  ASSERT_EQ(back.Cellnotes.Count(), 1);
  EXPECT_EQ(back.Cellnotes.Item(1)->Note, "cell 'note' ");
}

TEST(DataBuilder, NormalFormChecksCellsAndPaintsFaultyOnes) {
  VexaMess doc;
  CellGrid grid;
  addVariable(doc, "r", 0, {"a", "b"});
  addVariable(doc, "c", 1, {"x", "y", "z"});
  ASSERT_TRUE(CreateGrid(doc, grid, true, false));
  grid.setDecimalChar(",");
  const std::int32_t r = doc.DataRow1, c = doc.DataCol1;
  grid.setNumber(r, c, 1.5, 1);
  grid.setText(r, c + 1, " 2,5 ");  // a numeric text in the user's form
  grid.setText(r, c + 2, "..");
  grid.setText(r + 1, c, "-");
  grid.setText(r + 1, c + 1, "x");
  DataCheck check;
  check.InvalidCode = true;  // cleared by the build
  const std::string text = GetDataMod::BuildDataText(doc, grid, check);
  EXPECT_EQ(text, "DATA=\r\n1.5 2.5 \"..\" \r\n\"-\" \"x\" \"\" ");
  EXPECT_TRUE(check.DataMissing);
  EXPECT_TRUE(check.InvalidData);
  EXPECT_TRUE(check.DashFound);
  EXPECT_FALSE(check.InvalidCode);
  EXPECT_EQ(grid.backColour(r + 1, c + 1), kRed);
  EXPECT_EQ(grid.foreColour(r + 1, c + 1), kYellow);
  EXPECT_EQ(grid.backColour(r + 1, c + 2), kRed);
  EXPECT_EQ(grid.backColour(r, c + 2), kWhite);
  EXPECT_EQ(grid.foreColour(r, c + 2), kBlack);
  EXPECT_EQ(grid.backColour(r, c), std::nullopt);  // numbers are left as they are

  VexaMess none;
  EXPECT_EQ(GetDataMod::BuildDataText(none, grid, check), "DATA=\r\n");
  EXPECT_TRUE(check.DataMissing);
}

TEST(DataBuilder, KeysFormWritesFilledRowsOnlyAndChecksKeys) {
  VexaMess doc;
  CellGrid grid;
  doc.FileWithKeys = true;
  auto region = addVariable(doc, "region", 0, {"North", "South"});
  region->UseCodes = true;
  region->ValueCode.Item(1)->code = "01";
  region->ValueCode.Item(2)->code = "02";
  addVariable(doc, "sex", 1, {"men", "women"});
  ASSERT_TRUE(CreateGrid(doc, grid, true, false));
  grid.setText(3, 1, "02");
  grid.setNumber(3, 2, 5, 0);
  grid.setText(3, 3, "..");
  AppendKeysRow(doc, grid);  // row 4 stays empty
  AppendKeysRow(doc, grid);
  grid.setText(5, 1, "North");  // a text where the code is expected
  grid.setNumber(5, 2, 0, 0);
  AppendKeysRow(doc, grid);
  grid.setText(6, 1, "01");  // the last row is the entry row: never written
  DataCheck check;
  EXPECT_EQ(GetDataMod::BuildDataText(doc, grid, check),
            "DATA=\r\n\"02\",5,\"..\"\r\n\"North\",0,\"\"");
  EXPECT_TRUE(check.InvalidCode);
  EXPECT_TRUE(check.DataMissing);
  EXPECT_EQ(grid.backColour(5, 1), kRed);
  EXPECT_EQ(grid.backColour(3, 1), kWhite);
  EXPECT_TRUE(TestCodeOK(doc, "02", 1));
  EXPECT_FALSE(TestCodeOK(doc, "South", 1));
  EXPECT_FALSE(TestCodeOK(doc, "men", 9));
}

TEST(WriteToFile, OemFilesAreOneCodePageFromFirstByteToLast) {
  TempDir dir;
  VexaMess doc;
  CellGrid grid;
  doc.SprData = &grid;
  doc.Contents = "Försäljning";
  addVariable(doc, "område", 0, {"Åre"});
  ASSERT_TRUE(CreateGrid(doc, grid, true, false));
  grid.setText(doc.DataRow1, doc.DataCol1, "å");  // a text cell with an accented letter
  doc.GridHasData = true;
  const auto written = Write_To_File(doc, dir.file("t.vq"), fixedDate(false));
  ASSERT_TRUE(written.ok) << written.error;
  EXPECT_FALSE(written.lossy);
  const std::string bytes = readBytes(dir.file("t.vq"));
  EXPECT_EQ(bytes.find("CHARSET"), std::string::npos);
  EXPECT_NE(bytes.find("CONTENTS=\"F\x94rs\x84ljning\";"), std::string::npos);
  EXPECT_NE(bytes.find("DATA=\r\n\"\x86\" ;"), std::string::npos);
  EXPECT_EQ(decode(bytes, CodePage::Oem).find("Å"), decode(bytes, CodePage::Oem).find("Åre"));

  doc.Contents = "5 €";
  const auto lossy = Write_To_File(doc, dir.file("t.vq"), fixedDate(false));
  EXPECT_TRUE(lossy.ok);
  EXPECT_TRUE(lossy.lossy);
}

TEST(WriteToFile, AFailedWriteLeavesTheOldFileAndNoLeftovers) {
  TempDir dir;
  VexaMess doc;
  doc.Matrix = "NEW";
  // The target is a folder: the rename fails after the new text was written.
  fs::create_directory(dir.path / "target.vq");
  std::ofstream(dir.path / "target.vq" / "inside") << "old";
  const auto result = Write_To_File(doc, dir.file("target.vq"), fixedDate());
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.error.find("target.vq"), std::string::npos);
  EXPECT_EQ(readBytes((dir.path / "target.vq" / "inside").string()), "old");
  int entries = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.path)) ++entries;
  EXPECT_EQ(entries, 1);  // no temporary file left behind

  const auto missing = Write_To_File(doc, dir.file("no/such/folder/t.vq"), fixedDate());
  EXPECT_FALSE(missing.ok);
  EXPECT_FALSE(missing.error.empty());

  // A good write replaces the old file and keeps its permissions.
  std::ofstream(dir.file("t.vq")) << "old text";
  fs::permissions(dir.file("t.vq"),
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ASSERT_TRUE(Write_To_File(doc, dir.file("t.vq"), fixedDate()).ok);
  EXPECT_NE(readBytes(dir.file("t.vq")).find("MATRIX=\"NEW\""), std::string::npos);
  EXPECT_EQ(fs::status(dir.file("t.vq")).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST(WriteToFile, MetadataOnlyWritesTheDataBytesBackUnchanged) {
  TempDir dir;
  const std::string original = readBytes(kData + "/oem_full.vq");
  Table t(kData + "/oem_full.vq", true);
  ASSERT_TRUE(t.doc.MetadataOnly);
  ASSERT_TRUE(Write_To_File(t.doc, dir.file("out.vq"), fixedDate(false)).ok);
  const std::string written = readBytes(dir.file("out.vq"));
  const std::string tail = original.substr(original.find("DATA=") + 5);
  EXPECT_EQ(written.substr(written.find("DATA=") + 5), tail);
}

TEST(WriteToFile, FixtureFilesRoundTripToTheSameTextAndCells) {
  TempDir dir;
  for (const char* name : {"oem_full.vq", "ansi_months.vq", "keys_form.vq"}) {
    for (const bool ansi : {false, true}) {
      Table first(kData + "/" + name);
      ASSERT_TRUE(first.doc.HasData) << name;
      ASSERT_TRUE(Write_To_File(first.doc, dir.file("a.vq"), fixedDate(ansi)).ok);
      Table second(dir.file("a.vq"));
      ASSERT_TRUE(Write_To_File(second.doc, dir.file("b.vq"), fixedDate(ansi)).ok);
      Table third(dir.file("b.vq"));
      ASSERT_TRUE(Write_To_File(third.doc, dir.file("c.vq"), fixedDate(ansi)).ok);
      // The first save may settle texts (a trailing space per piece); after that the
      // text is stable.
      EXPECT_EQ(readBytes(dir.file("b.vq")), readBytes(dir.file("c.vq"))) << name;
      ASSERT_EQ(first.grid.rowCount(), second.grid.rowCount()) << name;
      ASSERT_EQ(first.grid.colCount(), second.grid.colCount()) << name;
      for (std::int32_t r = first.doc.DataRow1; r <= first.grid.rowCount(); ++r) {
        for (std::int32_t c = 1; c <= first.grid.colCount(); ++c) {
          EXPECT_EQ(first.grid.text(r, c), second.grid.text(r, c)) << name << " " << r << "," << c;
          EXPECT_EQ(first.grid.kind(r, c), second.grid.kind(r, c)) << name << " " << r << "," << c;
        }
      }
      EXPECT_EQ(first.doc.Cellnotes.Count(), second.doc.Cellnotes.Count());
    }
  }
}
