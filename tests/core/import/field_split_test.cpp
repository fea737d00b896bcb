// Cutting one line into fields for the import wizard's previews: delimited as the reader
// splits, fixed at character positions, and the typed widths.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/import/field_split.h"

using namespace zendra;

namespace {

using Strings = std::vector<std::string>;

TextFileFormat delimited(std::string separator, std::string textDelimiter = "\"") {
  TextFileFormat format;
  format.separator = std::move(separator);
  format.textDelimiter = std::move(textDelimiter);
  return format;
}

TextFileFormat fixed(std::vector<FixedField> fields) {
  TextFileFormat format;
  format.layout.kind = FieldLayout::Kind::Fixed;
  format.layout.fixed = std::move(fields);
  return format;
}

}  // namespace

TEST(FieldSplit, DelimitedLinesSplitAsTheReaderSplitsThem) {
  EXPECT_EQ(splitFields("0114; \"Upp sala\" ;12,5", delimited(";")),
            (Strings{"0114", "Upp sala", "12,5"}));
  EXPECT_EQ(splitFields("a\tb\t", delimited("\t")), (Strings{"a", "b"}));
  EXPECT_EQ(splitFields("a b  c", delimited(" ")), (Strings{"a", "b", "", "c"}));
  // An empty separator leaves the whole line one field; an empty text delimiter quotes
  // nothing.
  EXPECT_EQ(splitFields("a;b", delimited("")), (Strings{"a;b"}));
  EXPECT_EQ(splitFields("\"a;b\";c", delimited(";", "")), (Strings{"\"a", "b\"", "c"}));
  EXPECT_EQ(splitFields("", delimited(";")), Strings{});

  std::string error = "old";
  EXPECT_EQ(splitFields("a;\"b;c", delimited(";"), &error), Strings{});
  EXPECT_EQ(error, "Missing text delimiter");
  EXPECT_EQ(splitFields("a;b", delimited(";"), &error).size(), 2u);
  EXPECT_EQ(error, "");
}

TEST(FieldSplit, FixedFieldsAreCutAtCharacterPositionsAndTrimmed) {
  const TextFileFormat format = fixed({{1, 4}, {5, 3}, {8, 6}});
  EXPECT_EQ(splitFields("0114 M   12.5", format), (Strings{"0114", "M", "12.5"}));
  // Positions count characters: "Å" is two bytes but one position.
  EXPECT_EQ(splitFields("Åby F  3", format), (Strings{"Åby", "F", "3"}));
  // A short line leaves the fields past its end empty, and tabs count as blanks.
  EXPECT_EQ(splitFields("01\t", format), (Strings{"01", "", ""}));
  // Fields may skip characters and come in any order.
  EXPECT_EQ(splitFields("abcdefgh", fixed({{7, 2}, {2, 1}})), (Strings{"gh", "b"}));
}

TEST(FieldSplit, WidthsGiveFieldsEachStartingWhereTheOneBeforeEnds) {
  std::string error;
  const std::vector<FixedField> fields = fixedFieldsFromWidths(" 4, 3;10  2", error);
  EXPECT_EQ(error, "");
  ASSERT_EQ(fields.size(), 4u);
  EXPECT_EQ(fields[0].start, 1);
  EXPECT_EQ(fields[1].start, 5);
  EXPECT_EQ(fields[2].start, 8);
  EXPECT_EQ(fields[3].start, 18);
  EXPECT_EQ(fields[3].width, 2);

  for (const char* bad : {"4, x", "0", "4,-3", "10000", "2.5"}) {
    EXPECT_TRUE(fixedFieldsFromWidths(bad, error).empty()) << bad;
    EXPECT_FALSE(error.empty()) << bad;
  }
  EXPECT_TRUE(fixedFieldsFromWidths(" , ", error).empty());
  EXPECT_EQ(error, "No field widths");
}
