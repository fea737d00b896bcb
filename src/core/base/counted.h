#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zendra {

// A count with its noun in the number that follows it: "1 row", "2 rows", "0 rows".
inline std::string Counted(std::int64_t count, std::string_view one, std::string_view many) {
  return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

}  // namespace zendra
