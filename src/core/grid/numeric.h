#pragma once

#include <string>
#include <string_view>

#include "core/model/numeric_text.h"

namespace zendra {

// Appends value with exactly `decimals` decimals (0 to 99), rounding its shortest
// decimal form half away from zero, as people round (12.5 shows as 13 with no decimals,
// 1.005 as 1.01 with two); decimalSeparator stands between the whole and the decimals.
// A value that rounds to zero has no sign.
void appendFixed(double value, int decimals, std::string_view decimalSeparator, std::string& out);

}  // namespace zendra
