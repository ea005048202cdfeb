// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/windows/win32_error_codes.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "support/run_time_error.h"

namespace pb {
namespace {

struct Mapping {
  DWORD error;
  int32_t code;
};

TEST(ErrorCodeFromWin32Test, SystemErrorsMapOntoTheCatalogue) {
  const Mapping table[] = {
      {ERROR_DISK_FULL, kMediumFull},          {ERROR_HANDLE_DISK_FULL, kMediumFull},
      {ERROR_FILE_TOO_LARGE, kMediumFull},     {ERROR_NOT_READY, kDriveNotReady},
      {ERROR_NO_MEDIA_IN_DRIVE, kDriveNotReady}, {ERROR_MEDIA_CHANGED, kDriveNotReady}, {ERROR_FILE_INVALID, kDriveNotReady},
      {ERROR_WRONG_DISK, kDriveNotReady},      {ERROR_UNRECOGNIZED_VOLUME, kDriveNotReady},
      {ERROR_INVALID_DRIVE, kDriveNotReady},   {ERROR_DEVICE_NOT_CONNECTED, kDriveNotReady},
      {ERROR_CRC, kDeviceIo},                  {ERROR_WRITE_FAULT, kDeviceIo},
      {ERROR_READ_FAULT, kDeviceIo},           {ERROR_FILE_NOT_FOUND, kFileNotFound},
      {ERROR_PATH_NOT_FOUND, kPathNotFound},   {ERROR_DIRECTORY, kPathNotFound},
      {ERROR_ACCESS_DENIED, kPermissionDenied}, {ERROR_WRITE_PROTECT, kPermissionDenied},
      {ERROR_SHARING_VIOLATION, kPermissionDenied}, {ERROR_ALREADY_EXISTS, kFileExists},
      {ERROR_FILE_EXISTS, kFileExists},        {ERROR_DIR_NOT_EMPTY, kFileExists},
      {ERROR_TOO_MANY_OPEN_FILES, kTooManyFiles}, {ERROR_NOT_ENOUGH_MEMORY, kOutOfMemory},
      {ERROR_INVALID_HANDLE, kBadFileNameOrNumber}, {ERROR_INVALID_NAME, kBadFileNameOrNumber},
      {ERROR_INVALID_PARAMETER, kInvalidCall}, {ERROR_CANT_RESOLVE_FILENAME, kPathFileAccess},
      {ERROR_BUSY, kPathFileAccess},
  };
  for (const Mapping& mapping : table) EXPECT_EQ(ErrorCodeFromWin32(mapping.error), mapping.code) << mapping.error;
}

}  // namespace
}  // namespace pb
