#include "encoding/codepage.h"

#include "encoding/utf8.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <unordered_map>

namespace zendra {
namespace {

// A code page as two tables, made once from glibc's iconv converters: the character of
// each byte, and the byte of each character. Table look-ups keep converting a large
// file linear and free of per-call conversion state.
struct Table {
  std::array<std::string, 256> utf8;  // the UTF-8 form of each byte
  std::unordered_map<char32_t, unsigned char> byteOf;
};

char32_t byteToChar(iconv_t cd, unsigned char byte) {
  char in[1] = {static_cast<char>(byte)};
  char out[8] = {};
  char* inPtr = in;
  char* outPtr = out;
  std::size_t inLeft = 1, outLeft = sizeof out;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);  // reset the shift state
  if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) ||
      outLeft != sizeof out - 4) {
    // Undefined in the page: the byte stands for the control character of its number.
    return byte;
  }
  const auto* u = reinterpret_cast<const unsigned char*>(out);
  return static_cast<char32_t>(u[0]) | static_cast<char32_t>(u[1]) << 8 |
         static_cast<char32_t>(u[2]) << 16 | static_cast<char32_t>(u[3]) << 24;
}

Table makeTable(const char* iconvName) {
  iconv_t cd = iconv_open("UTF-32LE", iconvName);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    throw std::runtime_error(std::string("code page not available: ") + iconvName);
  }
  Table t;
  for (int b = 0; b < 256; ++b) {
    const char32_t c = byteToChar(cd, static_cast<unsigned char>(b));
    appendUtf8(c, t.utf8[b]);
    t.byteOf.emplace(c, static_cast<unsigned char>(b));
  }
  iconv_close(cd);
  return t;
}

const Table& table(CodePage page) {
  static const Table ansi = makeTable("WINDOWS-1252");
  static const Table oem = makeTable("IBM850");
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
