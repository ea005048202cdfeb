// SPDX-License-Identifier: GPL-3.0-or-later
#include "backup/medium_record.h"

#include <algorithm>

#include "store/identity_file.h"
#include "support/run_time_error.h"

namespace pb {

namespace {

// What the record may cost on a diskette: one cluster. A diskette with more
// volumes than it holds keeps no record: readers refuse a volume that a
// record of its set leaves out.
constexpr std::size_t kDisketteRecordBytes = 512;

// Every volume's line has this many bytes, its end included.
const std::size_t kVolumeLineBytes = VolumeLine(VolumeEntry{1, VolumeState::Open, 0, ""}).size() + 1;

}  // namespace

MediumRecord::MediumRecord(FileSystem& fs, std::string target, bool diskette)
    : fs_(fs), path_(target + std::string(kIdentityFileName)), diskette_(diskette), setId_(NewSetId()) {
  identity_.setId = setId_;
  text_ = RecordHeadBytes(identity_);
}

void MediumRecord::Meet() {
  if (mediumSeen_) return;
  // A medium this run wrote on before (the same directory after a full
  // disk) keeps the entries of its volumes; any other record goes.
  const std::string directory = path_.substr(0, path_.size() - kIdentityFileName.size());
  const std::optional<SetIdentity> found = ReadIdentityRecord(fs_, directory);
  identity_ = SetIdentity{setId_, {}};
  identity_.repairRows = repairRows_;
  storedSize_ = 0;
  if (found && found->setId == setId_) {
    identity_ = *found;
    text_ = IdentityRecordBytes(identity_);
    storedSize_ = static_cast<int64_t>(text_.size());
  } else {
    text_ = RecordHeadBytes(identity_);
    if (!fs_.FindEntry(path_, kMaskFiles).empty()) {
      fs_.SetAttributesNormal(path_);
      fs_.DeleteFile(path_);
    }
  }
  mediumSeen_ = true;
  dropped_ = false;
}

std::size_t MediumRecord::IndexOf(int16_t number) const {
  const auto at = std::lower_bound(identity_.volumes.begin(), identity_.volumes.end(), number,
                                   [](const VolumeEntry& entry, int16_t wanted) { return entry.number < wanted; });
  return static_cast<std::size_t>(at - identity_.volumes.begin());
}

std::optional<std::size_t> MediumRecord::EntryOf(int16_t number) const {
  const std::size_t at = IndexOf(number);
  if (at == identity_.volumes.size() || identity_.volumes[at].number != number) return std::nullopt;
  return at;
}

std::size_t MediumRecord::VolumeOffset(std::size_t index) const {
  return RecordHeadBytes(identity_).size() + index * kVolumeLineBytes;
}

void MediumRecord::Opening(int16_t number) {
  Meet();
  const VolumeEntry entry{number, VolumeState::Open, 0, ""};
  const std::string line = VolumeLine(entry) + "\n";
  const std::size_t at = IndexOf(number);
  const std::size_t offset = VolumeOffset(at);
  std::vector<VolumeEntry>& volumes = identity_.volumes;
  if (at < volumes.size() && volumes[at].number == number) {
    // The volume is written again: its entry from before goes.
    volumes[at] = entry;
    text_.replace(offset, line.size(), line);
    Store(offset, line.size(), false);
    return;
  }
  if (dropped_) return;
  if (diskette_ && text_.size() + line.size() > kDisketteRecordBytes) {
    volumes.clear();
    identity_.repairFiles.clear();
    text_ = RecordHeadBytes(identity_);
    Store(0, 0, true);
    dropped_ = true;
    return;
  }
  volumes.insert(volumes.begin() + static_cast<std::ptrdiff_t>(at), entry);
  text_.insert(offset, line);
  Store(offset, line.size(), false);
}

void MediumRecord::Removed(int16_t number) {
  const std::optional<std::size_t> at = EntryOf(number);
  if (!at) return;
  identity_.volumes.erase(identity_.volumes.begin() + static_cast<std::ptrdiff_t>(*at));
  const std::size_t offset = VolumeOffset(*at);
  text_.erase(offset, kVolumeLineBytes);
  Store(offset, 0, true);
}

void MediumRecord::Closed(int16_t number, int64_t length, const std::string& checksum, VolumeState state,
                          bool flush) {
  // A volume without a reserved entry gets none now: the medium may be full.
  const std::optional<std::size_t> at = EntryOf(number);
  if (!at) return;
  identity_.volumes[*at] = {number, state, length, checksum};
  text_.replace(VolumeOffset(*at), kVolumeLineBytes, VolumeLine(identity_.volumes[*at]) + "\n");
  Store(VolumeOffset(*at), kVolumeLineBytes, flush);
}

void MediumRecord::GivenUpAfter(int16_t number) {
  const std::optional<std::size_t> at = EntryOf(number);
  if (!at || identity_.volumes[*at].state != VolumeState::More) return;
  const VolumeEntry entry = identity_.volumes[*at];
  Closed(number, entry.length, entry.checksum, VolumeState::GivenUp, true);
}

void MediumRecord::SetRepairRows(int rows) {
  repairRows_ = rows;
  identity_.repairRows = rows;
  text_ = IdentityRecordBytes(identity_);
  if (storedSize_ > 0) Store(0, text_.size(), false);
}

void MediumRecord::RepairFileOpening(const std::string& name) {
  Meet();
  const RepairFileEntry entry{name, 0, std::string(32, '0')};
  const std::string line = RepairFileLine(entry) + "\n";
  if (dropped_ || (diskette_ && text_.size() + line.size() > kDisketteRecordBytes)) return;
  identity_.repairFiles.push_back(entry);
  const std::size_t offset = text_.size();
  text_ += line;
  Store(offset, line.size(), false);
}

void MediumRecord::RepairFileClosed(const RepairFileEntry& entry) {
  std::size_t offset = VolumeOffset(identity_.volumes.size());
  for (RepairFileEntry& listed : identity_.repairFiles) {
    const std::size_t size = RepairFileLine(listed).size() + 1;
    if (listed.name == entry.name) {
      listed = entry;
      text_.replace(offset, size, RepairFileLine(listed) + "\n");
      Store(offset, size, true);
    }
    offset += size;
  }
}

void MediumRecord::Store(std::size_t from, std::size_t count, bool flush) {
  try {
    // A medium of repair volumes alone has its record too.
    if (identity_.volumes.empty() && identity_.repairFiles.empty()) {
      if (storedSize_ > 0) fs_.DeleteFile(path_);
      storedSize_ = 0;
      return;
    }
    const int64_t size = static_cast<int64_t>(text_.size());
    std::string_view bytes(text_);
    FileNumber file = 0;
    if (storedSize_ == 0 || static_cast<int64_t>(from) > storedSize_) {
      file = fs_.Open(path_, OpenMode::Output);
    } else if (size < storedSize_) {
      // Cut back first, so no line of before stays behind its end.
      file = fs_.Reopen(path_, static_cast<int64_t>(from));
      bytes = bytes.substr(from);
    } else {
      file = fs_.Open(path_, OpenMode::BinaryWrite);
      bytes = size == storedSize_ ? bytes.substr(from, count) : bytes.substr(from);
      try {
        fs_.Seek(file, static_cast<int64_t>(from) + 1);
      } catch (const RunTimeError&) {
        fs_.Close(file);
        throw;
      }
    }
    try {
      fs_.Write(file, bytes);
      if (flush) fs_.Flush(file);
    } catch (const RunTimeError&) {
      fs_.Close(file);
      throw;
    }
    fs_.Close(file);
    storedSize_ = size;
  } catch (const RunTimeError&) {
    // Better no record than one that tells of other bytes.
    try {
      if (!fs_.FindEntry(path_, kMaskFiles).empty()) fs_.DeleteFile(path_);
      storedSize_ = 0;
    } catch (const RunTimeError&) {
    }
  }
}

}  // namespace pb
