// Reading table files into a document and its grid.
#include <gtest/gtest.h>

#include <tuple>

#include "core/format/format_test.h"

using namespace zendra;
using namespace zendra::test;

namespace {

// A table r by c with these value counts, optionally keyed, with a DATA section.
std::string table(int rows, int cols, bool keys, const std::string& data) {
  auto values = [](const char* name, int count) {
    std::string out = std::string("VALUES(\"") + name + "\")=";
    for (int i = 0; i < count; ++i) out += (i ? ",\"" : "\"") + std::to_string(i) + "\"";
    return out + ";";
  };
  return "STUB=\"r\";HEADING=\"c\";" + values("r", rows) + values("c", cols) +
         (keys ? "KEYS(\"r\")=VALUES;" : "") + "DATA=" + data + ";";
}

}  // namespace

TEST(Reader, OemFileGivesEveryStatementToItsFieldVariableAndValueAndCellsTheirKind) {
  Loaded t("oem_full.vq");
  const VexaMess& d = t.doc;
  // Keywords in lower case count, title pieces are joined and "#" breaks notes.
  EXPECT_EQ((Texts{d.CreationDate, d.Language, d.Matrix, d.Title, d.Contents, d.DescriptionDefault,
                   d.AutoOpen, d.AggregAllowed, d.ShowDecimals, d.Infofile, d.Source, d.Copyright,
                   d.Database, d.Notex, d.Note}),
            (Texts{"20240115 09:30", "sv", "BE0101Ö", "Folkmängd efter region, kön och år",
                   "Folkmängd", "NO", "YES", "NO", "1", "BE0101", "Statistikbyrån", "YES",
                   "Regionaldata", "Tabellnot\r\nandra raden", "Vanlig not"}));
  EXPECT_EQ(d.ContData->Contact + "|" + d.ContData->LastUpdated,
            "Anna Andersson\r\ntel 010-123|20240115 09:00");

  // Variables, values and their properties.
  EXPECT_EQ(names(d.colHeading), (Texts{"kön", "år"}));
  const auto& region = *d.Get_Dimension("Region");
  // The language-suffixed VALUES statement added nothing.
  EXPECT_EQ(texts(region.ValueCode), (Texts{"Åre", "Östersund", "Malmö"}));
  EXPECT_EQ(region.PartNumber, 2);
  // PRESTEXT's value is ended by its line and the next statement is still read; "#"
  // breaks a variable's note as it breaks the table's.
  EXPECT_EQ((Texts{region.ValueCode.Item(3)->code, region.Elimination, region.DoubleColumn,
                   region.Prestext, region.Domain, region.Map, region.PartName1, region.PartName2,
                   region.Note, region.ValueCode.Item(1)->Note}),
            (Texts{"1280", "YES", "YES", "2", "kommun", "sverige_kommun", "Norr", "Syd",
                   "Gränser\r\n2023", "Rad ett\r\nRad två"}));
  EXPECT_EQ(t.value("år", 2)->Notex + "|" + t.value("år", 2)->Precision, "Preliminär|2");
  EXPECT_EQ(d.SaveDecimals, 2);  // PRECISION 2 beats DECIMALS 1

  // Cell notes: CELLNOTEX lands on its CELLNOTE's note, "*" is the shared value, and a
  // note on an unknown value has no effect.
  ASSERT_EQ(d.Cellnotes.Count(), 2);
  const auto first = d.Cellnotes.Item(1);
  EXPECT_EQ(first->Vstr() + first->Notex, R"("*","kvinnor","2023"Obligatorisk cellnot)");

  // Normal-form cells become numbers or texts.
  EXPECT_EQ(t.doc.GridDecimals, 2);
  // A quoted number is taken unchanged and is numeric; labels come from the values.
  EXPECT_EQ(gridRows(t.grid, t.doc.DataRow1, -1, true),
            "Åre|#1.00|#2.50|..|#4.00\nÖstersund|#5.00|#6.00|-|#8.00\n"
            "Malmö|#9.50|#10.00|#11.00|#12.00\n");

  // In a comma locale file numbers become numbers shown with the comma, quoted or not (as
  // in every other locale), and symbols stay as written.
  VexaMess doc;
  CellGrid grid;
  grid.setDecimalChar(",");
  ScriptedPrompt prompt;
  Load_From_Text(doc, "STUB=\"a\";VALUES(\"a\")=\"x\",\"y\",\"z\";DECIMALS=1;DATA=12.5 \"3.5\" ..;",
                 false, &grid, prompt);
  EXPECT_EQ(gridRows(grid, 2, -1, true), "x|#12,5\ny|#3,5\nz|..\n");
}

TEST(Reader, LineFeedFilesDecimalPointCountsAndVariableNoteBreaks) {
  // Lines end with a line feed alone, as files edited on Linux do.
  Loaded t(Loaded::Text{
      "DECIMALS=1.0;\nSTUB=\"a\";\nVALUES(\"a\")=\"x\",\"y\";\nPRECISION(\"a\",\"y\")=2.0;\n"
      "PARTITIONED(\"a\")=\"p\",1,\"2.0\";\nPRESTEXT(\"a\")=2\nMATRIX=\"m\";\n"
      "NOTE(\"a\")=\"Line1#Line2\";NOTEX(\"a\")=\"A#B\";\nDATA=1.234 5;"});
  const auto& a = *t.doc.Get_Dimension("a");
  EXPECT_EQ((std::vector<int>{t.doc.Decimaler, t.doc.SaveDecimals, a.PartNumber}),
            (std::vector<int>{1, 2, 2}));
  EXPECT_EQ(a.Prestext + "|" + t.doc.Matrix + "|" + a.Notex, "2|m|A\r\nB");
  EXPECT_EQ(t.cell(0, 0), "1.23");  // two decimals kept, not rounded to a whole number
}

TEST(Reader, AnsiFileWithTimeRangeAcrossAYearEndAndContentMetadata) {
  Loaded t("ansi_months.vq");
  const auto month = t.doc.Get_Dimension("MÅNAD");  // keys ignore case
  ASSERT_TRUE(month);
  EXPECT_EQ(timeCodes(*month), (Texts{"M1:199911", "M1:199912", "M1:200001", "M1:200002"}));
  EXPECT_EQ(t.value("varugrupp", 2)->ContentData->Units, "index 1980=100");
  EXPECT_EQ(t.cell(3, 1), "203");  // the ";" right after the last element ends the data
}

TEST(Reader, TimeValuesInListsRangesAndBrokenForms) {
  // The TIMEVAL statement, the number of values and their time codes.
  const std::tuple<const char*, int, Texts> cases[] = {
      // A second TLIST group changes the scale where the first stopped.
      {"TLIST(A1),\"1999\",TLIST(Q1),\"20001\"", 2, {"A1:1999", "Q1:20001"}},
      {"TLIST(Q1, \"19993-20001\")", 4, {"Q1:19993", "Q1:19994", "Q1:20001", ":"}},
      {"TLIST(W1, \"199952-200001\")", 3, {"W1:199952", "W1:200001", ":"}},
      // Too short, not numbers, unknown scale, huge end: less effect, no hang.
      {"TLIST(M1, \"1999\")", 1, {":"}},
      {"TLIST(A1, \"0001-9999\")", 2, {"A1:1", "A1:2"}},
      {"NOTLIST", 1, {":"}},
      // Start after end: no value gets a code from it; the statement goes on.
      {"TLIST(A1, \"1999-1998\"),TLIST(A1, \"2000-2001\")", 3, {"A1:2000", "A1:2001", ":"}},
      // A range after a list group starts at the next value.
      {"TLIST(A1),\"1999\",TLIST(A1, \"2000-2001\")", 3, {"A1:1999", "A1:2000", "A1:2001"}},
      {"TLIST(H1, \"20002-20011\"),TLIST(),\"x\"", 3, {"H1:20002", "H1:20011", ":x"}},
  };
  for (const auto& [timeval, values, expected] : cases) {
    std::string text = "STUB=\"t\";VALUES(\"t\")=";
    for (int i = 0; i < values; ++i) text += (i ? ",\"v" : "\"v") + std::to_string(i) + "\"";
    Loaded t(Loaded::Text{text + ";TIMEVAL(\"t\")=" + timeval + ";"}, true);
    EXPECT_EQ(timeCodes(*t.doc.Get_Dimension("t")), expected) << timeval;
  }
}

TEST(Reader, KeysFormLoadsZeroAsANumberAndKeepsAnEntryRow) {
  Loaded t("keys_form.vq");
  ASSERT_TRUE(t.doc.FileWithKeys);
  EXPECT_EQ(t.doc.Get_Dimension("ålder")->Keytype, 2);
  // Three rows and the empty entry row; keys stay texts.
  EXPECT_EQ(gridRows(t.grid, t.doc.DataRow1, -1, true),
            "01|0-19|#0|#5\n02|65+|#7|#0\n01|20-64|#3|..\n|||\n");

  // A last line shorter than a row is a row all the same, with the entry row below it.
  Loaded shortLast(
      Loaded::Text{"STUB=\"r\";HEADING=\"c\";VALUES(\"r\")=\"a\",\"b\";"
                   "VALUES(\"c\")=\"x\",\"y\";KEYS(\"r\")=VALUES;"
                   "DATA=\"a\",1,2\r\n\"b\",3;"});
  EXPECT_EQ(gridRows(shortLast.grid, shortLast.doc.DataRow1), "a|1|2\nb|3|\n||\n");
}

TEST(Reader, LargeTablesAskWhetherToLoadMetadataOnly) {
  EXPECT_TRUE(Loaded(Loaded::Text{table(51200, 2, false, "1")}).prompt.asked.empty());  // 102400

  Loaded overLimit(Loaded::Text{table(1, 102401, false, "1")});
  ASSERT_EQ(overLimit.prompt.asked.size(), 1u);
  EXPECT_EQ(overLimit.prompt.asked[0].text,
            "Large table\n102401 cells, 1 rows, 102401 colums\nLoad metadata only");

  EXPECT_EQ(Loaded(Loaded::Text{table(51201, 1, false, "1")}).prompt.asked.size(), 1u);  // rows

  Loaded yes(Loaded::Text{table(200, 600, false, "1 2")}, false, {}, Prompt::Answer::Yes);
  EXPECT_EQ(yes.doc.RawDataText(), "1 2;");

  // A keys-form file with little data loads without a question, whatever its size.
  EXPECT_TRUE(Loaded(Loaded::Text{table(200, 600, true, "\"7\",1")}).prompt.asked.empty());
}

TEST(Reader, TablesTheGridCannotHoldKeepTheirDataAsReadAndSayWhy) {
  const std::string data = "1 2 3 4 5 6";
  // The keys form, the cell cap (0: a memory budget of 10 cells instead) and the reason. The
  // normal form's layout needs 5 x 3 cells; the keys form lays out 3 x 3 cells, then
  // outgrows the cap with its second row.
  for (const auto& [keys, maxCells, why] :
       {std::tuple{false, 10, "The table has 6 cells, more than the grid"},
        {true, 12, "data rows need more cells than the grid"},
        {false, 0, "not enough memory to load the 6"},
        {true, 0, "not enough memory to load the data"}}) {
    VexaMess doc;
    CellGrid grid;
    if (maxCells)
      grid.setMaxCells(maxCells);
    else
      grid.setMemoryBudget(10 * 16);
    ScriptedPrompt prompt;
    LoadReport report;
    doc.SprData = &grid;
    EXPECT_EQ(
        Load_From_Text(doc, table(3, 2, keys, data), false, &grid, prompt, false, {}, &report),
        LoadResult::Loaded);
    // Nothing half-loaded stays, and the next save writes the DATA section back.
    EXPECT_TRUE(doc.MetadataOnly && !doc.HasData && !doc.GridCreated) << why;
    EXPECT_EQ(grid.rowCount(), 0) << why;
    WriteResult written;
    EXPECT_NE(BuildFileBytes(doc, {}, written).find("DATA=" + data + ";"), std::string::npos);
    EXPECT_NE(report.keptAsText.find(why), std::string::npos) << report.keptAsText;
  }
}

TEST(Reader, SurplusElementsAreLeftOutAndCounted) {
  Loaded t(Loaded::Text{table(1, 2, false, "1 2 3 \"x\"\r\n5")});
  EXPECT_EQ(t.cell(0, 0) + "|" + t.cell(0, 1), "1|2");
  EXPECT_EQ(t.report.surplusElements, 3);
  EXPECT_TRUE(Loaded(Loaded::Text{table(1, 2, false, "1 2")}).report.notices().empty());
}

// A long section of plain elements is read in pieces on all cores: elements across the
// pieces' edges must land in the cells that reading them one by one gives, which a quoted
// element at the end brings about.
TEST(Reader, PlainSectionsReadInPiecesFillTheCellsOfReadingOneByOne) {
  const char* elements[] = {
      "12345.5", "-0", ".5", "..", "-", "1e3", "+2", "1.2.3", "1234567890123456789", "7."};
  std::string data;
  for (int i = 0; i < 120000; ++i) data += std::string(elements[i % 10]) + (i % 7 ? " " : ",\r\n");
  Loaded plain(Loaded::Text{"DECIMALS=6;" + table(300, 390, false, data)});
  Loaded oneByOne(Loaded::Text{"DECIMALS=6;" + table(300, 390, false, data + " \"x\"")});
  auto cells = [](const Loaded& t) {
    std::string out;
    for (std::int32_t row = t.doc.DataRow1; row <= t.grid.rowCount(); ++row) {
      for (std::int32_t col = t.doc.DataCol1; col <= t.grid.colCount(); ++col) {
        out +=
            std::to_string(static_cast<int>(t.grid.kind(row, col))) + t.grid.text(row, col) + "|";
      }
    }
    return out;
  };
  EXPECT_EQ(cells(plain), cells(oneByOne));
  EXPECT_EQ(plain.report.surplusElements, 3000);
  EXPECT_EQ(oneByOne.report.surplusElements, 3001);
}

TEST(Reader, BrokenStatementsArePassedOverAndReadingGoesOn) {
  Loaded t(Loaded::Text{
      "STUB=\"a\",\"a\",\"b\";VALUES(\"a\")=\"x\",\"y\";VALUES(\"nothing\")=\"q\";"
      "CODES(\"a\")=\"1\",\"2\",\"3\";PRECISION(\"a\")=2;PRECISION(\"a\",\"zz\")=3;"
      "DECIMALS=many;VALUES(\"b\")=\"only\";CELLNOTE(\"x\")=\"wrong count\";"
      "CELLNOTE(\"x\",\"missing\")=\"no such value\";UNITS(\"x\")=\"no content variable\";"
      "MATRIX=\"kept\";DATA=1 2"});
  EXPECT_EQ(t.doc.Dimensions.Count(), 2);
  EXPECT_EQ(t.value("a", 2)->code, "2");
  EXPECT_EQ(t.doc.Cellnotes.Count(), 0);
  EXPECT_EQ(t.doc.Matrix, "kept");
  EXPECT_EQ(t.cell(1, 0), "2");  // the last element has no ";" after it and is kept
}

TEST(Reader, MissingFilesCancellationAndCodeLabels) {
  EXPECT_EQ(Loaded("no-such-file.vq").result, LoadResult::CannotRead);

  VexaMess doc;
  CellGrid grid;
  ScriptedPrompt prompt, fresh;
  prompt.cancelAfterBreaths = 2;
  EXPECT_EQ(Load_From_Text(doc, "STUB=\"r\";VALUES(\"r\")=\"1\",\"2\",\"3\",\"4\";DATA=1 2 3 4;",
                           false, &grid, prompt),
            LoadResult::Cancelled);

  VexaMess coded;  // labels showing codes
  Load_From_Text(coded, "STUB=\"r\";VALUES(\"r\")=\"North\";CODES(\"r\")=\"01\";DATA=5;", false,
                 &grid, fresh, true);
  EXPECT_EQ(grid.text(coded.DataRow1, 1), "01");
}
