// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/identity_file.h"

#include <algorithm>

#include "support/run_time_error.h"

namespace pb {

namespace {

// Far more than any record this program writes; a larger file is no record.
constexpr int64_t kMaxRecordBytes = 4 << 20;
constexpr int64_t kChunk = 1 << 20;

}  // namespace

std::optional<SetIdentity> ReadIdentityRecord(FileSystem& fs, const std::string& directory) {
  const std::string path = directory + std::string(kIdentityFileName);
  try {
    if (fs.FindEntry(path, kMaskOrdinary).empty()) return std::nullopt;
    const FileNumber file = fs.Open(path, OpenMode::BinaryRead);
    std::string bytes;
    try {
      const int64_t length = fs.Length(file);
      if (length <= kMaxRecordBytes) bytes = fs.Read(file, length);
    } catch (const RunTimeError&) {
      bytes.clear();
    }
    fs.Close(file);
    return ParseIdentityRecord(bytes);
  } catch (const RunTimeError&) {
    return std::nullopt;
  }
}

const std::optional<SetIdentity>& IdentityRecordReader::Record() {
  std::string identity;
  try {
    identity = fs_.FileIdentity(directory_ + std::string(kIdentityFileName));
  } catch (const RunTimeError&) {
  }
  // Without an identity (none there, a link, a drive without a medium) it is
  // looked at each time, as ReadIdentityRecord does.
  if (identity.empty() || identity != identity_) record_ = ReadIdentityRecord(fs_, directory_);
  identity_ = identity;
  return record_;
}

FileChecksum ChecksumOfFile(ReadableFile& file) {
  FileChecksum result;
  result.length = file.Length();
  VolumeChecksum checksum;
  for (int64_t done = 0; done < result.length;) {
    const int64_t count = std::min(kChunk, result.length - done);
    checksum.Update(file.ReadAt(done, count));
    done += count;
  }
  result.checksum = checksum.Hex();
  return result;
}

}  // namespace pb
