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

}  // namespace zendra
