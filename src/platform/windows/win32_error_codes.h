// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace pb {

// Maps the error of a failed Windows API call (GetLastError) onto the
// catalogue, as ErrorCodeFromErrno does for POSIX systems.
int32_t ErrorCodeFromWin32(unsigned long error);

}  // namespace pb
