// The tokenizer: tokens, end characters, quoting, code pages and DATA elements.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/format/vexa_file.h"
#include "support/temp_folder.h"

using namespace zendra;

namespace {

using Texts = std::vector<std::string>;

// Every token with its end character shown after a "|", e.g. "VALUES|(".
Texts tokens(const std::string& text, bool hash = false) {
  VexaFile f;
  f.OpenText(text);
  Texts out;
  for (int guard = 0; guard < 100; ++guard) {
    f.GetToken(hash);
    if (f.Eof && f.Token.empty()) break;
    out.push_back(f.Token + "|" + (f.EndChar ? std::string(1, f.EndChar) : "end"));
    if (f.Eof) break;
  }
  return out;
}

Texts elements(const std::string& text, const std::string& sep = ".") {
  VexaFile f;
  f.OpenText(text);
  f.PrepareData(sep);
  Texts out;
  for (int guard = 0; guard < 100; ++guard) {
    f.GetDataEl();
    if (f.Eof) break;
    out.emplace_back(f.DataToken);
  }
  return out;
}

}  // namespace

TEST(Tokenizer, TokensTheCharsetStatementAFileReadOnceAndDataElements) {
  EXPECT_EQ(tokens("VALUES(\"age group\")=\"0 to 9\",\"10 to 19\";\r\nMATRIX=\"A\";"),
            (Texts{"VALUES|(", "age group|)", "0 to 9|,", "10 to 19|;", "MATRIX|=", "A|;"}));
  // Leading spaces are skipped; an unquoted space ends a token; the last token runs
  // into the end of the text.
  EXPECT_EQ(tokens("  DECIMALS= 2 ;"), (Texts{"DECIMALS|=", "2| ", "|;"}));
  // Quoted pieces on several lines join; inside quotes every character counts.
  EXPECT_EQ(tokens("TITLE=\"a;b, \"\r\n\"c\";x"), (Texts{"TITLE|=", "a;b, c|;", "x|end"}));
  // "#" is a line break only when asked, and only inside quotes.
  EXPECT_EQ(tokens("\"First#Second\";", true)[0], "First\r\nSecond|;");
  EXPECT_EQ(tokens("First#Second;", true)[0], "First#Second|;");

  // Reading in the declared page is checked with the fixture files, which have both.
  EXPECT_FALSE(declaresAnsi("CHARSET= \"ANSI\""));
  EXPECT_TRUE(declaresAnsi("x;charset=\"ansi\""));

  // A file is read once; elements take the decimal step and end the section.
  test::TempFolder dir;
  std::string text = "MATRIX=\"M\";DATA=";
  for (int i = 0; i < 100000; ++i) text += "12345 ";
  const auto path = dir.write("t.vq", text + ";");
  VexaFile f;
  ASSERT_TRUE(f.OpenFile(path.string()));
  std::filesystem::resize_file(path, 10);    // another program truncates the file
  for (int i = 0; i < 3; ++i) f.GetToken();  // MATRIX, M, DATA
  int count = 0;
  for (f.GetDataEl(); !f.Eof; f.GetDataEl()) ++count;
  EXPECT_EQ(count, 100000);

  // Elements, the decimal step and the end of the section.
  EXPECT_EQ(elements("1 2,\"..\"\r\n3\t-;"), (Texts{"1", "2", "..", "3", "-"}));
  EXPECT_EQ(elements(" , ,;"), Texts{});
  // The decimal step replaces only unquoted points.
  EXPECT_EQ(elements("1.5 2,3 \"4.5\" ..;", ","), (Texts{"1,5", "2", "3", "4.5", ",,"}));
  // A ";" right after an element ends the section, even without a blank before it.
  EXPECT_EQ(elements("703000;\r\n12 13"), Texts{"703000"});
  // An element running into the end of the file is kept.
  EXPECT_EQ(elements("1 \"x"), (Texts{"1", "x"}));
}
