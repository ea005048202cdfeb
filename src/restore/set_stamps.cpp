// SPDX-License-Identifier: GPL-3.0-or-later
#include "restore/set_stamps.h"

#include <algorithm>
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

SetStamps::Found SetStamps::Take(
    FileSystem& fs, const std::string& directory,
    const std::function<bool(const StampRecord&, const std::optional<SetIdentity>&)>& fits) {
  std::optional<std::string> bytes;
  try {
    bytes = ReadWhole(fs, directory + std::string(kStampFileName));
  } catch (const RunTimeError&) {
    return Found::Damaged;
  }
  if (!bytes) return Found::None;
  std::optional<StampRecord> record = ParseStampRecord(*bytes);
  if (!record) return Found::Damaged;
  if (!fits(*record, ReadIdentityRecord(fs, directory))) return Found::None;
  record_ = std::move(*record);
  return Found::Fits;
}

SetStamps::Found SetStamps::Load(FileSystem& fs, const std::string& directory) {
  return Take(fs, directory, [&](const StampRecord& record, const std::optional<SetIdentity>& identity) {
    return record.files.size() == fileCount_ && record.namesChecksum == names_.Hex() &&
           !(identity && !record.setId.empty() && identity->setId != record.setId);
  });
}

SetStamps::Found SetStamps::LoadBeforeEnd(FileSystem& fs, const std::string& directory, int32_t setFileCount) {
  return Take(fs, directory, [&](const StampRecord& record, const std::optional<SetIdentity>& identity) {
    return identity && !record.setId.empty() && identity->setId == record.setId &&
           record.files.size() == static_cast<std::size_t>(std::max(setFileCount, 0));
  });
}

std::optional<FileStamp> SetStamps::FileStampOf(int number) const {
  const auto at = static_cast<std::size_t>(number - 1);
  if (number < 1 || at >= record_.files.size() || record_.files[at].mode == kStampUnknown) return std::nullopt;
  return record_.files[at];
}

}  // namespace pb
