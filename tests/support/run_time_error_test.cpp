// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/run_time_error.h"

#include <gtest/gtest.h>

namespace pb {
namespace {

TEST(RunTimeErrorTest, CarriesCodeAndGermanDescription) {
  const RunTimeError full(kMediumFull);
  EXPECT_EQ(full.code(), 61);
  EXPECT_EQ(full.description(), "Datenträger voll");
  EXPECT_STREQ(full.what(), "Datenträger voll /61");
  EXPECT_EQ(RunTimeError(kDriveNotReady).description(), "Datenträger nicht bereit");
  EXPECT_EQ(RunTimeError(-5, "").description(), "");
  EXPECT_EQ(RunTimeError(-5, "").code(), -5);
  EXPECT_FALSE(ErrorDescription(9999).empty());
}

}  // namespace
}  // namespace pb
