// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

#include "support/file_system.h"

namespace pb {

// Where a stored file is restored: targetDir (with its trailing "\") followed by
// FileName without its first three characters, the drive of the source.
std::string TargetPathFor(const std::string& targetDir, const std::string& FileName);

// Creates the missing directories of Path level by level from the top, then
// creates or empties the file itself. Returns 0, or the code of the first
// failure. Unsafe names are refused by the file system's path translation, so
// nothing is ever created outside the drive root the target lies on.
int32_t CreateTargetFile(FileSystem& fs, const std::string& Path);

}  // namespace pb
