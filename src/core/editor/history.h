#pragma once

#include <cstddef>
#include <optional>
#include <vector>

namespace zendra {

// The most bytes one window's undo history keeps; the oldest steps go first.
inline constexpr std::size_t kHistoryBytes = 256u << 20;

// How many of the oldest commands to drop so that the rest take at most limit bytes;
// the newest command always stays, however large.
std::size_t commandsToDrop(const std::vector<std::size_t>& bytesOldestFirst, std::size_t limit);

// The most bytes a command may keep to undo a step that touches a whole grid or a
// large block: what fits the history at all, and never more than an eighth of the
// machine's memory, since the copy sits beside the grid it was taken from. A step whose
// copy would be larger is done without one and cannot be undone.
std::size_t snapshotLimitBytes();
// Sets the limit instead of deriving it from the machine (for tests); none goes back
// to the machine's.
void setSnapshotLimitBytes(std::optional<std::size_t> bytes);

}  // namespace zendra
