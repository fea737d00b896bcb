// Importing delimited and fixed-width text into a laid-out table in either form: the
// settings, refused records and their log, cancelling, files and their read errors.
#include "core/import/text_import.h"

#include <gtest/gtest.h>

#include "core/grid/data_methods.h"
#include "support/small_read_buffer.h"
#include "support/tables.h"
#include "support/temp_folder.h"

namespace zendra {
namespace {

using test::addVariable;

// A table of two regions (with codes) by two years (without), laid out in either form.
struct Table {
  VexaMess doc;
  CellGrid grid;
  explicit Table(bool keys = false) {
    addVariable(doc, "region", 0, {"North", "South"}, {"01", "02"});
    addVariable(doc, "year", 1, {"2020", "2021"});
    doc.FileWithKeys = keys;
    doc.SaveDecimals = 1;
    doc.SprData = &grid;
    EXPECT_TRUE(CreateGrid(doc, grid, true, false));
  }
  // The data area (the keys form: from the first key column), rows joined by "/".
  std::string data() const {
    std::string out;
    const std::int32_t col1 = doc.FileWithKeys ? 1 : doc.DataCol1;
    for (std::int32_t r = doc.DataRow1; r <= grid.rowCount(); ++r) {
      out += r > doc.DataRow1 ? "/" : "";
      for (std::int32_t c = col1; c <= grid.colCount(); ++c) {
        out += (c > col1 ? "|" : "") + grid.text(r, c);
      }
    }
    return out;
  }
  TextImportResult load(const std::string& text, const TextImportSettings& settings = {}) {
    return TextImport(doc, grid, settings).run(text);
  }
};

// The entries of a log joined by " | ".
std::string joined(const std::vector<std::string>& log) {
  std::string out;
  for (const auto& line : log) out += (out.empty() ? "" : " | ") + line;
  return out;
}

TEST(TextImport, RecordsSettingsAndRefusalsInBothForms) {
  const std::string done = " | 1 records Processed";
  using S = TextImportSettings;
  const S multiple{.multipleValues = true, .layout = {}};
  const struct {
    bool keys;
    const char* name;
    std::string text;
    const char* data;
    std::string log;
    S settings = {};
  } cases[] = {
      {false, "empty file", "", "|/|", "0 records Processed"},
      {false, "texts for a variable without codes, symbols kept as text", "01;2021;..\n02;2020;-\n",
       "|../-|", "2 records Processed"},
      {false, "codes match exactly", "North;2020;1\n", "|/|",
       "Line 1: Code: North in region is  invalid" + done},
      {false, "empty last field: too few values, then not numeric", "01;2020;\n", "|/|",
       "Line 1: 01;2020; | Too few values in line | Line 1: 01;2020; | Value not numeric" + done},
      {false, "grouping with the separator tab", "01\t2020\t2,500\n", "|/|",
       "Line 1: 01\t2020\t2,500 | Value not numeric" + done, S{.separator = "tab", .layout = {}}},
      {false, "an empty decimal point reads both", "01\t2020\t2,5\n02\t2021\t1.5\n", "2.5|/|1.5",
       "2 records Processed",
       S{.separator = "Tab", .decimalPoint = "", .localeDecimal = ",", .layout = {}}},
      {false, "a header wider than the fields aborts at once", "region;year;value;x\n01;2021;4\n",
       "|/|", "Line 1: region;year;value;x | Too many fields | Load aborted | 0 records Processed",
       S{.skipFirst = true, .layout = {}}},
      {false, "quoted codes, then a syntax error ends the load",
       "\"01\";\"2020\";3\nx\"02\";2020;4\n01;2021;5\n", "3.0|/|",
       "Line 2: x\"02\";2020;4 | Syntax error | Load aborted" + done},
      {false, "no text delimiter: quotes are text", "\"01\";2020;3\n", "|/|",
       "Line 1: Code: \"01\" in region is  invalid" + done, S{.textDelimiter = "", .layout = {}}},
      {false, "multiple values", "01;1;2\n02;3;x\n", "1.0|2.0/3.0|",
       "Line 2: 02;3;x | Value not numeric | 2 records Processed", multiple},
      // Fields at fixed positions, in another order than the variables.
      {false, "fixed positions", "202001x  1.25\n2021ä2  9\n", "1.3|/|",
       "Line 2: Code: ä2 in region is  invalid | 2 records Processed",
       S{.layout = FieldLayout{FieldLayout::Kind::Fixed, {{1, 4}, {5, 2}, {8, 6}}, {2, 1, 3}}}},
      // CR LF, a lone LF, an empty line and a CR line end: lines are counted as an editor
      // counts them; a control byte is escaped, and a byte that is no UTF-8 makes the text
      // Windows-1252.
      {false, "line numbers and binary bytes",
       "01;2020;1\r\n02;2020;x\n\n03;2020;2\r02;2021;\x01\xff\n", "1.0|/|",
       "Line 2: 02;2020;x | Value not numeric | Line 4: Code: 03 in region is  invalid | "
       "Line 5: 02;2021;\\x01ÿ | Value not numeric | 4 records Processed"},
      {true, "the same keys after other keys start a new row, logged",
       "01;2020;1\n02;2020;2\n01;2021;3\n", "01|1.0|/02|2.0|/01||3.0/||",
       "Line 3: 01;2021;3 | Keys of an earlier row, a new row started | 3 records Processed"},
      {true, "a refused record leaves the entry row empty", "01;2020;x\n02;2021;5\n",
       "02|0.0|5.0/||", "Line 1: 01;2020;x | Value not numeric | 2 records Processed",
       S{.fillMissing = true, .layout = {}}},
      {true, "multiple values: a failed value drops the row", "01;1;x\n", "||",
       "Line 1: 01;1;x | Value not numeric" + done, multiple},
      {true, "multiple values: more values than columns write nothing past the last", "01;1;2;3\n",
       "||", "Line 1: 01;1;2;3 | Too many fields | Load aborted | 0 records Processed", multiple},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Table t(c.keys);
    EXPECT_EQ(joined(t.load(c.text, c.settings).log), c.log);
    EXPECT_EQ(t.data(), c.data);
  }

  // More than thirty refused records abort.
  Table t;
  std::string text;
  for (int i = 0; i < 40; ++i) text += "09;2020;1\n";
  const auto result = t.load(text);
  ASSERT_EQ(result.log.size(), 33u);
  EXPECT_EQ(result.log[31], "Too many errors, Load aborted");
}

TEST(TextImport, CancelKeepsWhatWasLoaded) {
  Table t;
  std::string text;
  for (int i = 0; i < 10000; ++i) text += "01;2020;" + std::to_string(i) + "\n";
  text += "02;2021;7\n";
  TextImport importer(t.doc, t.grid, {});
  int calls = 0;
  importer.progress = [&](std::size_t, std::size_t) { return ++calls < 2; };
  const auto result = importer.run(text);
  EXPECT_TRUE(result.cancelled);
  EXPECT_EQ(t.grid.text(t.doc.DataRow1, t.doc.DataCol1), "8191.0");
  EXPECT_TRUE(t.grid.isEmpty(t.doc.DataRow1 + 1, t.doc.DataCol1 + 1));
}

TEST(TextImport, EveryCodeOfAManyValuedVariableIsFoundAndTheFirstOfEqualCodesWins) {
  VexaMess doc;
  CellGrid grid;
  test::Texts values, codes;
  for (int i = 0; i < 1000; ++i) {
    values.push_back("v" + std::to_string(i));
    codes.push_back(std::to_string(i * 7));
  }
  codes[999] = codes[5];  // the last value repeats the code of the sixth
  addVariable(doc, "region", 0, values, codes);
  addVariable(doc, "year", 1, {"2020"});
  doc.SprData = &grid;
  ASSERT_TRUE(CreateGrid(doc, grid, true, false));
  std::string text;
  for (int i = 998; i >= 0; --i) text += codes[i] + ";2020;" + std::to_string(i) + "\n";
  text += "6999;2020;1\n";  // not a code: 999 * 7 was replaced
  TextImport(doc, grid, {}).run(text);
  for (int i = 0; i < 999; ++i) {
    ASSERT_EQ(grid.text(doc.DataRow1 + i, doc.DataCol1), std::to_string(i)) << i;
  }
  EXPECT_TRUE(grid.isEmpty(doc.DataRow1 + 999, doc.DataCol1));
}

TEST(TextImport, AFileImportsAsItsBytesDoItsReadErrorsAbortAndItsHeadHoldsWholeLines) {
  test::TempFolder dir;
  // Refused, continued and repeated records, a decimal comma, a last line without an end.
  const std::string text =
      "region;year;value\r\n01;2020;1,5\r\n01;2021;2\r\n02;2020;x\r\n03;2020;1\r\n"
      "02;2021;\"..\"\r\n01;2020;9";
  const std::string path = dir.write("in.csv", text).string();
  TextImportSettings settings;
  settings.decimalPoint = ",";
  settings.skipFirst = true;
  for (const bool keys : {false, true}) {
    SCOPED_TRACE(keys ? "keys form" : "cells form");
    Table fromBytes(keys), fromFile(keys);
    const TextImportResult expected = fromBytes.load(text, settings);
    test::SmallBuffer small(4);
    const TextImportResult result = TextImport(fromFile.doc, fromFile.grid, settings).runFile(path);
    EXPECT_EQ(fromFile.data(), fromBytes.data());
    EXPECT_EQ(result.log, expected.log);
  }

  // The read that fails is the one that starts at byte 48, in the third record; what was
  // loaded before stays. A missing file loads nothing.
  Table t;
  const std::string missing = dir.file("missing.csv");
  const std::pair<std::string, std::string> failures[] = {
      {path, "Cannot read " + path + ": Input/output error | Load aborted | 2 records Processed"},
      {missing, "Cannot open " + missing +
                    ": No such file or directory | Load aborted | 0 records Processed"}};
  for (const auto& [file, log] : failures) {
    test::SmallBuffer failing(8, 48);
    EXPECT_EQ(joined(TextImport(t.doc, t.grid, settings).runFile(file).log), log);
    EXPECT_EQ(t.data(), "1.5|2.0/|");
  }

  // The head of a file holds whole decoded lines, and the sample guesses.
  const std::string head = dir.write("in.txt", "01;\xC5\r\n02;b\r\n03;c").string();
  EXPECT_EQ(ReadTextHead(head, 12).text, "01;Å\n02;b\n");
  EXPECT_EQ(ReadTextHead(head, 4).text, "01;");  // a first line too long is cut whole characters
  EXPECT_FALSE(ReadTextHead(dir.path().string()).ok);

  // What the first lines suggest.
  auto sample = AnalyseText("01\t2020\t1\n02\t2021\t2\n", t.doc);
  EXPECT_EQ(sample.separator + sample.textDelimiter + std::to_string(sample.multipleValues),
            "Tab\"0");
  sample = AnalyseText("'01',1,2,3\n1\n2\n3\n4\n5\n6\n", t.doc);
  EXPECT_EQ(sample.separator + sample.textDelimiter + std::to_string(sample.multipleValues), ",'1");
  EXPECT_EQ(sample.lines.size(), 5u);
  // One field a line fails the guess but still counts its field.
  EXPECT_EQ(AnalyseText("7\n", t.doc).width, 1);
}

}  // namespace
}  // namespace zendra
