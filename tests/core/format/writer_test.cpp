// Writing table files: statement order and conditions, list and text wrapping, the
// DATA builder with its checks, code pages, safe replacement, and round trips.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <tuple>

#include "core/format/format_test.h"
#include "core/format/recovery.h"
#include "core/grid/data_methods.h"
#include "support/temp_folder.h"

using namespace zendra;
using namespace zendra::test;
namespace fs = std::filesystem;

namespace {

// The statement of the metadata text that starts with head, up to its ";".
std::string statement(VexaMess& doc, const std::string& head) {
  const std::string text = make_vqstring(doc, fixedDate());
  const auto at = text.find(head);
  return at == std::string::npos ? "" : text.substr(at, text.find(";\r\n", at) - at);
}

std::string flags(const DataCheck& c) {
  return std::string(c.DataMissing ? "missing " : "") + (c.InvalidData ? "invalid " : "") +
         (c.InvalidCode ? "code " : "") + (c.DashFound ? "dash" : "");
}

}  // namespace

TEST(Writer, SmallTableInTheFixedOrder) {
  VexaMess doc;
  doc.Matrix = "BE01", doc.SubjectArea = "Population", doc.SubjectCode = "BE";
  doc.Contents = "Population", doc.Decimaler = 1, doc.AutoOpen = "YES", doc.AggregAllowed = "NO";
  doc.DescriptionDefault = "NO";  // written as the table holds it
  auto region = addVariable(doc, "region", 0, {"North", "South"}, {"01", "02"});
  region->Elimination = "YES";
  region->Prestext = "3";  // not 0, 1 or 2: not written
  // A time list marks every change of time code.
  auto year = addVariable(doc, "year", 1, {"2004", "2005", "20061"});
  year->UseTimeVal = true;
  for (int i = 1; i <= 3; ++i) {
    year->ValueCode.Item(i)->TimeCode = i < 3 ? "A1" : "Q1";
    year->ValueCode.Item(i)->TimeVal = year->ValueCode.Item(i)->value;
  }
  year->ValueCode.Item(1)->Precision = "2";
  year->Note = "On years";
  // Content lines without an argument for the table, with one for each content value.
  doc.ContData->Units = "persons", doc.ContData->DayAdj = "NO", doc.ContVariable = "region";
  doc.GetContdataKey("North")->Units = "SEK", doc.GetContdataKey("North")->SeasAdj = "YES";
  doc.GetContdataKey("South")->Contact = "Ann#phone 1";
  doc.Note = "Table note", doc.Source = "Office";

  EXPECT_EQ(make_vqstring(doc, fixedDate()),
            ended("VEXA-VERSION=\"2000\"|CREATION-DATE=\"20240101 12:00\"|CHARSET=\"ANSI\"|"
                  "SUBJECT-AREA=\"Population\"|SUBJECT-CODE=\"BE\"|MATRIX=\"BE01\"|"
                  "TITLE=\"Population by region and year. \"|CONTENTS=\"Population\"|"
                  "DESCRIPTIONDEFAULT=NO|AUTOOPEN=\"YES\"|AGGREGALLOWED=\"NO\"|DECIMALS=2|"
                  "STUB=\"region\"|HEADING=\"year\"|UNITS=\"persons\"|DAYADJ=NO|"
                  "VALUES(\"region\")=\"North\",\"South\"|"
                  "VALUES(\"year\")=\"2004\",\"2005\",\"20061\"|CODES(\"region\")=\"01\",\"02\"|"
                  "TIMEVAL(\"year\")=TLIST(A1),\"2004\",\"2005\",TLIST(Q1),\"20061\"|"
                  "ELIMINATION(\"region\")=YES|PRECISION(\"year\",\"2004\")=2|"
                  "CONTVARIABLE=\"region\"|UNITS(\"North\")=\"SEK\"|SEASADJ(\"North\")=YES|"
                  "CONTACT(\"South\")=\"Ann #\"\r\n\"phone 1 \"|SOURCE=\"Office \"|"
                  "NOTE=\"Table note \"|NOTE(\"year\")=\"On years \"|",
                  ";\r\n"));
  // DECIMALS is written as the cells are stored, without changing the table's own.
  EXPECT_EQ(doc.Decimaler, 1);
}

TEST(Writer, TitleFromTheVariablesUnlessADescriptionReplacesIt) {
  VexaMess doc;
  doc.Contents = "Population";
  // Without variables there is no default title to make, but a stored one is kept.
  doc.Title = "Kept";
  EXPECT_EQ(statement(doc, "TITLE="), "TITLE=\"Kept \"");
  addVariable(doc, "region", 0, {"North"});
  doc.Description = "Described";
  EXPECT_EQ(statement(doc, "TITLE="), "");

  addVariable(doc, "kön", 1, {"a"});
  addVariable(doc, "år", 1, {"a"});
  title_mod(doc, "efter", "och");
  EXPECT_EQ(doc.Title, "Population efter region, kön och år.");
}

TEST(Writer, AContentValueWithAnEmptyTextKeepsItsLinesApartFromTheTables) {
  VexaMess doc, back;
  doc.ContData->Units = "persons";
  addVariable(doc, "measure", 0, {"Income", ""});
  doc.ContVariable = "measure";
  doc.GetContdataKey("")->Units = "SEK";
  readBack(doc, back);
  ASSERT_TRUE(back.GetContdataKey(""));
  EXPECT_EQ(back.GetContdataKey("")->Units + "|" + back.ContData->Units, "SEK|persons");
}

TEST(Writer, ListLinesBreakAtSixtyEightAndTextsAtSeventy) {
  // "VALUES("v")=" is 12 characters and a first item of 40 makes the line 54.
  auto valuesLine = [](std::size_t second) {
    VexaMess doc;
    addVariable(doc, "v", 0, {std::string(40, 'a'), std::string(second, 'b')});
    return statement(doc, "VALUES(");
  };
  const std::string first = "VALUES(\"v\")=\"" + std::string(40, 'a') + "\",";
  EXPECT_EQ(valuesLine(13), first + "\"" + std::string(13, 'b') + "\"");      // 54 + 13 = 67
  EXPECT_EQ(valuesLine(14), first + "\r\n\"" + std::string(14, 'b') + "\"");  // 68

  // A first item that does not fit leaves the keyword part alone on its line.
  VexaMess doc;
  addVariable(doc, "v", 0, {std::string(60, 'x')});
  EXPECT_EQ(statement(doc, "VALUES("), "VALUES(\"v\")=\r\n\"" + std::string(60, 'x') + "\"");

  // Texts break at 70 and mark their line breaks.
  EXPECT_EQ(wrapText("First line#Second line", true), "\"First line #\"\r\n\"Second line \"");
  // A word fits while word and line together stay below 70 characters.
  const std::string a(60, 'a'), b8(8, 'b'), b9(9, 'b');
  EXPECT_EQ(wrapText(a + " " + b8, false), "\"" + a + " " + b8 + " \"");         // 61 + 8 = 69
  EXPECT_EQ(wrapText(a + " " + b9, false), "\"" + a + " \"\r\n\"" + b9 + "\"");  // 70
  // A word that does not fit before a line break gets a piece of its own, so the
  // break stays after it.
  EXPECT_EQ(wrapText(a + " " + b9 + "#c", true), "\"" + a + " \"\r\n\"" + b9 + " #\"\r\n\"c \"");
  // Without marks "#" is an ordinary character, as the reader keeps it there.
  EXPECT_EQ(wrapText("Table #5", false), "\"Table #5 \"");
}

TEST(RoundTrip, IncompleteTablesReadBackAsTheyWereWritten) {
  // The variable's flags, then each value's fields that statements name it in.
  auto fields = [](const DimensionData& v) {
    std::string out = std::to_string(v.UseCodes) + std::to_string(v.UseTimeVal);
    for (const auto& x : v.ValueCode) {
      const ContentData c = x->ContentData ? *x->ContentData : ContentData{};
      out += " " + x->value + "|" + x->TimeCode + ":" + x->TimeVal + "|" + x->Precision + "|" +
             x->Note + "|" + c.Units + "|" + c.DayAdj;
    }
    return out;
  };
  const std::vector<std::function<void(DimensionData&)>> cases = {
      [](DimensionData& v) { v.UseCodes = true; },  // no values left: still keyed by codes
      [](DimensionData& v) { v.UseTimeVal = true; },
      [](DimensionData& v) {  // time scales that the syntax would end early
        v.UseTimeVal = true;
        for (const char* scale : {"A 1", "Q1,", "(M1)", "\"", ""}) v.addVal()->TimeCode = scale;
      },
      [](DimensionData& v) {  // every change of time code, empty codes too
        v.UseTimeVal = true;
        for (const auto& [code, time] : {std::pair{"", "x"}, {"A1", "1994"}, {"", ""}, {"", ""}}) {
          v.addVal()->TimeCode = code;
          v.ValueCode.Item(v.ValueCode.Count())->TimeVal = time;
        }
      },
      [](DimensionData& v) {  // values sharing a text, the empty text too, and quotes
        for (const char* text : {"", "", "a", "b", "a", "a", "say \"hi\""})
          v.addVal()->value = text;
        v.ValueCode.Item(2)->Precision = "2";
        // Notes ending in a space or a line break come back the same, never grown.
        v.ValueCode.Item(3)->Note = "first ";
        v.ValueCode.Item(5)->Note = "Two lines \r\nend \r\n";
        (v.ValueCode.Item(2)->ContentData = std::make_shared<ContentData>())->DayAdj = "NO";
        (v.ValueCode.Item(5)->ContentData = std::make_shared<ContentData>())->Units = "u";
      },
  };
  for (const auto& build : cases) {
    VexaMess doc, back;
    doc.FileWithKeys = true;
    build(*addVariable(doc, "v", 0, {}));
    doc.ContVariable = "v";
    readBack(doc, back);
    std::string expected = fields(*doc.Get_Dimension("v"));
    std::replace(expected.begin(), expected.end(), '"', '\'');  // as every text is written
    EXPECT_EQ(fields(*back.Get_Dimension("v")), expected);
  }
}

TEST(RoundTrip, CellNotesOnOneCellAreWrittenAsOneWithTheirTextsJoined) {
  VexaMess doc, back;
  auto v = addVariable(doc, "v", 0, {"a", "b"});
  // Notes on one cell, as a removed variable leaves them; a text is not repeated, and a
  // note without text is kept.
  for (const auto& [value, note, notex] :
       {std::tuple{1, "one", ""}, {2, "", ""}, {1, "two", "x"}, {1, "one", ""}}) {
    auto n = std::make_shared<CellNote>();
    n->Values().Add(v->ValueCode.Item(value));
    n->Note = note, n->Notex = notex;
    doc.Cellnotes.Insert(doc.Cellnotes.Count() + 1, n);
  }
  readBack(doc, back);
  ASSERT_EQ(back.Cellnotes.Count(), 2);
  EXPECT_EQ(back.Cellnotes.Item(1)->Note + "|" + back.Cellnotes.Item(1)->Notex, "one \r\ntwo |x ");
}

TEST(WriteRefusal, NamesWhatWouldReadBackAsAnotherTable) {
  VexaMess keys, names, note, bare;
  addVariable(keys, "h", 1, {"a"}), keys.FileWithKeys = true;
  addVariable(names, "a\"b", 0, {}), addVariable(names, "A'b", 1, {});
  addVariable(note, "v", 0, {"a"});
  note.Cellnotes.Add(std::make_shared<CellNote>())->Values().Add(ValueAndCode::create("gone"));
  // The last variable removed: the note's address is empty, and CELLNOTE() reads back as
  // nothing.
  bare.Cellnotes.Add(std::make_shared<CellNote>());
  const std::pair<VexaMess*, const char*> cases[] = {
      {&bare, "cell notes but no variables"},
      {&keys, "keys form but has no stub variable"},
      {&names, "\"a\"b\" and \"A'b\" would be saved under one name"},
      {&note, "cell note on \"gone\" does not name a value"}};
  for (const auto& [doc, why] : cases)
    EXPECT_NE(WriteRefusal(*doc).find(why), std::string::npos) << why;
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
  grid.setText(r + 1, c + 1, "x,y");  // not a number: its comma stays
  DataCheck check;
  check.InvalidCode = true;  // cleared by the build
  EXPECT_EQ(GetDataMod::BuildDataText(doc, grid, check),
            "DATA=\r\n1.5 2.5 \"..\" \r\n\"-\" \"x,y\" \"\" ");
  EXPECT_EQ(flags(check), "missing invalid dash");
  // Faulty cells red on yellow.
  EXPECT_EQ(colours(grid, r + 1, c + 1), "red/yellow");
  VexaMess none;
  EXPECT_EQ(GetDataMod::BuildDataText(none, grid, check), "DATA=\r\n");
}

TEST(DataBuilder, KeysFormWritesFilledRowsOnlyAndChecksKeys) {
  VexaMess doc;
  CellGrid grid;
  doc.FileWithKeys = true;
  addVariable(doc, "region", 0, {"North", "South"}, {"01", "02"});
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
  EXPECT_EQ(flags(check), "missing code ");

  // With the user's decimal comma, keys keep their commas and numbers get the point.
  doc.colStub.Item(1)->ValueCode.Item(1)->code = "1,5";
  grid.setDecimalChar(",");
  grid.setText(3, 1, "1,5");
  grid.setText(3, 3, "2,25");
  grid.deleteRows(5, 1);
  EXPECT_EQ(GetDataMod::BuildDataText(doc, grid, check), "DATA=\r\n\"1,5\",5,2.25");
}

TEST(WriteToFile, RefusalsLeaveNoLeftoversAndWritesKeepPermissionsCodePageAndKeptData) {
  TempFolder dir;
  VexaMess doc;
  doc.Matrix = "NEW";
  // The target is a folder: refused before anything is written.
  dir.write("target.vq/inside", "old");
  EXPECT_FALSE(Write_To_File(doc, dir.file("target.vq"), fixedDate()).ok);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 1);  // no temporary file

  // A FIFO is refused before anything is written: it stays a FIFO.
  ASSERT_EQ(::mkfifo(dir.file("pipe.vq").c_str(), 0644), 0);
  EXPECT_NE(Write_To_File(doc, dir.file("pipe.vq"), fixedDate()).error.find("not a regular file"),
            std::string::npos);
  EXPECT_TRUE(fs::is_fifo(dir / "pipe.vq"));

  // A good write replaces the old file and keeps its permissions.
  const auto file = dir.write("t.vq", "old text");
  fs::permissions(file, fs::perms(0640));
  ASSERT_TRUE(Write_To_File(doc, file, fixedDate()).ok);
  EXPECT_EQ(fs::status(file).permissions(), fs::perms(0640));

  // OEM files are one code page from the first byte to the last.
  CellGrid grid;
  doc.SprData = &grid;
  doc.Contents = "Försäljning";
  addVariable(doc, "område", 0, {"Åre"});
  ASSERT_TRUE(CreateGrid(doc, grid, true, false));
  grid.setText(doc.DataRow1, doc.DataCol1, "å");  // a text cell with an accented letter
  doc.GridHasData = true;
  ASSERT_FALSE(Write_To_File(doc, dir.file("t.vq"), fixedDate(false)).lossy);
  const std::string bytes = TempFolder::read(dir / "t.vq");
  EXPECT_NE(bytes.find("CONTENTS=\"F\x94rs\x84ljning\";"), std::string::npos);
  EXPECT_NE(bytes.find("DATA=\r\n\"\x86\" ;"), std::string::npos);
  doc.Contents = "5 €";
  EXPECT_TRUE(Write_To_File(doc, dir.file("t.vq"), fixedDate(false)).lossy);

  // Metadata only: the DATA bytes are written back unchanged.
  const std::string original = TempFolder::read(kData + "/oem_full.vq");
  Loaded t("oem_full.vq", true);
  ASSERT_TRUE(Write_To_File(t.doc, dir.file("out.vq"), fixedDate(false)).ok);
  const std::string written = TempFolder::read(dir / "out.vq");
  EXPECT_EQ(written.substr(written.find("DATA=")), original.substr(original.find("DATA=")));

  // A file without DATA, read as metadata only, is written without one.
  Loaded none(Loaded::Text{"MATRIX=\"M\";STUB=\"r\";VALUES(\"r\")=\"a\";"}, true);
  EXPECT_EQ(saved(none.doc).find("DATA"), std::string::npos);

  // Saved in the other code page, the kept DATA is converted with the rest: an OEM key
  // "Malmö" (0x94) becomes the ANSI one (0xF6).
  Loaded oem(Loaded::Text{"STUB=\"r\";VALUES(\"r\")=\"Malm\x94\";KEYS(\"r\")=VALUES;"
                          "DATA=\"Malm\x94\",1;"},
             true);
  ASSERT_TRUE(Write_To_File(oem.doc, dir.file("ansi.vq"), fixedDate(true)).ok);
  EXPECT_NE(TempFolder::read(dir / "ansi.vq").find("DATA=\"Malm\xF6\",1;"), std::string::npos);
}

TEST(WriteToFile, FixtureFilesRoundTripAndRecoveryCopiesAreTheirSaves) {
  for (const char* name : {"oem_full.vq", "ansi_months.vq", "keys_form.vq"}) {
    for (const bool ansi : {false, true}) {
      SCOPED_TRACE(std::string(name) + (ansi ? " ansi" : " oem"));
      Loaded first(name);
      const std::string a = saved(first.doc, ansi);
      Loaded second(Loaded::Text{a});
      const std::string b = saved(second.doc, ansi);
      // The first save may settle texts (a trailing space per piece); after that the
      // text is stable.
      Loaded third(Loaded::Text{b});
      EXPECT_EQ(saved(third.doc, ansi), b);
      // Row 1, the title, is new.
      EXPECT_EQ(gridRows(first.grid, 2, -1, true), gridRows(second.grid, 2, -1, true));
      // A recovery copy holds the bytes of a save as they were when it was taken.
      recovery::Snapshot snapshot = recovery::takeSnapshot(first.doc, fixedDate(ansi));
      first.grid.setText(first.doc.DataRow1, first.doc.DataCol1, "7");
      EXPECT_EQ(recovery::snapshotBytes(snapshot), a);
      Loaded meta(name, true);
      recovery::Snapshot kept = recovery::takeSnapshot(meta.doc, fixedDate(ansi));
      EXPECT_EQ(recovery::snapshotBytes(kept), saved(meta.doc, ansi));
    }
  }
}
