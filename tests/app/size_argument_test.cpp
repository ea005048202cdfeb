// SPDX-License-Identifier: GPL-3.0-or-later
#include "size_argument.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace pb::cli {
namespace {

// Which texts are refused is part of the command-line table.
TEST(SizeArgumentTest, NumberAndUnitInBytesAsTheOptionsPageRoundsThem) {
  const struct {
    const char* argument;
    int64_t bytes;
  } cases[] = {
      {"1423K", 1457152},  {"1423k", 1457152},  {"1423KiB", 1457152}, {"1,5M", 1572864},
      {"1.5M", 1572864},   {"1,5MiB", 1572864}, {"2m", 2097152},      {"0,25K", 256},
      {"0.0009765625K", 1}, {"0.00048828125K", 0},  // half a byte: ties to even
      {"2048M", 2147483648}, {"99999999999999999999M", INT64_MAX},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.argument);
    EXPECT_EQ(ParseVolumeSize(c.argument), std::optional<int64_t>(c.bytes));
  }
}

}  // namespace
}  // namespace pb::cli
