// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace pb::cli {

// "1423K", "1,5M", "1.5MiB", "100k": a number, a "," or "." with digits after
// it if any, then K, k, KiB, M, m or MiB, in bytes rounded as the options page
// rounds its own size. Anything else is nullopt.
std::optional<int64_t> ParseVolumeSize(const std::string& argument);

}  // namespace pb::cli
