// SPDX-License-Identifier: GPL-3.0-or-later
#include "backup/repair_writer.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "backup/backup_dialogs.h"
#include "store/repair_volume.h"
#include "store/volume_name.h"
#include "support/guarded_step.h"

namespace pb {

namespace {

// Bytes of each volume per step of the rows read back from a directory.
constexpr int64_t kSlice = 256 * 1024;
// The smallest write tried on a medium before the next one is asked for.
constexpr std::size_t kSmallestWrite = 512;

// One repair volume on its way to the media: pieces of it go on as the
// media fill, each piece listed in its medium's record.
class RepairFileOutput {
 public:
  RepairFileOutput(Runtime& runtime, std::string target, MediumRecord& record, RepairMedia& media, int number)
      : runtime_(runtime), target_(std::move(target)), record_(record), media_(media), number_(number) {}

  void Append(std::string_view bytes) {
    whole_.Update(bytes);
    while (!bytes.empty()) {
      if (!file_) OpenPiece();
      std::size_t count = bytes.size();
      for (;;) {
        const std::string_view part = bytes.substr(0, count);
        const WriteResult result = GuardedTargetWrite(runtime_, "PUT", [&] { file_->Write(part); });
        if (result == WriteResult::Done) break;
        count /= 2;
        if (count < kSmallestWrite) {
          ClosePiece();
          media_.Finished();
          AskForNextDiskette(runtime_.boxes);
          record_.NewMedium();
          media_.Inserted();
          count = 0;
          break;
        }
      }
      piece_->Update(bytes.substr(0, count));
      length_ += static_cast<int64_t>(count);
      bytes.remove_prefix(count);
    }
  }

  // Ends the volume with the checksum of all it holds.
  void Finish() {
    Append(whole_.Hex() + "\n");
    ClosePiece();
  }

 private:
  void OpenPiece() {
    ++pieceNumber_;
    name_ = RepairFileName(number_, pieceNumber_);
    const std::string path = target_ + name_;
    Guarded(runtime_.boxes, FailureGroup::VolumeManagement, [&] { record_.RepairFileOpening(name_); });
    Guarded(runtime_.boxes, FailureGroup::VolumeManagement, [&] {
      if (!runtime_.fs.FindEntry(path, kMaskFiles).empty()) {
        runtime_.fs.SetAttributesNormal(path);
        runtime_.fs.DeleteFile(path);
      }
    });
    file_ = Guarded(runtime_.boxes, FailureGroup::VolumeManagement, [&] { return runtime_.fs.OpenWritable(path); });
    length_ = 0;
    piece_.emplace();
  }

  void ClosePiece() {
    if (!file_) return;
    GuardedTargetWrite(runtime_, "PUT", [&] { file_->Flush(); });
    Guarded(runtime_.boxes, FailureGroup::VolumeManagement, [&] { file_->Close(); });
    file_.reset();
    record_.RepairFileClosed({name_, length_, piece_->Hex()});
    media_.Kept(target_ + name_);
  }

  Runtime& runtime_;
  std::string target_;
  MediumRecord& record_;
  RepairMedia& media_;
  int number_;
  int pieceNumber_ = 0;
  std::unique_ptr<WritableFile> file_;  // the piece being written
  std::string name_;
  int64_t length_ = 0;
  std::optional<VolumeChecksum> piece_;
  VolumeChecksum whole_;
};

}  // namespace

struct RepairWriter::Group {
  std::vector<VolumeEntry> volumes;
  std::vector<std::string> rows;  // on diskettes only
};

RepairWriter::RepairWriter(Runtime& runtime, std::string target, bool diskette, int rows, MediumRecord& record,
                           RepairMedia& media)
    : runtime_(runtime),
      target_(std::move(target)),
      diskette_(diskette),
      rows_(rows),
      record_(record),
      media_(media),
      encoder_(rows) {
  record_.SetRepairRows(rows);
}

RepairWriter::~RepairWriter() = default;

void RepairWriter::VolumeBegun() { volume_.clear(); }

void RepairWriter::Wrote(std::string_view bytes) {
  if (diskette_) volume_.append(bytes);
}

RepairWriter::Group& RepairWriter::GroupOf(int16_t number) {
  const std::size_t index = static_cast<std::size_t>((number - 1) / RepairGroupSize(rows_));
  while (groups_.size() <= index) groups_.push_back(std::make_unique<Group>());
  return *groups_[index];
}

void RepairWriter::VolumeKept(const VolumeEntry& entry) {
  Group& group = GroupOf(entry.number);
  std::erase_if(group.volumes, [&](const VolumeEntry& kept) { return kept.number == entry.number; });
  group.volumes.push_back(entry);
  if (!diskette_) return;
  group.rows.resize(static_cast<std::size_t>(rows_));
  std::vector<uint8_t*> rows;
  for (std::string& row : group.rows) {
    if (row.size() < volume_.size()) row.resize(volume_.size(), '\0');
    rows.push_back(reinterpret_cast<uint8_t*>(row.data()));
  }
  encoder_.Add(RepairGroupOf(entry.number, rows_).second, reinterpret_cast<const uint8_t*>(volume_.data()),
               volume_.size(), rows.data());
  volume_.clear();
}

void RepairWriter::Finish() {
  for (const auto& group : groups_) {
    std::sort(group->volumes.begin(), group->volumes.end(),
              [](const VolumeEntry& a, const VolumeEntry& b) { return a.number < b.number; });
    if (diskette_) {
      WriteFromMemory(*group);
    } else {
      WriteFromVolumes(*group);
    }
  }
}

void RepairWriter::WriteFromMemory(const Group& group) {
  for (int row = 0; row < rows_; ++row) {
    const RepairHead head{record_.setId(), row, rows_, group.volumes};
    // Each repair volume begins on a medium of its own, so one lost medium
    // costs at most one row where the rows fit.
    media_.Finished();
    AskRetryOrGiveUp(runtime_.boxes,
                     "Bitte eine leere Diskette für Reparaturband " + std::to_string(head.Number()) +
                         " einlegen\rund auf OK klicken.",
                     BoxIcon::Information);
    record_.NewMedium();
    media_.Inserted();
    RepairFileOutput output(runtime_, target_, record_, media_, head.Number());
    output.Append(RepairHeadBytes(head));
    output.Append(group.rows[static_cast<std::size_t>(row)]);
    output.Finish();
  }
}

void RepairWriter::WriteFromVolumes(const Group& group) {
  FileSystem& fs = runtime_.fs;
  std::vector<std::unique_ptr<ReadableFile>> volumes;
  std::vector<std::unique_ptr<RepairFileOutput>> outputs;
  int64_t length = 0;
  for (const VolumeEntry& entry : group.volumes) {
    length = std::max(length, entry.length);
    volumes.push_back(Guarded(runtime_.boxes, FailureGroup::VolumeManagement,
                              [&] { return fs.OpenReadable(target_ + VolumeFileName(entry.number)); }));
  }
  for (int row = 0; row < rows_; ++row) {
    const RepairHead head{record_.setId(), row, rows_, group.volumes};
    outputs.push_back(std::make_unique<RepairFileOutput>(runtime_, target_, record_, media_, head.Number()));
    outputs.back()->Append(RepairHeadBytes(head));
  }
  std::vector<std::string> rows(static_cast<std::size_t>(rows_));
  std::vector<uint8_t*> at(rows.size());
  for (int64_t offset = 0; offset < length; offset += kSlice) {
    runtime_.host.Yield();
    const int64_t slice = std::min(kSlice, length - offset);
    for (std::size_t r = 0; r < rows.size(); ++r) {
      rows[r].assign(static_cast<std::size_t>(slice), '\0');
      at[r] = reinterpret_cast<uint8_t*>(rows[r].data());
    }
    for (std::size_t v = 0; v < volumes.size(); ++v) {
      const int64_t count = std::min(slice, group.volumes[v].length - offset);
      if (count <= 0) continue;
      const std::string bytes = Guarded(runtime_.boxes, FailureGroup::VolumeManagement,
                                        [&] { return volumes[v]->ReadAt(offset, count); });
      encoder_.Add(RepairGroupOf(group.volumes[v].number, rows_).second,
                   reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), at.data());
    }
    for (std::size_t r = 0; r < rows.size(); ++r) outputs[r]->Append(rows[r]);
  }
  volumes.clear();
  for (const auto& output : outputs) output->Finish();
}

}  // namespace pb
