// The one numeric test of the program, at its edges.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "core/grid/numeric.h"

using zendra::isNumeric;
using zendra::parseNumeric;

TEST(Numeric, AcceptsSignDigitsOneSeparatorExponentAndBlanksOnly) {
  const std::pair<const char*, double> accepted[] = {
      {"  -12.50\t", -12.5}, {"+7", 7},      {".5", 0.5}, {"5.", 5},
      {"1.5E+3", 1500},      {"2e-2", 0.02}, {"0012", 12}};
  for (const auto& [text, expected] : accepted) {
    double v = 0;
    EXPECT_TRUE(parseNumeric(text, ".", v)) << text;
    EXPECT_DOUBLE_EQ(v, expected) << text;
  }
  for (const char* text :
       {"",   "  ",  ".",   "...", "-",   "+",    "1.2.3", "1,000.5", "1e",    "1e+",
        "e5", "1 2", "12a", "inf", "nan", "0x1A", "--1",   "1-",      "1e999", "1e-999"}) {
    EXPECT_FALSE(isNumeric(text, ".")) << text;
  }
  // Long texts are checked whole, not cut.
  EXPECT_TRUE(isNumeric(std::string(300, '1'), "."));
  EXPECT_FALSE(isNumeric(std::string(300, '1') + "x", "."));
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
}

// From {0.05, 2} on, values that already have at most the asked decimals (a quicker road).
TEST(Numeric, AppendFixedRoundsHalfAwayFromZeroOnTheShortestDecimalForm) {
  const struct {
    double value;
    int decimals;
    const char* separator;
    const char* expected;
  } cases[] = {{12.5, 0, ".", "13"},
               {-12.5, 0, ".", "-13"},
               {1.005, 2, ".", "1.01"},
               {0.125, 2, ",", "0,13"},
               {9.995, 2, ".", "10.00"},
               {999.5, 0, ".", "1000"},
               {-0.004, 2, ".", "0.00"},
               {3, 3, ".", "3.000"},
               {1e20, 1, ".", "100000000000000000000.0"},
               {0.1 + 0.2, 16, ".", "0.3000000000000000"},
               {0.05, 2, ".", "0.05"},
               {-1.5, 1, ",", "-1,5"},
               {-0.0, 1, ".", "0.0"},
               {123, 0, ".", "123"},
               {4503599627370495.0, 0, ".", "4503599627370495"},
               {1234567.125, 3, ".", "1234567.125"}};
  for (const auto& c : cases) {
    std::string out = "kept:";
    zendra::appendFixed(c.value, c.decimals, c.separator, out);
    EXPECT_EQ(out, std::string("kept:") + c.expected) << c.value << " " << c.decimals;
  }
}
