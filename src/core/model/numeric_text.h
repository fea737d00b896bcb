#pragma once

#include <string>
#include <string_view>

namespace zendra {

// The one test of "is this text a number" used everywhere: by the reader on DATA
// elements and whole-number statements, by the grid when an edited cell is converted,
// and by the imports. It sits with the model, the lowest layer that needs it.
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

// Removes leading and trailing spaces and tabs.
std::string_view trimBlanks(std::string_view text);

}  // namespace zendra
