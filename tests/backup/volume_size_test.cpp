// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "backup/volume_size.h"

namespace pb {
namespace {

TEST(VolumeSizeLimit, OwnSizeIsTheLeadingNumberTimesTheUnit) {
  EXPECT_EQ(VolumeSizeLimit(true, "1423", 0), 1457152);
  EXPECT_EQ(VolumeSizeLimit(true, "1", 1), 1048576);
  EXPECT_EQ(VolumeSizeLimit(true, "1.5", 0), 1536);
  EXPECT_EQ(VolumeSizeLimit(true, "  12abc", 0), 12288);
  EXPECT_EQ(VolumeSizeLimit(true, ".5", 0), 512);
  EXPECT_EQ(VolumeSizeLimit(true, "1e1", 0), 10240);
  EXPECT_EQ(VolumeSizeLimit(true, "2e", 0), 2048);
  EXPECT_EQ(VolumeSizeLimit(true, "2048", 1), 2147483648);
}

TEST(VolumeSizeLimit, TextWithoutLeadingNumberCountsAsZero) {
  EXPECT_EQ(VolumeSizeLimit(true, "abc", 0), 0);
  EXPECT_EQ(VolumeSizeLimit(true, "", 1), 0);
  EXPECT_EQ(VolumeSizeLimit(true, ".", 0), 0);
  EXPECT_EQ(VolumeSizeLimit(true, "1,5", 0), 1024);  // only "." is a decimal point
  EXPECT_EQ(VolumeSizeLimit(true, "-3", 0), -3072);
}

TEST(VolumeSizeLimit, RoundsHalfToEven) {
  // 0.5 and 1.5 and 2.5 bytes as Kbyte fractions.
  EXPECT_EQ(VolumeSizeLimit(true, "0.00048828125", 0), 0);
  EXPECT_EQ(VolumeSizeLimit(true, "0.00146484375", 0), 2);
  EXPECT_EQ(VolumeSizeLimit(true, "0.00244140625", 0), 2);
}

TEST(VolumeSizeLimit, WithoutOwnSizeTheTextIsIgnored) {
  EXPECT_EQ(VolumeSizeLimit(false, "1423", 0), 536870912);
  EXPECT_EQ(VolumeSizeLimit(false, "abc", 1), 536870912);
}

TEST(VolumeSizeLimit, HugeNumbersStayDefined) {
  EXPECT_EQ(VolumeSizeLimit(true, "1e300", 1), INT64_MAX);
  EXPECT_EQ(VolumeSizeLimit(true, "-1e300", 1), INT64_MIN);
}

}  // namespace
}  // namespace pb
