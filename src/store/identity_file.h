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

// The identity record of one directory for a reader that looks at it for
// each volume: read again only when the file there is another one or has
// changed (another medium put in), so a set of many volumes reads it once
// per medium.
class IdentityRecordReader {
 public:
  // directory ends in "\".
  IdentityRecordReader(FileSystem& fs, std::string directory) : fs_(fs), directory_(std::move(directory)) {}
  // As ReadIdentityRecord.
  const std::optional<SetIdentity>& Record();

 private:
  FileSystem& fs_;
  std::string directory_;
  std::string identity_;  // FileIdentity of the file record_ was read from; "" before
  std::optional<SetIdentity> record_;
};

struct FileChecksum {
  int64_t length = 0;
  std::string checksum;  // VolumeChecksum::Hex
};

// Reads a file from its first byte to its length at opening. Throws
// RunTimeError when a read fails.
FileChecksum ChecksumOfFile(ReadableFile& file);

}  // namespace pb
