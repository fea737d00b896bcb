#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zendra {

// Decodes the UTF-8 sequence that starts at text[i] into out. Returns its length in
// bytes, or 0 when the bytes there are not a valid shortest-form sequence (overlong
// forms, surrogates and values past U+10FFFF are invalid).
std::size_t nextUtf8Char(std::string_view text, std::size_t i, char32_t& out);

// Appends the UTF-8 form of the code point c.
void appendUtf8(char32_t c, std::string& out);

// The number of characters (code points) of a UTF-8 text: what widths count.
std::size_t utf8Length(std::string_view text);

// The text safe to show on a terminal or in a list: valid UTF-8 stays, a control byte
// (a tab aside) and every byte of an invalid sequence become "\xHH".
std::string printableText(std::string_view text);

// True when every byte is ASCII: such text is the same in UTF-8 and in both code pages.
bool isAscii(std::string_view bytes);

// ASCII letters in upper case; other bytes unchanged (for keywords of the file format).
std::string asciiUpper(std::string_view text);
inline char asciiUpper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

}  // namespace zendra
