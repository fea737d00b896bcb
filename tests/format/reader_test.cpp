// Reading table files into a document and its grid.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "format/reader.h"

using namespace zendra;

namespace {

const std::string kData = ZENDRA_TEST_DATA;

struct Loaded {
  VexaMess doc;
  CellGrid grid;
  ScriptedPrompt prompt{Prompt::Answer::No};
  LoadResult result = LoadResult::CannotRead;

  explicit Loaded(const char* file, bool metaOnly = false) {
    doc.VQfilename = kData + "/" + file;
    doc.SprData = &grid;
    result = Load_From_File(doc, metaOnly, &grid, prompt);
  }
  Loaded(std::string text, bool metaOnly, const LargeTableLimits& limits = {}) {
    doc.SprData = &grid;
    result = Load_From_Text(doc, std::move(text), metaOnly, &grid, prompt, false, limits);
  }
  std::string cell(std::int32_t r, std::int32_t c) const {
    return grid.text(doc.DataRow1 + r, doc.DataCol1 + c);
  }
  ValueRef value(const char* variable, int position) const {
    return doc.Get_Dimension(variable)->ValueCode.Item(position);
  }
};

std::vector<std::string> valueTexts(const DimensionData& v) {
  std::vector<std::string> out;
  for (const auto& value : v.ValueCode) out.push_back(value->value);
  return out;
}

}  // namespace

TEST(Reader, OemFileGivesEveryStatementToItsField) {
  Loaded t("oem_full.vq");
  ASSERT_EQ(t.result, LoadResult::Loaded);
  const VexaMess& d = t.doc;
  EXPECT_EQ(d.CreationDate, "20240115 09:30");
  EXPECT_EQ(d.Language, "sv");  // keyword in lower case
  EXPECT_EQ(d.Matrix, "BE0101Ö");
  EXPECT_EQ(d.Title, "Folkmängd efter region, kön och år");  // joined pieces
  EXPECT_EQ(d.Contents, "Folkmängd");
  EXPECT_EQ(d.DescriptionDefault, "NO");
  EXPECT_EQ(d.AutoOpen, "YES");
  EXPECT_EQ(d.AggregAllowed, "NO");
  EXPECT_EQ(d.Decimaler, 1);
  EXPECT_EQ(d.ShowDecimals, "1");
  EXPECT_EQ(d.Infofile, "BE0101");
  EXPECT_EQ(d.Source, "Statistikbyrån");
  EXPECT_EQ(d.Copyright, "YES");
  EXPECT_EQ(d.Database, "Regionaldata");
  EXPECT_EQ(d.Notex, "Tabellnot\r\nandra raden");
  EXPECT_EQ(d.Note, "Vanlig not");
  EXPECT_EQ(d.ContData->Units, "antal");
  EXPECT_EQ(d.ContData->StockFA, "S");
  EXPECT_EQ(d.ContData->CFPrices, "C");
  EXPECT_EQ(d.ContData->DayAdj, "NO");
  EXPECT_EQ(d.ContData->SeasAdj, "NO");
  EXPECT_EQ(d.ContData->Refperiod, "31 dec");
  EXPECT_EQ(d.ContData->Baseperiod, "2000");
  EXPECT_EQ(d.ContData->Contact, "Anna Andersson\r\ntel 010-123");
  EXPECT_EQ(d.ContData->LastUpdated, "20240115 09:00");
}

TEST(Reader, OemFileBuildsVariablesValuesAndTheirProperties) {
  Loaded t("oem_full.vq");
  const VexaMess& d = t.doc;
  ASSERT_EQ(d.colStub.Count(), 1);
  ASSERT_EQ(d.colHeading.Count(), 2);
  const auto region = d.Get_Dimension("Region");
  EXPECT_EQ(valueTexts(*region), (std::vector<std::string>{"Åre", "Östersund", "Malmö"}));
  EXPECT_TRUE(region->UseCodes);
  EXPECT_EQ(region->ValueCode.Item(3)->code, "1280");
  EXPECT_EQ(region->Elimination, "YES");
  EXPECT_EQ(d.Get_Dimension("kön")->Elimination, "män");
  EXPECT_EQ(region->DoubleColumn, "YES");
  EXPECT_EQ(region->Prestext, "2");  // value ended by its line, next statement still read
  EXPECT_EQ(region->Domain, "kommun");
  EXPECT_EQ(region->Map, "sverige_kommun");
  EXPECT_TRUE(region->IsPartitioned);
  EXPECT_EQ(region->PartName1, "Norr");
  EXPECT_EQ(region->PartNumber, 2);
  EXPECT_EQ(region->PartName2, "Syd");
  EXPECT_EQ(region->Note, "Gränser#2023");  // a variable's note keeps "#"
  EXPECT_EQ(d.Get_Dimension("kön")->Notex, "Obligatorisk");
  EXPECT_EQ(region->ValueCode.Item(1)->Note, "Rad ett\r\nRad två");
  EXPECT_EQ(t.value("år", 2)->Notex, "Preliminär");
  EXPECT_EQ(t.value("år", 2)->Precision, "2");
  EXPECT_EQ(d.SaveDecimals, 2);  // PRECISION 2 beats DECIMALS 1
  const auto year = d.Get_Dimension("år");
  EXPECT_TRUE(year->UseTimeVal);
  EXPECT_EQ(t.value("år", 1)->TimeCode, "A1");
  EXPECT_EQ(t.value("år", 2)->TimeVal, "2023");
  // The language-suffixed VALUES statement added nothing.
  EXPECT_EQ(region->ValueCode.Count(), 3);
}

TEST(Reader, CellNotesLandOnOneNoteAndUnknownValuesHaveNoEffect) {
  Loaded t("oem_full.vq");
  const auto& notes = t.doc.Cellnotes;
  ASSERT_EQ(notes.Count(), 2);
  const auto first = notes.Item(1);
  EXPECT_EQ(first->Vstr(), R"("*","kvinnor","2023")");
  EXPECT_EQ(first->Values().Item(1), t.doc.AllVals);
  EXPECT_EQ(first->Values().Item(2), t.value("kön", 2));  // the very value object
  EXPECT_EQ(first->Note, "Cellnot\r\nrad två");
  EXPECT_EQ(first->Notex, "Obligatorisk cellnot");
  EXPECT_EQ(notes.Item(2)->Note, "Malmö män");
}

TEST(Reader, NormalFormCellsBecomeNumbersOrTexts) {
  Loaded t("oem_full.vq");
  ASSERT_TRUE(t.doc.HasData);
  EXPECT_EQ(t.doc.NumRows, 3);
  EXPECT_EQ(t.doc.NumCols, 4);
  EXPECT_EQ(t.doc.GridDecimals, 2);
  EXPECT_EQ(t.grid.kind(t.doc.DataRow1, t.doc.DataCol1 + 1), CellKind::Number);
  EXPECT_EQ(t.cell(0, 1), "2.50");
  EXPECT_EQ(t.cell(0, 2), "..");
  EXPECT_EQ(t.grid.kind(t.doc.DataRow1, t.doc.DataCol1 + 2), CellKind::Text);
  EXPECT_EQ(t.cell(1, 2), "-");
  EXPECT_EQ(t.cell(2, 0), "9.50");  // a quoted number is taken unchanged, and is numeric
  EXPECT_EQ(t.cell(2, 1), "10.00");
  EXPECT_EQ(t.cell(2, 3), "12.00");
  EXPECT_EQ(t.grid.currentRow(), t.doc.DataRow1);
  EXPECT_EQ(t.grid.currentCol(), t.doc.DataCol1);
  // The labels come from the values.
  EXPECT_EQ(t.grid.text(t.doc.DataRow1 + 2, 1), "Malmö");
}

TEST(Reader, DecimalStepMakesFileNumbersNumbersInACommaLocale) {
  VexaMess doc;
  CellGrid grid;
  grid.setDecimalChar(",");
  ScriptedPrompt prompt;
  Load_From_Text(doc, "STUB=\"a\";VALUES(\"a\")=\"x\",\"y\",\"z\";DECIMALS=1;DATA=12.5 \"3.5\" ..;",
                 false, &grid, prompt);
  EXPECT_EQ(grid.kind(2, 2), CellKind::Number);
  EXPECT_EQ(grid.text(2, 2), "12,5");
  EXPECT_EQ(grid.kind(3, 2), CellKind::Text);  // quoted: its "." is no decimal separator
  EXPECT_EQ(grid.text(3, 2), "3.5");
  EXPECT_EQ(grid.text(4, 2), ",,");
}

TEST(Reader, AnsiFileWithTimeRangeAcrossAYearEndAndContentMetadata) {
  Loaded t("ansi_months.vq");
  EXPECT_EQ(t.doc.Matrix, "PR0101€");
  const auto month = t.doc.Get_Dimension("MÅNAD");  // keys ignore case
  ASSERT_TRUE(month);
  std::vector<std::string> codes;
  for (const auto& v : month->ValueCode) codes.push_back(v->TimeCode + ":" + v->TimeVal);
  EXPECT_EQ(codes, (std::vector<std::string>{"M1:199911", "M1:199912", "M1:200001", "M1:200002"}));
  EXPECT_EQ(t.doc.ContVariable, "varugrupp");
  EXPECT_EQ(t.value("varugrupp", 1)->ContentData->Units, "index");
  EXPECT_EQ(t.value("varugrupp", 2)->ContentData->Units, "index 1980=100");
  EXPECT_EQ(t.value("varugrupp", 2)->ContentData->Contact, "Bo Ek\r\ntel 1");
  EXPECT_EQ(t.cell(3, 1), "203");  // the ";" right after the last element ends the data
}

TEST(Reader, TimeValuesInListsRangesAndBrokenForms) {
  auto times = [](const std::string& statement, int values) {
    std::string text = "STUB=\"t\";VALUES(\"t\")=";
    for (int i = 0; i < values; ++i) text += (i ? ",\"v" : "\"v") + std::to_string(i) + "\"";
    text += ";" + statement;
    VexaMess doc;
    ScriptedPrompt prompt;
    Load_From_Text(doc, text, true, nullptr, prompt);
    std::vector<std::string> out;
    for (const auto& v : doc.Get_Dimension("t")->ValueCode) {
      out.push_back(v->TimeCode + ":" + v->TimeVal);
    }
    return out;
  };
  using V = std::vector<std::string>;
  // A second TLIST group changes the scale where the first stopped.
  EXPECT_EQ(times("TIMEVAL(\"t\")=TLIST(A1),\"1999\",TLIST(Q1),\"20001\";", 2),
            (V{"A1:1999", "Q1:20001"}));
  EXPECT_EQ(times("TIMEVAL(\"t\")=TLIST(Q1, \"19993-20001\");", 4),
            (V{"Q1:19993", "Q1:19994", "Q1:20001", ":"}));
  EXPECT_EQ(times("TIMEVAL(\"t\")=TLIST(W1, \"199951-200002\");", 5),
            (V{"W1:199951", "W1:199952", "W1:200001", "W1:200002", ":"}));
  // More periods than values: only the values get codes.
  EXPECT_EQ(times("TIMEVAL(\"t\")=TLIST(A1, \"1990-2020\");", 2), (V{"A1:1990", "A1:1991"}));
  // A range followed by a further TLIST.
  EXPECT_EQ(times("TIMEVAL(\"t\")=TLIST(A1, \"1998-1999\"),TLIST(H1, \"20002-20011\");", 4),
            (V{"A1:1998", "A1:1999", "H1:20002", "H1:20011"}));
  // Too short, not numbers, unknown scale, huge end: less effect, no hang.
  EXPECT_EQ(times("TIMEVAL(\"t\")=TLIST(M1, \"1999\");", 1), (V{":"}));
  EXPECT_EQ(times("TIMEVAL(\"t\")=TLIST(A1, \"abcd-efgh\");", 1), (V{":"}));
  EXPECT_EQ(times("TIMEVAL(\"t\")=TLIST(D7, \"1999-2000\");", 1), (V{":"}));
  EXPECT_EQ(times("TIMEVAL(\"t\")=TLIST(A1, \"0001-9999\");", 2), (V{"A1:1", "A1:2"}));
  EXPECT_EQ(times("TIMEVAL(\"t\")=NOTLIST;", 1), (V{":"}));
}

TEST(Reader, KeysFormLoadsZeroAsANumberAndKeepsAnEntryRow) {
  Loaded t("keys_form.vq");
  ASSERT_TRUE(t.doc.FileWithKeys);
  EXPECT_EQ(t.doc.Get_Dimension("region")->Keytype, 1);
  EXPECT_EQ(t.doc.Get_Dimension("ålder")->Keytype, 2);
  const std::int32_t r = t.doc.DataRow1;
  EXPECT_EQ(t.grid.text(r, 1), "01");
  EXPECT_EQ(t.grid.kind(r, 1), CellKind::Text);  // keys stay texts
  EXPECT_EQ(t.grid.text(r, 2), "0-19");
  EXPECT_EQ(t.grid.kind(r, 3), CellKind::Number);
  EXPECT_EQ(t.grid.text(r, 3), "0");
  EXPECT_EQ(t.grid.text(r + 1, 4), "0");
  EXPECT_EQ(t.grid.text(r + 2, 4), "..");
  EXPECT_EQ(t.grid.rowCount(), r + 3);  // three rows and the empty entry row
  EXPECT_EQ(t.grid.text(r + 3, 1), "");
  EXPECT_EQ(t.grid.currentCol(), 1);
}

TEST(Reader, MetadataOnlyKeepsTheDataBytesUnparsed) {
  Loaded t("oem_full.vq", true);
  EXPECT_TRUE(t.doc.MetadataOnly);
  EXPECT_FALSE(t.doc.HasData);
  EXPECT_EQ(t.grid.rowCount(), 0);
  EXPECT_EQ(t.doc.RawDataText(), "\r\n1 2.5 \"..\" 4\r\n5 6 - 8\r\n\"9.5\" 10,11 12\r\n;\r\n");
  EXPECT_EQ(t.doc.Title, "Folkmängd efter region, kön och år");
}

TEST(Reader, LargeTablesAskWhetherToLoadMetadataOnly) {
  auto table = [](int rows, int cols, bool keys, const std::string& data) {
    std::string text = "STUB=\"r\";HEADING=\"c\";VALUES(\"r\")=";
    for (int i = 0; i < rows; ++i) text += (i ? ",\"" : "\"") + std::to_string(i) + "\"";
    text += ";VALUES(\"c\")=";
    for (int i = 0; i < cols; ++i) text += (i ? ",\"" : "\"") + std::to_string(i) + "\"";
    text += ";";
    if (keys) text += "KEYS(\"r\")=VALUES;";
    return text + "DATA=" + data + ";";
  };
  {
    Loaded t(table(51200, 2, false, "1 2 3"), false);  // 102400 cells
    EXPECT_TRUE(t.prompt.asked.empty());
    EXPECT_TRUE(t.doc.HasData);
    EXPECT_EQ(t.grid.text(t.doc.DataRow1 + 1, t.doc.DataCol1), "3");
  }
  {
    Loaded t(table(1, 102401, false, "1"), false);
    ASSERT_EQ(t.prompt.asked.size(), 1u);
    EXPECT_EQ(t.prompt.asked[0].text,
              "Large table\n102401 cells, 1 rows, 102401 colums\nLoad metadata only");
    EXPECT_EQ(t.prompt.asked[0].title, "ZENDRA");
    EXPECT_TRUE(t.doc.HasData);  // answered No: the cells are loaded
  }
  {
    Loaded t(table(51201, 1, false, "1"), false);  // too many rows
    EXPECT_EQ(t.prompt.asked.size(), 1u);
  }
  {
    ScriptedPrompt yes(Prompt::Answer::Yes);
    VexaMess doc;
    CellGrid grid;
    Load_From_Text(doc, table(200, 600, false, "1 2"), false, &grid, yes);
    EXPECT_TRUE(doc.MetadataOnly);
    EXPECT_EQ(doc.RawDataText(), "1 2;");
    EXPECT_EQ(grid.rowCount(), 0);
  }
  {
    // A keys-form file with little data loads without a question, whatever its size.
    Loaded t(table(200, 600, true, "\"7\",1"), false);
    EXPECT_TRUE(t.prompt.asked.empty());
    EXPECT_TRUE(t.doc.HasData);
  }
}

TEST(Reader, BrokenStatementsArePassedOverAndReadingGoesOn) {
  Loaded t(std::string(
               "STUB=\"a\",\"a\",\"b\";VALUES(\"a\")=\"x\",\"y\";VALUES(\"nothing\")=\"q\";"
               "CODES(\"a\")=\"1\",\"2\",\"3\";PRECISION(\"a\")=2;PRECISION(\"a\",\"zz\")=3;"
               "DECIMALS=many;VALUES(\"b\")=\"only\";CELLNOTE(\"x\")=\"wrong count\";"
               "CELLNOTE(\"x\",\"missing\")=\"no such value\";UNITS(\"x\")=\"no content variable\";"
               "MATRIX=\"kept\";DATA=1 2"),
           false);
  EXPECT_EQ(t.doc.Dimensions.Count(), 2);
  EXPECT_EQ(t.doc.Get_Dimension("a")->ValueCode.Item(2)->code, "2");
  EXPECT_EQ(t.doc.Get_Dimension("a")->ValueCode.Item(1)->Precision, "");
  EXPECT_EQ(t.doc.Decimaler, 0);
  EXPECT_EQ(t.doc.Cellnotes.Count(), 0);
  EXPECT_EQ(t.doc.Matrix, "kept");
  // The last element has no ";" after it and is kept.
  EXPECT_EQ(t.grid.text(t.doc.DataRow1 + 1, t.doc.DataCol1), "2");
}

TEST(Reader, MissingFilesAndCancellation) {
  Loaded missing("no-such-file.vq");
  EXPECT_EQ(missing.result, LoadResult::CannotRead);
  EXPECT_EQ(missing.doc.Dimensions.Count(), 0);

  VexaMess doc;
  CellGrid grid;
  ScriptedPrompt prompt;
  prompt.cancelAfterBreaths = 2;
  std::string text = "STUB=\"r\";VALUES(\"r\")=\"1\",\"2\",\"3\",\"4\";DATA=1 2 3 4;";
  EXPECT_EQ(Load_From_Text(doc, text, false, &grid, prompt), LoadResult::Cancelled);
  EXPECT_FALSE(doc.HasData);
}

TEST(Reader, VariablesRaiseTheirEventAndTheGridUsesCodesWhenAsked) {
  VexaMess doc;
  CellGrid grid;
  ScriptedPrompt prompt;
  int added = 0;
  doc.DimensionChanged.connect([&](std::int16_t type, std::int16_t) { added += type == 1; });
  Load_From_Text(doc,
                 "STUB=\"r\";HEADING=\"c\";VALUES(\"r\")=\"North\";CODES(\"r\")=\"01\";"
                 "VALUES(\"c\")=\"x\";DATA=5;",
                 false, &grid, prompt, true);
  EXPECT_EQ(added, 2);
  EXPECT_EQ(grid.text(doc.DataRow1, 1), "01");
}
