// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "support/file_system.h"

namespace pb {

// Where a stored file is restored: targetDir (with its trailing "\") followed by
// FileName without its first three characters, the drive of the source.
std::string TargetPathFor(const std::string& targetDir, const std::string& FileName);

// Creates the missing directories of Path level by level from the top, then
// creates the file itself, deleting the file there first when replace is
// set. When opened is given the new file is left open for writing there, so
// that a restore opens each file once; else it is closed. Returns 0, or the
// code of the first failure. Unsafe names are refused
// by the file system's path translation before anything is created, so
// nothing is ever created outside the drive root the target lies on.
int32_t CreateTargetFile(FileSystem& fs, const std::string& Path, bool replace = false,
                         std::optional<FileNumber>* opened = nullptr);

// The quick way where nothing lies at Path yet and its directory exists, as
// everywhere in a fresh target: the file is made new and left open for
// writing. nullopt when anything is in the way; CreateTargetFile then goes
// the careful way and tells why it fails.
std::optional<FileNumber> CreateNewTargetFile(FileSystem& fs, const std::string& Path);

// Why CreateTargetFile failed with code, in words for the user: looks at
// what lies at Path where the code alone does not tell.
std::string TargetFailureReason(FileSystem& fs, const std::string& Path, int32_t code);

}  // namespace pb
