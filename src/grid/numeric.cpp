#include "grid/numeric.h"

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
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

bool parseNumeric(std::string_view text, std::string_view decimalSeparator, double& out) {
  text = trimBlanks(text);
  if (text.empty() || decimalSeparator.empty()) return false;

  // Check the form and copy it with "." as separator for from_chars.
  char buffer[128];
  std::string longer;
  char* dst = buffer;
  const bool fits = text.size() < sizeof buffer;
  if (!fits) {
    longer.resize(text.size());
    dst = longer.data();
  }
  char* const start = dst;

  std::size_t i = 0;
  if (text[i] == '+' || text[i] == '-') {
    if (text[i] == '-') *dst++ = '-';
    ++i;
  }
  std::size_t digits = 0;
  bool separatorSeen = false;
  while (i < text.size()) {
    if (isDigit(text[i])) {
      *dst++ = text[i++];
      ++digits;
    } else if (!separatorSeen && text.substr(i).starts_with(decimalSeparator)) {
      separatorSeen = true;
      *dst++ = '.';
      i += decimalSeparator.size();
    } else {
      break;
    }
  }
  if (digits == 0) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    *dst++ = 'e';
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) *dst++ = text[i++];
    std::size_t exponentDigits = 0;
    while (i < text.size() && isDigit(text[i])) {
      *dst++ = text[i++];
      ++exponentDigits;
    }
    if (exponentDigits == 0) return false;
  }
  if (i != text.size()) return false;

  double value = 0;
  const auto [end, ec] = std::from_chars(start, dst, value);
  // Out of range either way (past the largest or below the smallest double) is not a
  // number a cell can hold.
  if (end != dst || ec != std::errc() || !std::isfinite(value)) return false;
  out = value;
  return true;
}

void appendFixed(double value, int decimals, std::string_view decimalSeparator, std::string& out) {
  decimals = decimals < 0 ? 0 : (decimals > 99 ? 99 : decimals);
  if (!std::isfinite(value)) value = 0;
  char buffer[400];  // the longest fixed form of a double has 309 whole digits
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
  std::string_view shortest(buffer, static_cast<std::size_t>(result.ptr - buffer));
  const bool negative = !shortest.empty() && shortest.front() == '-';
  if (negative) shortest.remove_prefix(1);
  const auto point = shortest.find('.');
  std::string whole(shortest.substr(0, point));
  std::string fraction(point == std::string_view::npos ? std::string_view{}
                                                       : shortest.substr(point + 1));
  const auto d = static_cast<std::size_t>(decimals);
  if (fraction.size() > d) {
    const bool up = fraction[d] >= '5';
    fraction.resize(d);
    if (up) {
      // Add one unit in the last kept place, carrying leftwards into the whole part.
      std::size_t i = fraction.size();
      bool carry = true;
      while (carry && i > 0) {
        --i;
        if (fraction[i] == '9') {
          fraction[i] = '0';
        } else {
          ++fraction[i];
          carry = false;
        }
      }
      for (std::size_t j = whole.size(); carry && j > 0; --j) {
        if (whole[j - 1] == '9') {
          whole[j - 1] = '0';
        } else {
          ++whole[j - 1];
          carry = false;
        }
      }
      if (carry) whole.insert(whole.begin(), '1');
    }
  } else {
    fraction.append(d - fraction.size(), '0');
  }
  const bool zero = whole.find_first_not_of('0') == std::string::npos &&
                    fraction.find_first_not_of('0') == std::string::npos;
  if (negative && !zero) out += '-';
  out += whole;
  if (d > 0) {
    out += decimalSeparator;
    out += fraction;
  }
}

}  // namespace zendra
