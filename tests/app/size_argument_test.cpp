// SPDX-License-Identifier: GPL-3.0-or-later
#include "size_argument.h"

#include <gtest/gtest.h>

namespace pb::cli {
namespace {

// What the options page is given; which texts are refused is part of the
// command-line table.
TEST(SizeArgumentTest, NumberAndUnitAsTheOptionsPageTakesThem) {
  const struct {
    const char* argument;
    const char* number;
    int unitIndex;
  } cases[] = {
      {"1423K", "1423", 0}, {"1423k", "1423", 0}, {"1423KiB", "1423", 0}, {"1,5M", "1.5", 1},
      {"1.5M", "1.5", 1},   {"1,5MiB", "1.5", 1}, {"2m", "2", 1},          {"0,25K", "0.25", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.argument);
    const std::optional<VolumeSizeText> size = ParseVolumeSize(c.argument);
    ASSERT_TRUE(size.has_value());
    EXPECT_EQ(size->number, c.number);
    EXPECT_EQ(size->unitIndex, c.unitIndex);
  }
}

}  // namespace
}  // namespace pb::cli
