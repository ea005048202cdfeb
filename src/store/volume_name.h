// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pb {

// "DataBlock#<n>.Parcelbarge", n in plain decimal without padding. Callers
// prepend the directory with its trailing backslash.
std::string VolumeFileName(int16_t VolumeNumber);
// The number of a name VolumeFileName gives; nullopt for any other name.
std::optional<int16_t> VolumeNumberOf(std::string_view name);

// Whether a file of that name in a set's directory is part of the set: a
// volume or repair volume, whatever its number, or a record beside the volumes.
bool IsSetFileName(std::string_view name);

}  // namespace pb
