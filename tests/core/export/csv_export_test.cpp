// Tidy CSV export: read back by a plain RFC 4180 parser written here, every cell is one
// record with its variables' codes and texts, its number or its symbol.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/base/file_io.h"
#include "core/export/csv_export.h"
#include "support/loaded_table.h"
#include "support/temp_folder.h"

using namespace zendra;
using namespace zendra::test;

namespace {

using Records = std::vector<std::vector<std::string>>;

// RFC 4180: fields separated by commas, records by CRLF; a quoted field may hold commas,
// line breaks and doubled quotes. Fails the test on anything else.
Records parseCsv(const std::string& text) {
  Records records(1, std::vector<std::string>(1));
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    std::string& field = records.back().back();
    if (quoted) {
      if (c != '"') {
        field += c;
      } else if (i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else {
        quoted = false;
      }
    } else if (c == '"' && field.empty()) {
      quoted = true;
    } else if (c == ',') {
      records.back().emplace_back();
    } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      records.emplace_back(1);
      ++i;
    } else {
      EXPECT_TRUE(c != '"' && c != '\r' && c != '\n') << "bare " << int(c) << " at " << i;
      field += c;
    }
  }
  EXPECT_FALSE(quoted) << "unterminated quote";
  EXPECT_EQ(records.back(), std::vector<std::string>(1)) << "the text ends with CRLF";
  records.pop_back();
  return records;
}

std::string exported(const Loaded& table, CsvExportOptions options = {},
                     std::size_t* pieces = nullptr) {
  std::string text;
  WriteTidyCsv(table.doc, table.grid, options, [&](std::string_view piece) {
    text += piece;
    if (pieces) ++*pieces;
    return true;
  });
  return text;
}

std::string join(const std::vector<std::string>& fields) {
  std::string out;
  for (const auto& f : fields) out += (out.empty() ? "" : "|") + f;
  return out;
}

TEST(TidyCsv, EveryCellIsARecordWithCodesTextsNumberOrSymbol) {
  // Texts with a comma, quotes and (set below) a line break; a number, symbols, an empty
  // cell and a text that is no symbol.
  Loaded table(
      Loaded::Text{"CHARSET=\"ANSI\";\r\nMATRIX=\"T1\";\r\nCONTENTS=\"Count\";\r\nDECIMALS=1;\r\n"
                   "STUB=\"region\";\r\nHEADING=\"sex\",\"year\";\r\n"
                   "VALUES(\"region\")=\"North, inland\",\"South 'big'\";\r\n"
                   "CODES(\"region\")=\"01\",\"02\";\r\n"
                   "VALUES(\"sex\")=\"men\",\"women\";\r\nVALUES(\"year\")=\"2020\",\"2021\";\r\n"
                   "DATA=\r\n1.5 2 \"..\" \"-\"\r\n\"\" 3.25 \"x\" 4;\r\n"});
  ASSERT_EQ(table.result, LoadResult::Loaded);
  table.value("sex", 2)->value = "wo\r\nmen";
  const Records records = parseCsv(exported(table));
  ASSERT_EQ(records.size(), 9u);
  EXPECT_EQ(join(records[0]), "region code|region|sex|year|value|symbol");
  const char* expected[] = {
      "01|North, inland|men|2020|1.5|",      "01|North, inland|men|2021|2.0|",
      "01|North, inland|wo\r\nmen|2020||..", "01|North, inland|wo\r\nmen|2021||-",
      "02|South 'big'|men|2020||",           "02|South 'big'|men|2021|3.3|",
      "02|South 'big'|wo\r\nmen|2020||x",    "02|South 'big'|wo\r\nmen|2021|4.0|"};
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_EQ(join(records[i + 1]), expected[i]) << "cell " << i;
  }
}

TEST(TidyCsv, KeysFormRowsByTheirKeysAndPiecesOfBoundedSize) {
  const Loaded table("keys_form.vq");
  ASSERT_EQ(table.result, LoadResult::Loaded);
  std::size_t pieces = 0;
  const std::string text = exported(table, {.bom = true}, &pieces);
  ASSERT_EQ(text.substr(0, 3), "\xEF\xBB\xBF");
  const Records records = parseCsv(text.substr(3));
  ASSERT_EQ(records.size(), 7u);
  EXPECT_EQ(join(records[0]), "region code|region|\xC3\xA5lder|k\xC3\xB6n|value|symbol");
  EXPECT_EQ(join(records[1]), "01|Norr|0-19|m\xC3\xA4n|0|");
  EXPECT_EQ(join(records[6]), "01|Norr|20-64|kvinnor||..");
  EXPECT_EQ(pieces, 1u);
}

TEST(TidyCsv, WrittenBesideTheTargetAndRenamedAndACancelLeavesTheOldFile) {
  const Loaded table("keys_form.vq");
  TempFolder folder;
  const std::filesystem::path out = folder.write("out.csv", "old");
  std::string error;
  ASSERT_TRUE(writeFileAtomically(
      out,
      [&](const PieceWriter& write) {
        WriteTidyCsv(table.doc, table.grid, {}, write);
        return true;
      },
      error));
  EXPECT_EQ(parseCsv(readFileBytes(out).bytes).size(), 7u);
  // A producer that stops after its first piece: nothing is replaced.
  EXPECT_FALSE(writeFileAtomically(
      out, [](const PieceWriter& write) { return write("half") && false; }, error));
  EXPECT_EQ(error, "Cancelled");
  EXPECT_EQ(parseCsv(readFileBytes(out).bytes).size(), 7u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}),
            1);  // no temporary left
}

}  // namespace
