// Code page conversion: every byte decodes, round trips are exact, losses are reported.
#include <gtest/gtest.h>

#include <string>

#include "encoding/codepage.h"

using namespace zendra;

TEST(CodePage, EveryByteOfBothPagesDecodesAndEncodesBackToItself) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  for (CodePage page : {CodePage::Ansi, CodePage::Oem}) {
    const std::string text = decode(all, page);
    ASSERT_TRUE(isValidUtf8(text));
    const Encoded back = encode(text, page);
    EXPECT_FALSE(back.lossy);
    EXPECT_EQ(back.bytes, all);
  }
}

TEST(CodePage, KnownLettersOfEachPage) {
  // Å, ä, ö and the euro sign in Windows-1252; the same letters in IBM 850.
  EXPECT_EQ(decode("\xC5\xE4\xF6\x80", CodePage::Ansi), "Åäö€");
  EXPECT_EQ(decode("\x8F\x84\x94", CodePage::Oem), "Åäö");
  EXPECT_EQ(encode("Åäö", CodePage::Oem).bytes, "\x8F\x84\x94");
  // Undefined in Windows-1252: kept as the control character of the same number.
  EXPECT_EQ(decode("\x81\x8D\x8F\x90\x9D", CodePage::Ansi), "\u0081\u008D\u008F\u0090\u009D");
}

TEST(CodePage, CharactersThePageLacksBecomeQuestionMarks) {
  const Encoded euroInOem = encode("5 €", CodePage::Oem);
  EXPECT_TRUE(euroInOem.lossy);
  EXPECT_EQ(euroInOem.bytes, "5 ?");
  const Encoded cjk = encode("a\u4E2Db", CodePage::Ansi);
  EXPECT_TRUE(cjk.lossy);
  EXPECT_EQ(cjk.bytes, "a?b");
  const Encoded broken = encode("x\xC3", CodePage::Ansi);  // cut-off UTF-8
  EXPECT_TRUE(broken.lossy);
  EXPECT_EQ(broken.bytes, "x?");
  EXPECT_FALSE(encode("plain", CodePage::Ansi).lossy);
}

TEST(CodePage, UndeclaredTextIsUtf8WhenValidOtherwiseAnsi) {
  bool utf8 = false;
  EXPECT_EQ(decodeUtf8OrAnsi("\xEF\xBB\xBFÅr", &utf8), "År");
  EXPECT_TRUE(utf8);
  EXPECT_EQ(decodeUtf8OrAnsi("\xC5r", &utf8), "År");
  EXPECT_FALSE(utf8);
  EXPECT_FALSE(isValidUtf8("\xC0\x80"));      // overlong
  EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));  // surrogate
  EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80"));
  EXPECT_TRUE(isValidUtf8("\xF4\x8F\xBF\xBF"));
}

TEST(CodePage, EncodingInPlaceGivesTheSameBytes) {
  for (const std::string& text :
       {std::string("plain"), std::string("Åre € 5 \u4E2D x\xC3"), std::string("\xE2\x82\xAC")}) {
    for (CodePage page : {CodePage::Ansi, CodePage::Oem}) {
      std::string inPlace = text;
      const bool lossy = encodeInPlace(inPlace, page);
      const Encoded copy = encode(text, page);
      EXPECT_EQ(inPlace, copy.bytes);
      EXPECT_EQ(lossy, copy.lossy);
    }
  }
}
