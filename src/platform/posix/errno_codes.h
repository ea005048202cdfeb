// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace pb {

// Maps an errno value of a failed system call onto the catalogue.
int32_t ErrorCodeFromErrno(int err);

}  // namespace pb
