#include "core/editor/history.h"

#include <algorithm>
#include <numeric>

#include "core/grid/machine_memory.h"

namespace zendra {
namespace {

std::optional<std::size_t> limitSet;

}  // namespace

std::size_t commandsToDrop(const std::vector<std::size_t>& bytesOldestFirst, std::size_t limit) {
  std::size_t total =
      std::accumulate(bytesOldestFirst.begin(), bytesOldestFirst.end(), std::size_t{0});
  std::size_t drop = 0;
  while (total > limit && drop + 1 < bytesOldestFirst.size()) total -= bytesOldestFirst[drop++];
  return drop;
}

std::size_t snapshotLimitBytes() {
  if (limitSet) return *limitSet;
  // The memory this process may use: the machine's, or less under an address-space limit
  // (the grid's own cap follows the same figure).
  const auto memory = static_cast<std::size_t>(usableMemoryBytes());
  // A machine that does not tell its memory gets the history's bound alone.
  return memory == 0 ? kHistoryBytes : std::min(kHistoryBytes, memory / 8);
}

void setSnapshotLimitBytes(std::optional<std::size_t> bytes) {
  limitSet = bytes;
}

}  // namespace zendra
