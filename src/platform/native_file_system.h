// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The file system of the machine the program is built for, made from a
// DriveTable (DriveTable::FromSystem for the program, a test's own table).
#ifdef _WIN32
#include "platform/windows/windows_file_system.h"
namespace pb {
using NativeFileSystem = WindowsFileSystem;
}
#else
#include "platform/posix/posix_file_system.h"
namespace pb {
using NativeFileSystem = PosixFileSystem;
}
#endif
