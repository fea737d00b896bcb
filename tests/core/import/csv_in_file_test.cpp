// The delimited text reader: line ends, field splitting and its errors, the analysis of
// the first line, encodings and files that cannot be read; and the import wizard's preview
// splitting, delimited as the reader splits, fixed at character positions, and typed widths.
#include <gtest/gtest.h>

#include "core/import/csv_in_file.h"
#include "core/import/field_split.h"
#include "support/small_read_buffer.h"
#include "support/temp_folder.h"

using namespace zendra;
using zendra::test::SmallBuffer;
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

TEST(CSVInFile, CountsAndSplitsFieldsWithEveryErrorCodeAndAnErrorStaysUntilRewind) {
  const std::pair<const char*, std::int32_t> counts[] = {
      {"1;2;3", 3}, {"1;2;3;", 3},    {"a", 1},        {"", 0},
      {"   ", 1},   {"\"a;b\";c", 2}, {"x\"a\";b", -1}};
  for (const auto& [line, expected] : counts) EXPECT_EQ(fieldCount(line), expected) << line;
  EXPECT_EQ(fieldCount("a;b", ""), 1);  // no separator: the line is one field

  EXPECT_EQ(split("  a b  ;  \" x;y \"  \r\n", 2), (Strings{"a b", " x;y "}));
  EXPECT_EQ(split("one", 2), (Strings{"one", ""}));
  EXPECT_EQ(split("1;\"last\"\r\n\"unclosed", 2), (Strings{"1", "last"}));
  const std::pair<const char*, const char*> errors[] = {
      {"1;2;3", "error 7: Too many fields"},
      {"x \"a\";b", "error 2: Syntax error"},
      {"\"a;b", "error 3: Missing text delimiter"},
      {"\"a\" x;b", "error 4: Syntax error"}};
  for (const auto& [line, error] : errors) EXPECT_EQ(split(line, 2), Strings{error});

  // An error stays until a rewind.
  CSVInFile csv = readerOf("a;\"b\r\nc;d\r\n");
  csv.CSVAddField("a", 1);
  csv.CSVAddField("b", 1);
  EXPECT_FALSE(csv.CSVGet());
  EXPECT_EQ(csv.Fields.Item(1)->value, "a");  // fields split before the error keep theirs
  EXPECT_TRUE(csv.CSVGetLine());
  EXPECT_EQ(csv.GetNumberOfFields(), -1);

  csv.Delimiter = ",";
  csv.CSVRewind();
  EXPECT_EQ(state(csv) + csv.Delimiter, "0 ,");  // the delimiter is kept by a rewind
  csv.CSVClose();
  EXPECT_FALSE(csv.CSVGetLine());
  EXPECT_EQ(state(csv), "5 Internal error, file not open (end)");
}

TEST(CSVInFile, AnalysisGuessesSeparatorAndTextDelimiterFromTheFirstLine) {
  const std::string longFirst = std::string(1000, 'x') + ";";  // beyond the 1000 searched
  // The first line, and the separator, text delimiter and error found.
  const std::pair<std::string, std::string> cases[] = {
      {"a,b;c", ",\""},
      {"New York;1", " \""},  // a space in the first field wins
      {"  'it' , \"x\"", ",'"},
      {"\"a b\"  \t'c'", "\t\""},
      {"\"a b", ";\"Missing string delimiter"},
      {"\"a\" b", ";\"String delimier not followed by separator"},
      {"   ", ";\"No delimiter found"},
      {longFirst, ";\"No delimiter found"},
  };
  for (const auto& [firstLine, found] : cases) {
    CSVInFile csv = readerOf(firstLine + "\r\nsecond\r\n");
    csv.CSVAnalyse();
    EXPECT_EQ(csv.Delimiter + csv.QuotDelim + csv.ErrorText, found);
    EXPECT_EQ(csv.Error, found.size() > 2 ? 6 : 0);
    EXPECT_TRUE(csv.CSVGetLine());
    EXPECT_EQ(csv.CurrentRecord, firstLine);  // the first line is read again
  }
  // A byte-order mark is no part of the first field.
  CSVInFile bom = readerOf("\xEF\xBB\xBF\"Å\",b\n");
  bom.CSVAnalyse();
  EXPECT_EQ(bom.Delimiter, ",");
  EXPECT_EQ(split("\xEF\xBB\xBF\"Å\";b\n", 2), (Strings{"Å", "b"}));
}

namespace {

// The lines of a file read through a buffer of chunk bytes; the last entry tells the
// state at the end and whether bytesRead reached byteCount.
Strings fileLines(const std::string& bytes, std::size_t chunk) {
  TempFolder dir;
  SmallBuffer small(chunk);
  CSVInFile csv;
  csv.FileName = dir.write("in.txt", bytes).string();
  if (!csv.CSVOpen()) return {state(csv)};
  Strings out;
  while (csv.CSVGetLine()) out.push_back(csv.CurrentRecord);
  out.push_back(state(csv) + (csv.bytesRead() == csv.byteCount() ? " all" : " part"));
  return out;
}

}  // namespace

// Each pair of line end characters ends one line; text is UTF-8 when the whole file is,
// else Windows-1252. Bytes in memory and files read in chunks give the same lines.
TEST(CSVInFile, LinesAndTheirTextWhereverTheChunksEnd) {
  // Windows-1252 bytes that happen to read as UTF-8 until the last line's lone byte.
  std::string ansi;
  for (int i = 0; i < 20; ++i) ansi += "\xC3\x85\n";
  Strings ansiLines(20, "Ã\u2026");
  ansiLines.push_back("Å");
  const std::string longLine(37, 'x');
  const std::tuple<const char*, std::string, Strings> cases[] = {
      {"pairs of line ends", "a\r\nb\n\rc\r\rd\n\ne\r\n", {"a", "b", "c", "d", "e"}},
      {"lone line ends", "a\rb\nc\n", {"a", "b", "c"}},
      {"Windows-1252", "\xC5r;\x80\nplain\n", {"År;€", "plain"}},
      {"empty lines", "a\r\n\r\nb\n\n\nc", {"a", "", "b", "", "c"}},
      {"empty file", "", {}},
      {"a line longer than the buffer", longLine + "\r\n" + longLine, {longLine, longLine}},
      {"UTF-8 with a byte-order mark",
       "\xEF\xBB\xBF\xC3\x85r;\xE2\x82\xAC\n\xF0\x9F\x98\x80",
       {"År;€", "\xF0\x9F\x98\x80"}},
      {"a byte-order mark alone", "\xEF\xBB\xBF", {}},
      {"Windows-1252 found at the end", ansi + "\xC5", ansiLines},
      {"Windows-1252 with what looks like a byte-order mark", "\xEF\xBB\xBF\x80\n", {"ï»¿€"}},
  };
  for (const auto& [name, bytes, expectedLines] : cases) {
    EXPECT_EQ(lines(bytes), expectedLines) << name;
    for (const std::size_t chunk : {1, 2, 3, 4, 5, 7, 1 << 20}) {
      SCOPED_TRACE(std::string(name) + ", chunk " + std::to_string(chunk));
      Strings expected = expectedLines;
      expected.push_back("0  (end) all");
      EXPECT_EQ(fileLines(bytes, chunk), expected);
    }
  }
}

TEST(CSVInFile, FilesAreReadAgainOnRewindAndReadErrorsEndReading) {
  TempFolder dir;
  CSVInFile csv;
  csv.FileName = dir.write("in.txt", "aaaa,bbbb\r\nsecond\r\nthird").string();
  {
    SmallBuffer small(3);
    ASSERT_TRUE(csv.CSVOpen());
    csv.CSVAnalyse();  // the first line is longer than the buffer
    EXPECT_TRUE(csv.CSVGetLine());
    EXPECT_EQ(csv.bytesRead(), 11u);
  }
  // A rewind reads the file again, changed meanwhile, with the delimiter the analysis found.
  dir.write("in.txt", "ab\ncd\nef\ngh\n");
  csv.CSVRewind();
  EXPECT_TRUE(csv.CSVGetLine());
  EXPECT_EQ(csv.CurrentRecord + csv.Delimiter, "ab,");
  {
    SmallBuffer failing(2, 6);
    ASSERT_TRUE(csv.CSVOpen());
    EXPECT_TRUE(csv.CSVGetLine());
    EXPECT_FALSE(csv.CSVGetLine());
    EXPECT_FALSE(csv.CSVGetLine());  // the error stays; no line after it is handed out
    EXPECT_EQ(state(csv), "8 Cannot read " + csv.FileName + ": Input/output error (end)");
  }
  // A folder opens but cannot be read.
  csv.FileName = dir.path().string();
  EXPECT_FALSE(csv.CSVOpen());
  EXPECT_EQ(csv.ErrorText, "Cannot read " + csv.FileName + ": Is a directory");
}

TEST(FieldSplit, DelimitedAsTheReaderSplitsAndFixedAtCharacterPositionsFromTypedWidths) {
  auto delimited = [](std::string separator, std::string textDelimiter = "\"") {
    TextFileFormat format;
    format.separator = std::move(separator), format.textDelimiter = std::move(textDelimiter);
    return format;
  };
  EXPECT_EQ(splitFields("0114; \"Upp sala\" ;12,5", delimited(";")),
            (Strings{"0114", "Upp sala", "12,5"}));
  EXPECT_EQ(splitFields("a b  c", delimited(" ")), (Strings{"a", "b", "", "c"}));
  // An empty separator leaves the whole line one field; an empty text delimiter quotes
  // nothing.
  EXPECT_EQ(splitFields("a;b", delimited("")), (Strings{"a;b"}));
  EXPECT_EQ(splitFields("\"a;b\";c", delimited(";", "")), (Strings{"\"a", "b\"", "c"}));
  std::string error = "old";
  EXPECT_EQ(splitFields("a;\"b;c", delimited(";"), &error), Strings{});
  EXPECT_EQ(error, "Missing text delimiter");

  // Fixed fields are cut at character positions from typed widths.
  auto fixed = [](std::vector<FixedField> fields) {
    TextFileFormat format;
    format.layout.kind = FieldLayout::Kind::Fixed, format.layout.fixed = std::move(fields);
    return format;
  };
  error.clear();
  const TextFileFormat format = fixed(fixedFieldsFromWidths(" 4, 3;6", error));
  // Positions count characters: "Å" is two bytes but one position.
  EXPECT_EQ(splitFields("Åby F  3", format), (Strings{"Åby", "F", "3"}));
  // A short line leaves the fields past its end empty, and tabs count as blanks.
  EXPECT_EQ(splitFields("01\t", format), (Strings{"01", "", ""}));
  // Fields may skip characters and come in any order.
  EXPECT_EQ(splitFields("abcdefgh", fixed({{7, 2}, {2, 1}})), (Strings{"gh", "b"}));

  for (const char* bad : {"4, x", "0", "4,-3", "10000", "2.5", " , "}) {
    EXPECT_TRUE(fixedFieldsFromWidths(bad, error).empty()) << bad;
    EXPECT_FALSE(error.empty()) << bad;
  }
}
