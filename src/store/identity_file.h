// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "store/set_identity.h"
#include "support/file_system.h"

namespace pb {

// The identity record beside the volumes in directory (drive form, ending in
// "\"); nullopt when there is none, it cannot be read, or it is not one this
// program knows.
std::optional<SetIdentity> ReadIdentityRecord(FileSystem& fs, const std::string& directory);

struct FileChecksum {
  int64_t length = 0;
  std::string checksum;  // VolumeChecksum::Hex
};

// Reads an open file from its first byte to its end. The position afterwards
// is unspecified. Throws RunTimeError when a read fails.
FileChecksum ChecksumOfFile(FileSystem& fs, FileNumber file);

}  // namespace pb
