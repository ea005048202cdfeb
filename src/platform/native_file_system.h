// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The file system of the machine the program is built for, made from a
// DriveTable or a DriveReader (SystemDriveReader for the program, a test's
// own table), and the release of its media.
#ifdef _WIN32
#include "platform/windows/windows_file_system.h"
#include "platform/windows/windows_medium_release.h"
namespace pb {
using NativeFileSystem = WindowsFileSystem;
using NativeMediumRelease = WindowsMediumRelease;
}
#else
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_medium_release.h"
namespace pb {
using NativeFileSystem = PosixFileSystem;
using NativeMediumRelease = PosixMediumRelease;
}
#endif
