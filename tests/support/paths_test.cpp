// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/paths.h"

#include <gtest/gtest.h>

namespace pb {
namespace {

TEST(WithTrailingBackslashTest, AppendsExactlyOneSeparator) {
  EXPECT_EQ(WithTrailingBackslash("C:\\Daten"), "C:\\Daten\\");
  EXPECT_EQ(WithTrailingBackslash("A:\\"), "A:\\");
  EXPECT_EQ(WithTrailingBackslash("A:"), "A:\\");
  EXPECT_EQ(WithTrailingBackslash(""), "\\");
  EXPECT_EQ(WithTrailingBackslash("C:\\Daten\\\\"), "C:\\Daten\\\\") << "only the last character counts";
}

}  // namespace
}  // namespace pb
