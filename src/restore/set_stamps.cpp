// SPDX-License-Identifier: GPL-3.0-or-later
#include "restore/set_stamps.h"

#include <memory>

#include "store/identity_file.h"
#include "support/run_time_error.h"

namespace pb {

namespace {

// A record of more is no record of this program's making.
constexpr int64_t kLargestRecord = 64 << 20;

std::optional<std::string> ReadWhole(FileSystem& fs, const std::string& path) {
  if (fs.FindEntry(path, kMaskFiles).empty()) return std::nullopt;
  const std::unique_ptr<ReadableFile> file = fs.OpenReadable(path);
  return file->Length() <= kLargestRecord ? file->ReadAt(0, file->Length()) : std::string();
}

}  // namespace

SetStamps::Found SetStamps::Load(FileSystem& fs, const std::string& directory) {
  std::optional<std::string> bytes;
  try {
    bytes = ReadWhole(fs, directory + std::string(kStampFileName));
  } catch (const RunTimeError&) {
    return Found::Damaged;
  }
  if (!bytes) return Found::None;
  std::optional<StampRecord> record = ParseStampRecord(*bytes);
  if (!record) return Found::Damaged;
  if (record->files.size() != fileCount_ || record->namesChecksum != names_.Hex()) return Found::None;
  if (const std::optional<SetIdentity> identity = ReadIdentityRecord(fs, directory);
      identity && !record->setId.empty() && identity->setId != record->setId) {
    return Found::None;
  }
  record_ = std::move(*record);
  return Found::Fits;
}

std::optional<FileStamp> SetStamps::FileStampOf(int number) const {
  const auto at = static_cast<std::size_t>(number - 1);
  if (number < 1 || at >= record_.files.size() || record_.files[at].mode == kStampUnknown) return std::nullopt;
  return record_.files[at];
}

}  // namespace pb
