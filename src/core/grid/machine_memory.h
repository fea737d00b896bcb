#pragma once

#include <cstdint>

namespace zendra {

// The bytes of memory this program can count on: the machine's physical memory, or
// less when the process runs under an address-space limit. 0 when neither is known.
std::uint64_t usableMemoryBytes();

}  // namespace zendra
