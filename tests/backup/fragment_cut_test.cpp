// SPDX-License-Identifier: GPL-3.0-or-later
#include "backup/fragment_cut.h"

#include <gtest/gtest.h>

#include "store/records.h"

namespace pb::testing {
namespace {

struct CutCase {
  int64_t remaining;
  int64_t room;
  bool volumeHasFragment;
  int32_t length;
};

class FragmentCutTest : public ::testing::TestWithParam<CutCase> {};

TEST_P(FragmentCutTest, GivesTheRunsLength) {
  const CutCase& c = GetParam();
  EXPECT_EQ(FragmentCut(c.remaining, c.room, c.volumeHasFragment), c.length);
}

INSTANTIATE_TEST_SUITE_P(
    RoomAndRemainder, FragmentCutTest,
    ::testing::Values(
        // Room to spare: a full fragment, or what the file still holds.
        CutCase{3000000000, 1457152, true, kFragmentSize}, CutCase{200000, 1457152, false, kFragmentSize},
        CutCase{1, 1457152, true, 1}, CutCase{kFragmentSize + 1, kFragmentSize + 1, true, kFragmentSize},
        // Near the limit the fragment ends exactly there.
        CutCase{200000, kFragmentSize, true, kFragmentSize}, CutCase{200000, kFragmentSize - 1, true, kFragmentSize - 1},
        CutCase{200000, 1, true, 1}, CutCase{100, 99, true, 99}, CutCase{100, 50, false, 50},
        // A full volume is closed first ...
        CutCase{200000, 0, true, 0}, CutCase{1, -70, true, 0},
        // ... unless it holds no fragment yet: then a short one goes beyond the limit.
        CutCase{200000, 0, false, kMinimumFragment}, CutCase{200000, -300, false, kMinimumFragment},
        CutCase{100, 0, false, 100}, CutCase{kMinimumFragment, -1, false, kMinimumFragment}));

}  // namespace
}  // namespace pb::testing
