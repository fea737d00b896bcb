#pragma once

#include <string>
#include <string_view>

namespace zendra {

// The two 8-bit code pages files arrive in. Memory holds UTF-8; files are converted at
// the edges only.
enum class CodePage {
  Ansi,  // Windows-1252
  Oem,   // IBM 850
};

// Decodes bytes of a code page to UTF-8. Never fails and never drops text: every byte
// of either page decodes to one character (the five bytes Windows-1252 leaves
// undefined become the C1 control characters of the same number).
std::string decode(std::string_view bytes, CodePage page);

struct Encoded {
  std::string bytes;
  bool lossy = false;  // some character is not in the page and was written as "?"
};

// Encodes UTF-8 text into a code page. A character the page lacks, and a byte that is
// not valid UTF-8, becomes "?" and sets lossy.
Encoded encode(std::string_view text, CodePage page);

// The same, converting text in place (a code page never needs more bytes than UTF-8).
// Returns true when some character was written as "?".
bool encodeInPlace(std::string& text, CodePage page);

// True when bytes are valid UTF-8 (shortest forms, no surrogates).
bool isValidUtf8(std::string_view bytes);

// Decodes a text file whose encoding is not declared: as UTF-8 when its bytes are valid
// UTF-8 (a byte-order mark at the start is dropped), otherwise as Windows-1252.
// wasUtf8, when given, tells which of the two it was.
std::string decodeUtf8OrAnsi(std::string_view bytes, bool* wasUtf8 = nullptr);

}  // namespace zendra
