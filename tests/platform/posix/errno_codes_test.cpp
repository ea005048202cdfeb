// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/errno_codes.h"

#include <cerrno>

#include <gtest/gtest.h>

#include "support/run_time_error.h"

namespace pb {
namespace {

TEST(ErrorCodeFromErrnoTest, FullAndNotReadyConditionsAreTheRunsCodes) {
  for (const int err : {ENOSPC, EDQUOT, EFBIG}) EXPECT_EQ(ErrorCodeFromErrno(err), kMediumFull) << err;
  for (const int err : {ENOMEDIUM, ENODEV, ENXIO, ENOTCONN, ESTALE}) {
    EXPECT_EQ(ErrorCodeFromErrno(err), kDriveNotReady) << err;
  }
}

TEST(ErrorCodeFromErrnoTest, OtherConditionsMapOntoTheCatalogue) {
  EXPECT_EQ(ErrorCodeFromErrno(EACCES), kPermissionDenied);
  EXPECT_EQ(ErrorCodeFromErrno(EPERM), kPermissionDenied);
  EXPECT_EQ(ErrorCodeFromErrno(EROFS), kPermissionDenied);
  EXPECT_EQ(ErrorCodeFromErrno(ENOENT), kFileNotFound);
  EXPECT_EQ(ErrorCodeFromErrno(ENOTDIR), kPathNotFound);
  EXPECT_EQ(ErrorCodeFromErrno(EIO), kDeviceIo);
  EXPECT_EQ(ErrorCodeFromErrno(EEXIST), kFileExists);
  EXPECT_EQ(ErrorCodeFromErrno(EMFILE), kTooManyFiles);
  EXPECT_EQ(ErrorCodeFromErrno(ENOMEM), kOutOfMemory);
  EXPECT_EQ(ErrorCodeFromErrno(EISDIR), kPathFileAccess);
  EXPECT_EQ(ErrorCodeFromErrno(ELOOP), kPathFileAccess);
}

}  // namespace
}  // namespace pb
