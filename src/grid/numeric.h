#pragma once

#include <string>
#include <string_view>

namespace zendra {

// The one test of "is this text a number" used everywhere: by the reader on DATA
// elements, by the grid when an edited cell is converted, and by the imports.
//
// A numeric text is: optional blanks (spaces or tabs), an optional "+" or "-", digits
// with at most one decimal separator (at least one digit before or after it), an
// optional exponent ("e" or "E", an optional sign, at least one digit), optional
// blanks. Nothing else: no thousands separators, currency signs, "inf", "nan" or hex.
// A number outside the range of a double (too large or too small) is not numeric.
//
// decimalSeparator is the separator to accept (the file's "." or the user locale's);
// it may be more than one byte long. On success the value is stored in out.
bool parseNumeric(std::string_view text, std::string_view decimalSeparator, double& out);

inline bool isNumeric(std::string_view text, std::string_view decimalSeparator) {
  double ignored = 0;
  return parseNumeric(text, decimalSeparator, ignored);
}

// Appends value with exactly `decimals` decimals (0 to 99), rounding its shortest
// decimal form half away from zero, as people round (12.5 shows as 13 with no decimals,
// 1.005 as 1.01 with two); decimalSeparator stands between the whole and the decimals.
// A value that rounds to zero has no sign.
void appendFixed(double value, int decimals, std::string_view decimalSeparator, std::string& out);

// Removes leading and trailing spaces and tabs.
std::string_view trimBlanks(std::string_view text);

}  // namespace zendra
