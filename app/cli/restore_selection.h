// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace pb::cli {

// Whether a stored name is chosen by patterns (all names when there are none).
// A pattern matches the name with or without its drive ("C:\"), or a
// directory above it, so a directory chooses everything below it. "*" stands
// for any text, "?" for one character; "/" and "\" both separate.
bool Chosen(const std::string& FileName, const std::vector<std::string>& patterns);

// The path below the restore's target for a chosen stored name, without the
// drive and its first stripComponents directories; nullopt when the name is
// not chosen or nothing is left of it.
std::optional<std::string> PlaceBelowTarget(const std::string& FileName, const std::vector<std::string>& patterns,
                                            int stripComponents);

}  // namespace pb::cli
