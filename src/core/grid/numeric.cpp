#include "core/grid/numeric.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace zendra {

void appendFixed(double value, int decimals, std::string_view decimalSeparator, std::string& out) {
  decimals = decimals < 0 ? 0 : (decimals > 99 ? 99 : decimals);
  if (!std::isfinite(value)) value = 0;

  // Fast path: when value * 10^decimals is a whole number r below 2^52 and r / 10^decimals
  // reads back as value, the text is r's digits with the separator put in: no other
  // text with that many decimals reads back as value, so it is the rounded shortest
  // form too.
  static constexpr double kPow10[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                      1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  if (decimals <= 15) {
    const double scale = kPow10[decimals];
    const double scaled = value * scale;
    if (std::abs(scaled) < 4503599627370496.0) {  // 2^52
      const double whole = std::nearbyint(scaled);
      if (whole / scale == value) {
        auto r = static_cast<long long>(whole);
        if (r < 0) {
          out += '-';
          r = -r;
        }
        char digits[24];
        auto end = std::to_chars(digits, digits + sizeof digits, r).ptr;
        auto count = static_cast<std::size_t>(end - digits);
        const auto d = static_cast<std::size_t>(decimals);
        if (d == 0) {
          out.append(digits, count);
          return;
        }
        if (count <= d) {  // 0.05 -> "0" "." "05"
          out += '0';
          out += decimalSeparator;
          out.append(d - count, '0');
          out.append(digits, count);
          return;
        }
        out.append(digits, count - d);
        out += decimalSeparator;
        out.append(digits + (count - d), d);
        return;
      }
    }
  }
  // The shortest fixed form that reads back as the same double; at most 309 whole
  // digits and 1074 decimals (for the smallest subnormals).
  char buffer[1100];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
  const char* p = buffer;
  const char* const end = result.ptr;
  const bool negative = *p == '-';
  if (negative) ++p;
  const char* dot = std::find(p, end, '.');
  const std::string_view whole(p, static_cast<std::size_t>(dot - p));
  const std::string_view fraction =
      dot == end ? std::string_view()
                 : std::string_view(dot + 1, static_cast<std::size_t>(end - dot - 1));
  const auto d = static_cast<std::size_t>(decimals);

  if (fraction.size() <= d) {
    // Nothing to round: the digits as they are, padded with zeros.
    const bool zero = whole == "0" && fraction.find_first_not_of('0') == std::string_view::npos;
    if (negative && !zero) out += '-';
    out += whole;
    if (d > 0) {
      out += decimalSeparator;
      out += fraction;
      out.append(d - fraction.size(), '0');
    }
    return;
  }

  // Keep d decimals and round half away from zero on the next digit, carrying left.
  char digits[1100];
  std::size_t n = 0;
  digits[n++] = '0';  // room for a carry out of the whole part
  for (const char c : whole) digits[n++] = c;
  for (std::size_t i = 0; i < d; ++i) digits[n++] = fraction[i];
  if (fraction[d] >= '5') {
    std::size_t i = n;
    while (i > 0) {
      --i;
      if (digits[i] == '9') {
        digits[i] = '0';
      } else {
        ++digits[i];
        break;
      }
    }
  }
  const std::size_t wholeEnd = 1 + whole.size();
  std::size_t start = 0;
  while (start + 1 < wholeEnd && digits[start] == '0') ++start;
  bool zero = true;
  for (std::size_t i = 0; i < n; ++i) {
    if (digits[i] != '0') zero = false;
  }
  if (negative && !zero) out += '-';
  out.append(digits + start, wholeEnd - start);
  if (d > 0) {
    out += decimalSeparator;
    out.append(digits + wholeEnd, d);
  }
}

}  // namespace zendra
