// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <vector>

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

TEST(MinimumVolumeCount, BoundsTheVolumesOfTheBestCompressingFiles) {
  struct Case {
    int64_t fileBytes;
    int fileCount;
    int64_t limit;
    int64_t volumes;
  };
  // At 51 bytes a volume takes fragments of at most 51, 35, 19 and 3 bytes;
  // each file's and the set's first volume may take one of 512 bytes instead.
  constexpr int64_t kSmall = 51 + 35 + 19 + 3;
  for (const Case& c : std::vector<Case>{
           {0, 0, 51, 0},
           {1, 1, 51, 1},
           {2 * 512 + kSmall, 1, 51, 1},
           {2 * 512 + kSmall + 1, 1, 51, 2},
           {2 * 512 + 32767 * kSmall, 1, 51, 32767},
           {11 * 512 + 32767 * kSmall + 1, 10, 51, 32768},
           {11552, 2, 600, 1},  // 600 + 584 + ... + 8
           {11553, 2, 600, 2},
           {int64_t{1} << 30, 1, 1457152, 1},
           {1, 1, 0, INT64_MAX},
       }) {
    EXPECT_EQ(MinimumVolumeCount(c.fileBytes, c.fileCount, c.limit), c.volumes)
        << c.fileBytes << " bytes, " << c.fileCount << " files, limit " << c.limit;
  }
}

}  // namespace
}  // namespace pb
