#pragma once

#include <string_view>

namespace zendra {

class DimensionData;
class Prompt;
class VexaMess;

// Tells the user why a variable cannot be called name in doc ("Variable name in use" with
// the critical icon, "Name must be given" with the exclamation icon) and returns true
// then; returns false, saying nothing, when the name will do. renaming is the variable
// whose own name does not count.
bool refuseVariableName(Prompt& prompt, const VexaMess& doc, std::string_view name,
                        const DimensionData* renaming = nullptr);

}  // namespace zendra
