// SPDX-License-Identifier: GPL-3.0-or-later
#include "backup/backup_plan.h"

#include <gtest/gtest.h>

namespace pb {
namespace {

TEST(BackupPlan, TargetEndsInOneBackslashAndTheDisketteWins) {
  const struct {
    bool diskette;
    const char* directory;
    const char* target;
  } cases[] = {{false, "D:\\Sich", "D:\\Sich\\"}, {false, "D:\\", "D:\\"}, {true, "D:\\Sich", "A:\\"}};
  for (const auto& c : cases) EXPECT_EQ(PlanTarget(c.diskette, c.directory), c.target) << c.directory;
}

TEST(BackupPlan, DescriptionIsStoredWithoutOuterSpacesOnly) {
  const struct {
    const char* typed;
    const char* stored;
  } cases[] = {{"  Urlaub\r\nFotos  ", "Urlaub\r\nFotos"}, {"   ", ""}, {"", ""}, {"\tx ", "\tx"}, {"a b", "a b"}};
  for (const auto& c : cases) EXPECT_EQ(StoredDescription(c.typed), c.stored) << c.typed;
}

}  // namespace
}  // namespace pb
