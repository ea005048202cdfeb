// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/errno_codes.h"

#include <cerrno>

#include "support/run_time_error.h"

namespace pb {

int32_t ErrorCodeFromErrno(int err) {
  switch (err) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return kMediumFull;
    case ENOMEDIUM:
    case ENODEV:
    case ENXIO:
    case ENOTCONN:
    case ESTALE:
    case ESHUTDOWN:
      return kDriveNotReady;
    case EIO:
      return kDeviceIo;
    case ENOENT:
      return kFileNotFound;
    case ENOTDIR:
      return kPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
    case EBUSY:
      return kPermissionDenied;
    case EEXIST:
    case ENOTEMPTY:
      return kFileExists;
    case EMFILE:
    case ENFILE:
      return kTooManyFiles;
    case ENOMEM:
      return kOutOfMemory;
    case EBADF:
      return kBadFileNameOrNumber;
    case EINVAL:
      return kInvalidCall;
    default:
      return kPathFileAccess;
  }
}

}  // namespace pb
