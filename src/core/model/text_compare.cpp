#include "core/model/text_compare.h"

#include "core/encoding/utf8.h"

namespace zendra {
namespace {

char32_t lowerOf(char32_t c) {
  if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 32 : c;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;  // Latin-1 capitals
  if (c >= 0x100 && c <= 0x17F) {                          // Latin Extended-A
    if (c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
    if (c == 0x178) return 0xFF;  // Y with diaeresis
    const bool oddCapitals = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if (oddCapitals) return (c % 2 == 1) ? c + 1 : c;
    return (c % 2 == 0) ? c + 1 : c;
  }
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 32;  // Greek capitals
  if (c == 0x3C2) return 0x3C3;                               // final sigma
  if (c == 0x386) return 0x3AC;
  if (c >= 0x388 && c <= 0x38A) return c + 37;
  if (c == 0x38C) return 0x3CC;
  if (c == 0x38E || c == 0x38F) return c + 63;
  if (c >= 0x410 && c <= 0x42F) return c + 32;  // Cyrillic capitals
  if (c >= 0x400 && c <= 0x40F) return c + 80;
  return c;
}

}  // namespace

std::string foldCase(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    char32_t c = 0;
    const std::size_t len = nextUtf8Char(text, i, c);
    if (len == 0) {
      out += text[i];
      ++i;
      continue;
    }
    appendUtf8(lowerOf(c), out);
    i += len;
  }
  return out;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return foldCase(a) == foldCase(b);
}

}  // namespace zendra
