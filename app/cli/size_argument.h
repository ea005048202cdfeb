// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

namespace pb::cli {

// A volume size as the options page takes it: the number's text with "." as
// its decimal point and the unit list's index (0 Kbyte, 1 Mbyte).
struct VolumeSizeText {
  std::string number;
  int unitIndex = 0;
};

// "1423K", "1,5M", "1.5MiB", "100k": a number, a "," or "." with digits after
// it if any, then K, k, KiB, M, m or MiB. Anything else is nullopt.
std::optional<VolumeSizeText> ParseVolumeSize(const std::string& argument);

}  // namespace pb::cli
