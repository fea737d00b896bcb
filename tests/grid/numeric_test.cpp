// The one numeric test of the program, at its edges.
#include <gtest/gtest.h>

#include "grid/numeric.h"

using zendra::isNumeric;
using zendra::parseNumeric;

TEST(Numeric, AcceptsSignDigitsOneSeparatorExponentAndBlanks) {
  double v = 0;
  EXPECT_TRUE(parseNumeric("  -12.50\t", ".", v));
  EXPECT_DOUBLE_EQ(v, -12.5);
  EXPECT_TRUE(parseNumeric("+7", ".", v));
  EXPECT_DOUBLE_EQ(v, 7);
  EXPECT_TRUE(parseNumeric(".5", ".", v));
  EXPECT_DOUBLE_EQ(v, 0.5);
  EXPECT_TRUE(parseNumeric("5.", ".", v));
  EXPECT_DOUBLE_EQ(v, 5);
  EXPECT_TRUE(parseNumeric("1.5E+3", ".", v));
  EXPECT_DOUBLE_EQ(v, 1500);
  EXPECT_TRUE(parseNumeric("2e-2", ".", v));
  EXPECT_DOUBLE_EQ(v, 0.02);
  EXPECT_TRUE(parseNumeric("0012", ".", v));
  EXPECT_DOUBLE_EQ(v, 12);
}

TEST(Numeric, RejectsSymbolsAndEverythingElse) {
  for (const char* text :
       {"",   "  ",  ".",   "...", "-",   "+",    "1.2.3", "1,000.5", "1e",    "1e+",
        "e5", "1 2", "12a", "inf", "nan", "0x1A", "--1",   "1-",      "1e999", "1e-999"}) {
    EXPECT_FALSE(isNumeric(text, ".")) << text;
  }
}

TEST(Numeric, UsesTheGivenDecimalSeparatorOnly) {
  double v = 0;
  EXPECT_TRUE(parseNumeric("1,5", ",", v));
  EXPECT_DOUBLE_EQ(v, 1.5);
  EXPECT_FALSE(isNumeric("1.5", ","));
  EXPECT_FALSE(isNumeric("1,5", "."));
  // A separator of several bytes, as some locales have.
  EXPECT_TRUE(parseNumeric("3\u066B25", "\u066B", v));
  EXPECT_DOUBLE_EQ(v, 3.25);
  // Long texts are checked whole, not cut.
  EXPECT_TRUE(isNumeric(std::string(300, '1'), "."));
  EXPECT_FALSE(isNumeric(std::string(300, '1') + "x", "."));
}

TEST(Numeric, AppendFixedRoundsHalfAwayFromZeroOnTheShortestDecimalForm) {
  auto fixed = [](double v, int d, const char* sep = ".") {
    std::string out;
    zendra::appendFixed(v, d, sep, out);
    return out;
  };
  EXPECT_EQ(fixed(12.5, 0), "13");
  EXPECT_EQ(fixed(-12.5, 0), "-13");
  EXPECT_EQ(fixed(1.005, 2), "1.01");
  EXPECT_EQ(fixed(0.125, 2, ","), "0,13");
  EXPECT_EQ(fixed(9.995, 2), "10.00");
  EXPECT_EQ(fixed(999.5, 0), "1000");
  EXPECT_EQ(fixed(-0.004, 2), "0.00");
  EXPECT_EQ(fixed(3, 3), "3.000");
  EXPECT_EQ(fixed(1e20, 1), "100000000000000000000.0");
  EXPECT_EQ(fixed(0.1 + 0.2, 16), "0.3000000000000000");
  // Values that already have at most the asked decimals take a quicker road.
  EXPECT_EQ(fixed(0.05, 2), "0.05");
  EXPECT_EQ(fixed(-1.5, 1, ","), "-1,5");
  EXPECT_EQ(fixed(-0.0, 1), "0.0");
  EXPECT_EQ(fixed(123, 0), "123");
  EXPECT_EQ(fixed(4503599627370495.0, 0), "4503599627370495");
  EXPECT_EQ(fixed(1234567.125, 3), "1234567.125");
}
