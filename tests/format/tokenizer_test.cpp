// The tokenizer: tokens, end characters, quoting, code pages and DATA elements.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "format/vexa_file.h"
#include "model/prompt.h"

using namespace zendra;

namespace {

struct Tok {
  std::string token;
  char end;
  bool operator==(const Tok&) const = default;
};

std::vector<Tok> tokens(const std::string& text, bool hash = false) {
  VexaFile f;
  f.OpenText(text);
  std::vector<Tok> out;
  for (int guard = 0; guard < 100; ++guard) {
    f.GetToken(hash);
    if (f.Eof && f.Token.empty()) break;
    out.push_back({f.Token, f.EndChar});
    if (f.Eof) break;
  }
  return out;
}

std::vector<std::string> elements(const std::string& text, const std::string& sep = ".") {
  VexaFile f;
  f.OpenText(text);
  f.PrepareData(sep);
  std::vector<std::string> out;
  for (int guard = 0; guard < 100; ++guard) {
    f.GetDataEl();
    if (f.Eof) break;
    out.emplace_back(f.DataToken);
  }
  return out;
}

}  // namespace

TEST(Tokenizer, ArgumentsValuesAndEndCharacters) {
  EXPECT_EQ(tokens("VALUES(\"age group\")=\"0 to 9\",\"10 to 19\";\r\nMATRIX=\"A\";"),
            (std::vector<Tok>{{"VALUES", '('},
                              {"age group", ')'},
                              {"0 to 9", ','},
                              {"10 to 19", ';'},
                              {"MATRIX", '='},
                              {"A", ';'}}));
  // Leading spaces are skipped; an unquoted space ends a token.
  EXPECT_EQ(tokens("  DECIMALS= 2 ;"),
            (std::vector<Tok>{{"DECIMALS", '='}, {"2", ' '}, {"", ';'}}));
}

TEST(Tokenizer, QuotedPiecesOnSeveralLinesJoinIntoOneToken) {
  EXPECT_EQ(tokens("TITLE=\"Population by \"\r\n\"region\";"),
            (std::vector<Tok>{{"TITLE", '='}, {"Population by region", ';'}}));
  // Inside quotes every character counts, separators and line breaks too.
  EXPECT_EQ(tokens("NOTE=\"a;b,\r\nc\";"), (std::vector<Tok>{{"NOTE", '='}, {"a;b,\r\nc", ';'}}));
}

TEST(Tokenizer, HashBecomesALineBreakOnlyWhenAsked) {
  EXPECT_EQ(tokens("\"First#Second\";", false)[0].token, "First#Second");
  EXPECT_EQ(tokens("\"First#Second\";", true)[0].token, "First\r\nSecond");
  EXPECT_EQ(tokens("First#Second;", true)[0].token, "First#Second");  // outside quotes
}

TEST(Tokenizer, CarriageReturnEndsATokenOnlyForLineValues) {
  VexaFile f;
  f.OpenText("PRESTEXT(\"x\")=2\r\nDOMAIN(");
  f.GetToken();
  f.GetToken();
  f.LFCRisDelimiter = true;
  f.GetToken();
  EXPECT_EQ(f.Token, "2");
  EXPECT_EQ(f.EndChar, '\r');
  f.LFCRisDelimiter = false;
  f.GetToken();
  EXPECT_EQ(f.Token, "DOMAIN");
  EXPECT_EQ(f.EndChar, '(');
}

TEST(Tokenizer, TheLastTokenRunsIntoTheEndAndThenEndIsReported) {
  VexaFile f;
  f.OpenText("MATRIX=abc");
  f.GetToken();
  f.GetToken();
  EXPECT_EQ(f.Token, "abc");
  EXPECT_EQ(f.EndChar, 0);
  EXPECT_TRUE(f.Eof);
  f.GetToken();
  EXPECT_EQ(f.Token, "");
  EXPECT_TRUE(f.Eof);
}

TEST(Tokenizer, CodePageFollowsTheCharsetStatement) {
  // "Å" is 0x8F in the OEM page and 0xC5 in the ANSI page.
  VexaFile oem;
  oem.OpenText("X=\"\x8F\";");
  oem.GetToken();
  oem.GetToken();
  EXPECT_EQ(oem.Token, "Å");
  EXPECT_FALSE(oem.isAnsi());

  VexaFile ansi;
  ansi.OpenText("CHARSET=\"AnSi\";\r\nX=\"\xC5\";");
  for (int i = 0; i < 4; ++i) ansi.GetToken();
  EXPECT_EQ(ansi.Token, "Å");
  EXPECT_TRUE(ansi.isAnsi());

  EXPECT_FALSE(declaresAnsi("CHARSET= \"ANSI\""));
  EXPECT_FALSE(declaresAnsi("CHARSET=ANSI"));
  EXPECT_TRUE(declaresAnsi("x;charset=\"ansi\""));
}

TEST(Tokenizer, AFileThatCannotBeReadEndsAtOnce) {
  VexaFile f;
  EXPECT_FALSE(f.OpenFile("/nonexistent/folder/table.vq"));
  EXPECT_TRUE(f.Eof);
  f.GetToken();
  EXPECT_TRUE(f.Eof);
  EXPECT_EQ(f.Token, "");
  f.GetDataEl();
  EXPECT_TRUE(f.Eof);
}

TEST(TokenizerData, ElementsAreSeparatedByBlanksCommasAndLineBreaks) {
  EXPECT_EQ(elements("1 2,\"..\"\r\n3\t-;"), (std::vector<std::string>{"1", "2", "..", "3", "-"}));
  EXPECT_EQ(elements(" , ,;"), std::vector<std::string>{});
}

TEST(TokenizerData, TheDecimalStepReplacesOnlyUnquotedPoints) {
  EXPECT_EQ(elements("1.5 2,3 \"4.5\" ..;", ","),
            (std::vector<std::string>{"1,5", "2", "3", "4.5", ",,"}));
  EXPECT_EQ(elements("1.5 \"4.5\";", "."), (std::vector<std::string>{"1.5", "4.5"}));
}

TEST(TokenizerData, ASemicolonRightAfterAnElementEndsTheSection) {
  // Nothing after the ";" belongs to the data, even without a blank before it.
  EXPECT_EQ(elements("703000;\r\n12 13"), (std::vector<std::string>{"703000"}));
  EXPECT_EQ(elements("1 2;3"), (std::vector<std::string>{"1", "2"}));
}

TEST(TokenizerData, AnElementRunningIntoTheEndOfTheFileIsKept) {
  EXPECT_EQ(elements("1 2 3"), (std::vector<std::string>{"1", "2", "3"}));
  EXPECT_EQ(elements("1 \"x"), (std::vector<std::string>{"1", "x"}));
}

TEST(TokenizerData, ProgressIsReportedButThrottled) {
  ScriptedPrompt prompt;
  VexaFile f(&prompt);
  std::string text;
  for (int i = 0; i < 200000; ++i) text += "12345 ";
  f.OpenText(text);
  int count = 0;
  for (f.GetDataEl(); !f.Eof; f.GetDataEl()) ++count;
  EXPECT_EQ(count, 200000);
  EXPECT_GT(prompt.progressReports, 10);
  EXPECT_LT(prompt.progressReports, 1000);
  EXPECT_EQ(prompt.lastTotal, static_cast<std::int64_t>(text.size()));
}
