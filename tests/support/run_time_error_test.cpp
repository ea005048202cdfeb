#include "support/run_time_error.h"

#include <cerrno>

#include <gtest/gtest.h>

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
