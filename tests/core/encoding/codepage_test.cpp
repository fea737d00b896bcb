// Code page conversion: every byte decodes, round trips are exact, losses are reported.
#include <gtest/gtest.h>
#include <iconv.h>

#include <string>
#include <tuple>

#include "core/encoding/codepage.h"

using namespace zendra;

TEST(CodePage, EveryByteRoundTripsUtf8IsRecognisedAndLackingCharactersBecomeQuestionMarks) {
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

  // Characters the page lacks become question marks, in place too.
  // Text, page, bytes; a "+" after the bytes marks a loss.
  for (const auto& [text, page, bytes] : {std::tuple{"Åäö", CodePage::Oem, "\x8F\x84\x94"},
                                          {"5 €", CodePage::Oem, "5 ?+"},
                                          {"x\xC3", CodePage::Ansi, "x?+"},  // cut-off UTF-8
                                          {"Åre € \u4E2D", CodePage::Ansi, "\xC5re \x80 ?+"}}) {
    SCOPED_TRACE(text);
    const Encoded copy = encode(text, page);
    EXPECT_EQ(copy.bytes + (copy.lossy ? "+" : ""), bytes);
    std::string inPlace = text;
    EXPECT_EQ(encodeInPlace(inPlace, page) ? inPlace + "+" : inPlace, bytes);
  }
}

// The tables are built into the program; where the system's iconv has the page, they
// must agree with it byte for byte. Bytes iconv leaves undefined stand for the control
// character of their number.
TEST(CodePage, BuiltInTablesAgreeWithIconv) {
  for (const auto& [page, name] :
       {std::pair{CodePage::Ansi, "WINDOWS-1252"}, {CodePage::Oem, "IBM850"}}) {
    iconv_t cd = iconv_open("UTF-8", name);
    if (cd == reinterpret_cast<iconv_t>(-1)) GTEST_SKIP() << "iconv lacks " << name;
    for (int b = 0x80; b < 0x100; ++b) {
      char in = static_cast<char>(b), out[8] = {}, *inPtr = &in, *outPtr = out;
      std::size_t inLeft = 1, outLeft = sizeof out;
      const bool undefined =
          iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1);
      const std::string expected =
          undefined ? std::string{'\xC2', in} : std::string(out, sizeof out - outLeft);
      EXPECT_EQ(decode(std::string(1, in), page), expected) << name << " byte " << b;
    }
    iconv_close(cd);
  }
}
