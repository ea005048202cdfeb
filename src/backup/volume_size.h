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

// number Kbyte (unitIndex 0) or Mbyte (1) in bytes, rounded as above; sizes
// beyond int64_t are clamped to its ends.
int64_t VolumeSizeBytes(double number, int unitIndex);

// The shortest fragment the disk-full fallback tries before it asks for the
// next diskette; also what a volume gets when its leading records alone reach
// the size limit, so such a volume still makes progress.
inline constexpr int32_t kMinimumFragment = 512;

// A lower bound of the volumes a run needs for fileCount files of fileBytes
// bytes in all at the size limit, whatever the files hold: a
// fragment is cut at what the volume has free, and every fragment takes at
// least 16 bytes of it, however well it compresses.
int64_t MinimumVolumeCount(int64_t fileBytes, int fileCount, int64_t limit);

}  // namespace pb
