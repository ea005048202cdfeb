// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

#include "support/file_system.h"

namespace pb::cli {

// A stored time for a person, in local time to the minute: "2020-01-31 14:05";
// "-" when there is none or it lies outside years 1 to 9999.
std::string LocalTimeText(const std::optional<FileStamp>& stamp);
// For scripts: UTC to the nanosecond, "2020-01-31T13:05:00.123456789Z"; "-"
// as above.
std::string UtcTimeText(const std::optional<FileStamp>& stamp);

}  // namespace pb::cli
