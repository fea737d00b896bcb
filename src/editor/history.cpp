#include "editor/history.h"

#include <unistd.h>

#include <algorithm>
#include <numeric>

namespace zendra {
namespace {

std::optional<std::size_t> limitSet;

std::size_t physicalMemory() {
  const long pages = sysconf(_SC_PHYS_PAGES);
  const long pageSize = sysconf(_SC_PAGESIZE);
  if (pages <= 0 || pageSize <= 0) return 0;
  return static_cast<std::size_t>(pages) * static_cast<std::size_t>(pageSize);
}

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
  const std::size_t memory = physicalMemory();
  // A machine that does not tell its memory gets the history's bound alone.
  return memory == 0 ? kHistoryBytes : std::min(kHistoryBytes, memory / 8);
}

void setSnapshotLimitBytes(std::optional<std::size_t> bytes) {
  limitSet = bytes;
}

}  // namespace zendra
