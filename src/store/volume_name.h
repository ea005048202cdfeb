// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

namespace pb {

// "DataBlock#<n>.Parcelbarge", n in plain decimal without padding. Callers
// prepend the directory with its trailing backslash.
std::string VolumeFileName(int16_t VolumeNumber);

}  // namespace pb
