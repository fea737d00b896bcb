#include "core/encoding/codepage.h"

#include "core/encoding/utf8.h"

#include <array>
#include <cstring>
#include <unordered_map>

namespace zendra {
namespace {

// The characters of bytes 0x80 to 0xFF, made once with glibc's iconv (and checked
// against it by the tests where the system has the page). Built in, so that no
// conversion module is needed at run time. The five bytes Windows-1252 leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the control character of their
// number.
constexpr char16_t kWindows1252[128] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98
    0x00A0, 0x00A1, 0x00A2, 0x00A3, 0x00A4, 0x00A5, 0x00A6, 0x00A7,  // A0
    0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF,  // A8
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x00B8, 0x00B9, 0x00BA, 0x00BB, 0x00BC, 0x00BD, 0x00BE, 0x00BF,  // B8
    0x00C0, 0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x00C7,  // C0
    0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF,  // C8
    0x00D0, 0x00D1, 0x00D2, 0x00D3, 0x00D4, 0x00D5, 0x00D6, 0x00D7,  // D0
    0x00D8, 0x00D9, 0x00DA, 0x00DB, 0x00DC, 0x00DD, 0x00DE, 0x00DF,  // D8
    0x00E0, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x00E7,  // E0
    0x00E8, 0x00E9, 0x00EA, 0x00EB, 0x00EC, 0x00ED, 0x00EE, 0x00EF,  // E8
    0x00F0, 0x00F1, 0x00F2, 0x00F3, 0x00F4, 0x00F5, 0x00F6, 0x00F7,  // F0
    0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x00FD, 0x00FE, 0x00FF,  // F8
};
constexpr char16_t kIbm850[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,  // 80
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,  // 88
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,  // 90
    0x00FF, 0x00D6, 0x00DC, 0x00F8, 0x00A3, 0x00D8, 0x00D7, 0x0192,  // 98
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,  // A0
    0x00BF, 0x00AE, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,  // A8
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x00C0,  // B0
    0x00A9, 0x2563, 0x2551, 0x2557, 0x255D, 0x00A2, 0x00A5, 0x2510,  // B8
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x00E3, 0x00C3,  // C0
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4,  // C8
    0x00F0, 0x00D0, 0x00CA, 0x00CB, 0x00C8, 0x0131, 0x00CD, 0x00CE,  // D0
    0x00CF, 0x2518, 0x250C, 0x2588, 0x2584, 0x00A6, 0x00CC, 0x2580,  // D8
    0x00D3, 0x00DF, 0x00D4, 0x00D2, 0x00F5, 0x00D5, 0x00B5, 0x00FE,  // E0
    0x00DE, 0x00DA, 0x00DB, 0x00D9, 0x00FD, 0x00DD, 0x00AF, 0x00B4,  // E8
    0x00AD, 0x00B1, 0x2017, 0x00BE, 0x00B6, 0x00A7, 0x00F7, 0x00B8,  // F0
    0x00B0, 0x00A8, 0x00B7, 0x00B9, 0x00B3, 0x00B2, 0x25A0, 0x00A0,  // F8
};

// A code page as two tables: the character of each byte, and the byte of each
// character. Table look-ups keep converting a large file linear.
struct Table {
  std::array<std::string, 256> utf8;  // the UTF-8 form of each byte
  std::unordered_map<char32_t, unsigned char> byteOf;
};

Table makeTable(const char16_t (&upper)[128]) {
  Table t;
  for (int b = 0; b < 256; ++b) {
    const char32_t c = b < 0x80 ? static_cast<char32_t>(b) : upper[b - 0x80];
    appendUtf8(c, t.utf8[b]);
    t.byteOf.emplace(c, static_cast<unsigned char>(b));
  }
  return t;
}

const Table& table(CodePage page) {
  static const Table ansi = makeTable(kWindows1252);
  static const Table oem = makeTable(kIbm850);
  return page == CodePage::Ansi ? ansi : oem;
}

}  // namespace

std::string decode(std::string_view bytes, CodePage page) {
  const Table& t = table(page);
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 8);
  for (const char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    if (b < 0x80) {
      out += ch;
    } else {
      out += t.utf8[b];
    }
  }
  return out;
}

Encoded encode(std::string_view text, CodePage page) {
  const Table& t = table(page);
  Encoded result;
  result.bytes.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    // Runs of ASCII are copied as they are.
    std::size_t run = i;
    while (run < text.size() && static_cast<unsigned char>(text[run]) < 0x80) ++run;
    if (run > i) {
      result.bytes.append(text.data() + i, run - i);
      i = run;
      continue;
    }
    char32_t c = 0;
    const std::size_t len = nextUtf8Char(text, i, c);
    if (len == 0) {
      result.bytes += '?';
      result.lossy = true;
      ++i;
      continue;
    }
    const auto found = t.byteOf.find(c);
    if (found == t.byteOf.end()) {
      result.bytes += '?';
      result.lossy = true;
    } else {
      result.bytes += static_cast<char>(found->second);
    }
    i += len;
  }
  return result;
}

bool encodeInPlace(std::string& text, CodePage page) {
  const Table& t = table(page);
  bool lossy = false;
  std::size_t in = 0, out = 0;
  const std::size_t size = text.size();
  while (in < size) {
    // Runs of ASCII stay as they are.
    const std::size_t start = in;
    while (in < size && static_cast<unsigned char>(text[in]) < 0x80) ++in;
    if (in > start) {
      if (out != start) std::memmove(text.data() + out, text.data() + start, in - start);
      out += in - start;
      continue;
    }
    char32_t c = 0;
    const std::size_t len = nextUtf8Char(text, in, c);
    const auto found = len ? t.byteOf.find(c) : t.byteOf.end();
    if (found == t.byteOf.end()) {
      text[out++] = '?';
      lossy = true;
      in += len ? len : 1;
    } else {
      text[out++] = static_cast<char>(found->second);
      in += len;
    }
  }
  text.resize(out);
  return lossy;
}

bool isValidUtf8(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size();) {
    char32_t c = 0;
    const std::size_t len = nextUtf8Char(bytes, i, c);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

std::string decodeUtf8OrAnsi(std::string_view bytes, bool* wasUtf8) {
  const bool utf8 = isValidUtf8(bytes);
  if (wasUtf8) *wasUtf8 = utf8;
  if (!utf8) return decode(bytes, CodePage::Ansi);
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  return std::string(bytes);
}

}  // namespace zendra
