// SPDX-License-Identifier: GPL-3.0-or-later
#include "backup/medium_record.h"

#include <algorithm>

#include "store/identity_file.h"
#include "support/run_time_error.h"

namespace pb {

namespace {

// What the record may cost on a diskette: one cluster. Volumes beyond what it
// holds stand without an entry.
constexpr std::size_t kDisketteRecordBytes = 512;

}  // namespace

MediumRecord::MediumRecord(FileSystem& fs, std::string target, bool diskette)
    : fs_(fs), path_(target + std::string(kIdentityFileName)), diskette_(diskette), setId_(NewSetId()) {
  identity_.setId = setId_;
}

void MediumRecord::Meet() {
  if (!mediumSeen_) {
    // A medium this run wrote on before (the same directory after a full
    // disk) keeps the entries of its volumes; any other record goes.
    const std::string directory = path_.substr(0, path_.size() - kIdentityFileName.size());
    const std::optional<SetIdentity> found = ReadIdentityRecord(fs_, directory);
    identity_ = SetIdentity{setId_, {}};
    identity_.repairRows = repairRows_;
    storedSize_ = 0;
    if (found && found->setId == setId_) {
      identity_ = *found;
      storedSize_ = static_cast<int64_t>(IdentityRecordBytes(identity_).size());
    } else if (!fs_.FindEntry(path_, kMaskFiles).empty()) {
      fs_.SetAttributesNormal(path_);
      fs_.DeleteFile(path_);
    }
    mediumSeen_ = true;
  }
}

void MediumRecord::Opening(int16_t number) {
  Meet();
  // An entry of the number from before (the volume is written again) goes.
  const bool replacing = identity_.Find(number) != nullptr;
  identity_.Remove(number);
  SetIdentity reserved = identity_;
  const VolumeEntry& entry = reserved.Put({number, VolumeState::Open, 0, ""});
  const std::size_t at = static_cast<std::size_t>(&entry - reserved.volumes.data());
  if (!diskette_ || IdentityRecordBytes(reserved).size() <= kDisketteRecordBytes) {
    identity_ = std::move(reserved);
    Store(replacing ? 0 : at, false);
  } else if (replacing) {
    Store(0, false);
  }
}

void MediumRecord::Removed(int16_t number) {
  identity_.Remove(number);
  Store(0, true);
}

void MediumRecord::Closed(int16_t number, int64_t length, const std::string& checksum, VolumeState state,
                          bool flush) {
  // A volume without a reserved entry gets none now: the medium may be full.
  const VolumeEntry* reserved = identity_.Find(number);
  if (!reserved) return;
  const std::size_t at = static_cast<std::size_t>(reserved - identity_.volumes.data());
  identity_.Put({number, state, length, checksum});
  Store(at, flush);
}

void MediumRecord::SetRepairRows(int rows) {
  repairRows_ = rows;
  identity_.repairRows = rows;
}

void MediumRecord::RepairFileOpening(const std::string& name) {
  Meet();
  SetIdentity reserved = identity_;
  reserved.repairFiles.push_back({name, 0, std::string(32, '0')});
  if (diskette_ && IdentityRecordBytes(reserved).size() > kDisketteRecordBytes) return;
  identity_ = std::move(reserved);
  Store(identity_.volumes.size(), false);
}

void MediumRecord::RepairFileClosed(const RepairFileEntry& entry) {
  for (RepairFileEntry& listed : identity_.repairFiles) {
    if (listed.name != entry.name) continue;
    listed = entry;
    Store(identity_.volumes.size(), true);
  }
}

void MediumRecord::Store(std::size_t from, bool flush) {
  try {
    // A medium of repair volumes alone has its record too.
    if (identity_.volumes.empty() && identity_.repairFiles.empty()) {
      if (storedSize_ > 0) fs_.DeleteFile(path_);
      storedSize_ = 0;
      return;
    }
    const std::string bytes = IdentityRecordBytes(identity_);
    // In place it needs no more room than it had; only a shorter record
    // empties the file first. Lines before from are on the medium already,
    // so a set of many volumes does not write its record over and over.
    const bool shorter = static_cast<int64_t>(bytes.size()) < storedSize_;
    std::size_t offset = 0;
    if (!shorter && storedSize_ > 0 && from > 0) {
      const SetIdentity before{identity_.setId, {identity_.volumes.begin(), identity_.volumes.begin() + static_cast<std::ptrdiff_t>(from)}};
      offset = std::min(IdentityRecordBytes(before).size(), static_cast<std::size_t>(storedSize_));
    }
    const FileNumber file = fs_.Open(path_, shorter ? OpenMode::Output : OpenMode::BinaryWrite);
    try {
      if (offset > 0) fs_.Seek(file, static_cast<int64_t>(offset) + 1);
      fs_.Write(file, std::string_view(bytes).substr(offset));
      if (flush) fs_.Flush(file);
    } catch (const RunTimeError&) {
      fs_.Close(file);
      throw;
    }
    fs_.Close(file);
    storedSize_ = static_cast<int64_t>(bytes.size());
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
