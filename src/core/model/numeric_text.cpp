#include "core/model/numeric_text.h"

#include <charconv>
#include <cmath>
#include <string>

namespace zendra {
namespace {

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

std::string_view trimBlanks(std::string_view text) {
  std::size_t first = 0, last = text.size();
  while (first < last && (text[first] == ' ' || text[first] == '\t')) ++first;
  while (last > first && (text[last - 1] == ' ' || text[last - 1] == '\t')) --last;
  return text.substr(first, last - first);
}

bool parseNumeric(std::string_view text, std::string_view decimalSeparator, double& out) {
  text = trimBlanks(text);
  if (text.empty() || decimalSeparator.empty()) return false;
  const bool plainPoint = decimalSeparator.size() == 1 && decimalSeparator[0] == '.';

  // Check the form; remember whether from_chars can read the text as it stands (a "."
  // separator and no "+" sign) or needs a copy with "." put in.
  std::size_t i = 0;
  const bool plus = text[0] == '+';
  if (text[0] == '+' || text[0] == '-') ++i;
  std::size_t digits = 0;
  bool separatorSeen = false;
  while (i < text.size()) {
    const char c = text[i];
    if (isDigit(c)) {
      ++i;
      ++digits;
    } else if (!separatorSeen &&
               (plainPoint ? c == '.' : text.substr(i).starts_with(decimalSeparator))) {
      separatorSeen = true;
      i += decimalSeparator.size();
    } else {
      break;
    }
  }
  if (digits == 0) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t exponentDigits = 0;
    while (i < text.size() && isDigit(text[i])) {
      ++i;
      ++exponentDigits;
    }
    if (exponentDigits == 0) return false;
  }
  if (i != text.size()) return false;

  const char* begin = text.data();
  const char* end = text.data() + text.size();
  char buffer[128];
  std::string longer;
  if (plus || !plainPoint) {
    char* dst = buffer;
    if (text.size() >= sizeof buffer) {
      longer.resize(text.size());
      dst = longer.data();
    }
    char* const start = dst;
    for (std::size_t k = plus ? 1 : 0; k < text.size();) {
      if (!plainPoint && text.substr(k).starts_with(decimalSeparator)) {
        *dst++ = '.';
        k += decimalSeparator.size();
      } else {
        *dst++ = text[k++];
      }
    }
    begin = start;
    end = dst;
  }
  double value = 0;
  const auto [stop, ec] = std::from_chars(begin, end, value);
  // Out of range either way (past the largest or below the smallest double) is not a
  // number a cell can hold.
  if (stop != end || ec != std::errc() || !std::isfinite(value)) return false;
  out = value;
  return true;
}

}  // namespace zendra
