#include "core/grid/machine_memory.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>

namespace zendra {

std::uint64_t usableMemoryBytes() {
  std::uint64_t bytes = 0;
  const long pages = ::sysconf(_SC_PHYS_PAGES);
  const long pageSize = ::sysconf(_SC_PAGESIZE);
  if (pages > 0 && pageSize > 0) {
    bytes = static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
  }
  struct rlimit limit {};
  if (::getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
    const auto cap = static_cast<std::uint64_t>(limit.rlim_cur);
    bytes = bytes == 0 ? cap : std::min(bytes, cap);
  }
  return bytes;
}

}  // namespace zendra
