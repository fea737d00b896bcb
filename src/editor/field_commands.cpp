#include "editor/field_commands.h"

#include <atomic>

namespace zendra {

std::uint64_t newTypingSession() {
  static std::atomic<std::uint64_t> next{0};
  return ++next;
}

}  // namespace zendra
