// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

namespace pb {

// Used when no own volume size is ticked: in practice no limit, so only a full
// medium ends a volume.
inline constexpr int64_t kDefaultVolumeSize = 536870912;

// The volume size in bytes: when own is ticked, the number at the start of
// text ("." as the decimal point, 0 when there is none) times
// 1024^(unitIndex + 1), rounded to the nearest integer with ties to even;
// otherwise kDefaultVolumeSize. The result is not checked here: it may be 0,
// negative or too large for the format (see BackupRefusal).
int64_t VolumeSizeLimit(bool own, const std::string& text, int unitIndex);

}  // namespace pb
