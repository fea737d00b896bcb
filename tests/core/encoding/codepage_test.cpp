// Code page conversion: every byte decodes, round trips are exact, losses are reported.
#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

#include "core/encoding/codepage.h"

using namespace zendra;

TEST(CodePage, EveryByteOfBothPagesDecodesAndEncodesBackToItselfAndUtf8IsRecognised) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  for (CodePage page : {CodePage::Ansi, CodePage::Oem}) {
    const std::string text = decode(all, page);
    ASSERT_TRUE(isValidUtf8(text));
    const Encoded back = encode(text, page);
    EXPECT_FALSE(back.lossy);
    EXPECT_EQ(back.bytes, all);
  }
  // Undefined in Windows-1252: kept as the control character of the same number.
  EXPECT_EQ(decode("\x81\x8D\x8F\x90\x9D", CodePage::Ansi), "\u0081\u008D\u008F\u0090\u009D");

  // Text that declares no page is UTF-8 when it is valid UTF-8, otherwise ANSI.
  bool utf8 = false;
  EXPECT_EQ(decodeUtf8OrAnsi("\xEF\xBB\xBFÅr", &utf8), "År");
  EXPECT_TRUE(utf8);
  EXPECT_EQ(decodeUtf8OrAnsi("\xC5r", &utf8), "År");
  EXPECT_FALSE(utf8);
  // Overlong, a surrogate, past U+10FFFF; the last character there is.
  for (const char* bad : {"\xC0\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80"})
    EXPECT_FALSE(isValidUtf8(bad));
  EXPECT_TRUE(isValidUtf8("\xF4\x8F\xBF\xBF"));
}

TEST(CodePage, CharactersThePageLacksBecomeQuestionMarksInPlaceToo) {
  const struct {
    const char* text;
    CodePage page;
    const char* bytes;
    bool lossy;
  } cases[] = {{"Åäö", CodePage::Oem, "\x8F\x84\x94", false},
               {"5 €", CodePage::Oem, "5 ?", true},
               {"x\xC3", CodePage::Ansi, "x?", true},  // cut-off UTF-8
               {"Åre € \u4E2D", CodePage::Ansi, "\xC5re \x80 ?", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const Encoded copy = encode(c.text, c.page);
    EXPECT_EQ(copy.bytes + (copy.lossy ? "+" : ""), c.bytes + std::string(c.lossy ? "+" : ""));
    std::string inPlace = c.text;
    EXPECT_EQ(encodeInPlace(inPlace, c.page), c.lossy);
    EXPECT_EQ(inPlace, c.bytes);
  }
}

// The tables are built into the program; where the system's iconv has the page, they
// must agree with it byte for byte. Bytes iconv leaves undefined stand for the control
// character of their number.
TEST(CodePage, BuiltInTablesAgreeWithIconv) {
  const struct {
    CodePage page;
    const char* name;
  } pages[] = {{CodePage::Ansi, "WINDOWS-1252"}, {CodePage::Oem, "IBM850"}};
  for (const auto& p : pages) {
    iconv_t cd = iconv_open("UTF-8", p.name);
    if (cd == reinterpret_cast<iconv_t>(-1)) GTEST_SKIP() << "iconv lacks " << p.name;
    for (int b = 0x80; b < 0x100; ++b) {
      char in = static_cast<char>(b), out[8] = {}, *inPtr = &in, *outPtr = out;
      std::size_t inLeft = 1, outLeft = sizeof out;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      std::string expected;
      if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) {
        expected = {static_cast<char>(0xC2), static_cast<char>(b)};  // U+0080..U+009F
      } else {
        expected.assign(out, sizeof out - outLeft);
      }
      EXPECT_EQ(decode(std::string(1, static_cast<char>(b)), p.page), expected)
          << p.name << " byte " << b;
    }
    iconv_close(cd);
  }
}
