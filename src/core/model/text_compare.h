#pragma once

#include <string>
#include <string_view>

namespace zendra {

// Folds a UTF-8 text to lower case for comparisons that ignore letter case. Besides
// ASCII it covers the letters of the Windows-1252 and IBM 850 code pages (so "Å" and
// "å" fold alike), the rest of Latin Extended-A, basic Greek and Cyrillic. Bytes that
// are not valid UTF-8 are kept as they are.
std::string foldCase(std::string_view text);

// True when the two texts are equal once both are folded with foldCase.
bool equalsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace zendra
