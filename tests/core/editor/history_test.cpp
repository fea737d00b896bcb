// Bounding a window's undo history.
#include <gtest/gtest.h>

#include "core/editor/history.h"

using namespace zendra;

TEST(History, CommandsToDropKeepsTheNewestWithinTheLimit) {
  EXPECT_EQ(commandsToDrop({}, 100), 0u);
  EXPECT_EQ(commandsToDrop({40, 60}, 100), 0u);
  EXPECT_EQ(commandsToDrop({40, 60, 1}, 100), 1u);
  EXPECT_EQ(commandsToDrop({10, 10, 10, 90}, 100), 2u);
  EXPECT_EQ(commandsToDrop({10, 10, 10, 91}, 100), 3u);
  // The newest stays even when it alone passes the limit.
  EXPECT_EQ(commandsToDrop({10, 500}, 100), 1u);
  EXPECT_EQ(commandsToDrop({500}, 100), 0u);
}

TEST(History, SnapshotLimitFollowsTheMachineUnlessSet) {
  const std::size_t machine = snapshotLimitBytes();
  EXPECT_GT(machine, 0u);
  EXPECT_LE(machine, kHistoryBytes);
  setSnapshotLimitBytes(1234);
  EXPECT_EQ(snapshotLimitBytes(), 1234u);
  setSnapshotLimitBytes(std::nullopt);
  EXPECT_EQ(snapshotLimitBytes(), machine);
}
