// The delimited text reader: line ends, field splitting and its errors, the analysis of
// the first line, encodings and files that cannot be read.
#include <gtest/gtest.h>

#include <vector>

#include "import/csv_in_file.h"
#include "support/temp_folder.h"

using namespace zendra;
using zendra::test::TempFolder;

namespace {

using Strings = std::vector<std::string>;

CSVInFile readerOf(std::string bytes) {
  CSVInFile csv;
  csv.openBytes(std::move(bytes));
  return csv;
}

Strings lines(std::string bytes) {
  CSVInFile csv = readerOf(std::move(bytes));
  Strings out;
  while (csv.CSVGetLine()) out.push_back(csv.CurrentRecord);
  EXPECT_TRUE(csv.Eof && csv.Error == 0);
  return out;
}

std::int32_t fieldCount(std::string line, std::string delimiter = ";") {
  CSVInFile csv = readerOf(line + "\r\n");
  csv.Delimiter = delimiter;
  csv.CSVGetLine();
  return csv.GetNumberOfFields();
}

// Splits one line into n declared fields: the values, or the error.
Strings split(std::string line, int n) {
  CSVInFile csv = readerOf(std::move(line));
  for (int i = 1; i <= n; ++i) csv.CSVAddField("f", 1);
  if (!csv.CSVGet()) return {"error " + std::to_string(csv.Error) + ": " + csv.ErrorText};
  Strings out;
  for (const auto& field : csv.Fields) out.push_back(field->value.value_or("<null>"));
  return out;
}

// The error code and text, and "(end)" once the end of the data is reached.
std::string state(const CSVInFile& csv) {
  return std::to_string(csv.Error) + " " + csv.ErrorText + (csv.Eof ? " (end)" : "");
}

}  // namespace

TEST(CSVInFile, EachPairOfLineEndCharactersEndsOneLine) {
  EXPECT_EQ(lines("a\r\nb\n\rc\r\rd\n\ne"), (Strings{"a", "b", "c", "d", "e"}));
  EXPECT_EQ(lines("a\rb\nc\n"), (Strings{"a", "b", "c"}));
  EXPECT_EQ(lines("a\r\n\r\nb\r\n"), (Strings{"a", "", "b"}));
  EXPECT_EQ(lines("a\n\n\nb"), (Strings{"a", "", "b"}));
  EXPECT_EQ(lines("1;2\r\nx"), (Strings{"1;2", "x"}));  // a last line without a line end
  EXPECT_EQ(lines(""), Strings{});
  EXPECT_EQ(lines(std::string(100000, 'x') + "\nend"), (Strings{std::string(100000, 'x'), "end"}));
}

TEST(CSVInFile, CountsAndSplitsFieldsWithEveryErrorCode) {
  const std::pair<const char*, std::int32_t> counts[] = {
      {"1;2;3", 3}, {"1;2;3;", 3},    {"a", 1},        {"", 0},
      {"   ", 1},   {"\"a;b\";c", 2}, {"x\"a\";b", -1}};
  for (const auto& [line, expected] : counts) EXPECT_EQ(fieldCount(line), expected) << line;
  EXPECT_EQ(fieldCount("a;b", ""), 1);  // no separator: the line is one field

  EXPECT_EQ(split("  a b  ;  \" x;y \"  \r\n", 2), (Strings{"a b", " x;y "}));
  EXPECT_EQ(split("one", 2), (Strings{"one", ""}));
  EXPECT_EQ(split("1;2;", 2), (Strings{"1", "2"}));
  EXPECT_EQ(split("1;\"last\"\r\n\"unclosed", 2), (Strings{"1", "last"}));
  EXPECT_EQ(split("1;2;3", 2), Strings{"error 7: Too many fields"});
  EXPECT_EQ(split("x \"a\";b", 2), Strings{"error 2: Syntax error"});
  EXPECT_EQ(split("\"a;b", 2), Strings{"error 3: Missing text delimiter"});
  EXPECT_EQ(split("\"a\" x;b", 2), Strings{"error 4: Syntax error"});
  EXPECT_EQ(split("\"a\"x", 1), Strings{"error 4: Syntax error"});
}

TEST(CSVInFile, AnErrorStaysUntilRewind) {
  CSVInFile csv = readerOf("a;\"b\r\nc;d\r\n");
  csv.CSVAddField("a", 1);
  csv.CSVAddField("b", 1);
  EXPECT_FALSE(csv.CSVGet());
  EXPECT_EQ(state(csv), "3 Missing text delimiter (end)");
  EXPECT_EQ(csv.Fields.Item(1)->value, "a");  // fields split before the error keep theirs
  EXPECT_TRUE(csv.CSVGetLine());
  EXPECT_EQ(csv.GetNumberOfFields(), -1);

  csv.Delimiter = ",";
  csv.CSVRewind();
  EXPECT_EQ(state(csv) + csv.Delimiter, "0 ,");  // the delimiter is kept by a rewind
  EXPECT_TRUE(csv.CSVGetLine());
  EXPECT_EQ(csv.CurrentRecord, "a;\"b");
  csv.CSVClose();
  EXPECT_FALSE(csv.CSVGetLine());
  EXPECT_EQ(state(csv), "5 Internal error, file not open (end)");
}

TEST(CSVInFile, AnalysisGuessesSeparatorAndTextDelimiterFromTheFirstLine) {
  struct Case {
    const char* firstLine;
    const char* delimiter;
    const char* quote;
    const char* error;
  };
  const std::string longFirst = std::string(1000, 'x') + ";";  // beyond the 1000 searched
  const Case cases[] = {
      {"a;b,c", ";", "\"", ""},
      {"a,b;c", ",", "\"", ""},
      {"a\tb", "\t", "\"", ""},
      {"New York;1", " ", "\"", ""},  // a space in the first field wins
      {"  'it' , \"x\"", ",", "'", ""},
      {"\"a b\"  \t'c'", "\t", "\"", ""},
      {"\"a b", ";", "\"", "Missing string delimiter"},
      {"\"a\" b", ";", "\"", "String delimier not followed by separator"},
      {"\"a\"", ";", "\"", "String delimier not followed by separator"},
      {"   ", ";", "\"", "No delimiter found"},
      {longFirst.c_str(), ";", "\"", "No delimiter found"},
  };
  for (const Case& c : cases) {
    CSVInFile csv = readerOf(std::string(c.firstLine) + "\r\nsecond\r\n");
    csv.CSVAnalyse();
    EXPECT_EQ(csv.Delimiter + csv.QuotDelim + csv.ErrorText,
              std::string(c.delimiter) + c.quote + c.error);
    EXPECT_EQ(csv.Error, *c.error ? 6 : 0);
    EXPECT_TRUE(csv.CSVGetLine());
    EXPECT_EQ(csv.CurrentRecord, c.firstLine);  // the first line is read again
  }
}

TEST(CSVInFile, TextIsUtf8WhenTheFileIsElseWindows1252) {
  EXPECT_EQ(lines("\xEF\xBB\xBF\xC3\x85r;\xE2\x82\xAC\n"), (Strings{"År;€"}));
  EXPECT_EQ(lines("\xC5r;\x80\nplain\n"), (Strings{"År;€", "plain"}));
  CSVInFile bom = readerOf("\xEF\xBB\xBF\"Å\",b\n");
  bom.CSVAnalyse();
  EXPECT_EQ(bom.Delimiter, ",");
  EXPECT_EQ(split("\xEF\xBB\xBF\"Å\";b\n", 2), (Strings{"Å", "b"}));
}

TEST(CSVInFile, OpensFilesAndReportsOnesThatCannotBeRead) {
  TempFolder dir;
  CSVInFile csv;
  csv.FileName = dir.file("data.csv");
  dir.write("data.csv", "a,b\r\n");
  csv.Delimiter = "x";
  ASSERT_TRUE(csv.CSVOpen());
  EXPECT_EQ(csv.Delimiter + csv.QuotDelim, ";\"");
  csv.CSVAnalyse();
  EXPECT_EQ(csv.Delimiter, ",");
  dir.write("data.csv", "changed\r\n");
  csv.CSVRewind();  // reads the file again
  EXPECT_TRUE(csv.CSVGetLine());
  EXPECT_EQ(csv.CurrentRecord, "changed");
  EXPECT_FALSE(csv.CSVGetLine());
  EXPECT_EQ(state(csv), "0  (end)");

  csv.FileName = dir.file("missing.csv");
  EXPECT_FALSE(csv.CSVOpen());
  EXPECT_EQ(state(csv).substr(0, 2), "8 ");
  EXPECT_NE(csv.ErrorText.find("missing.csv"), std::string::npos);
  EXPECT_FALSE(csv.CSVGetLine());
  EXPECT_EQ(csv.Error, 5);
}
