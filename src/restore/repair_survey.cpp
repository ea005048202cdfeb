// SPDX-License-Identifier: GPL-3.0-or-later
#include "restore/repair_survey.h"

#include <algorithm>

#include "store/identity_file.h"
#include "store/repair_code.h"
#include "store/volume_name.h"
#include "support/run_time_error.h"

namespace pb {

namespace {

// Bytes of each volume rebuilt in one step: a whole group of them is held.
constexpr int64_t kSlice = 64 * 1024;
constexpr int64_t kChunk = 1 << 20;

std::string ReadAt(FileSystem& fs, const std::string& path, int64_t offset, int64_t count) {
  const FileNumber file = fs.Open(path, OpenMode::BinaryRead);
  try {
    fs.Seek(file, offset + 1);
    std::string bytes = fs.Read(file, count);
    fs.Close(file);
    return bytes;
  } catch (const RunTimeError&) {
    fs.Close(file);
    throw;
  }
}

}  // namespace

// One repair volume: its pieces in order, read as one.
struct RepairSurvey::Row {
  RepairHead head;
  std::size_t headBytes = 0;
  std::vector<std::pair<std::string, int64_t>> pieces;  // path, length
  std::optional<bool> whole;

  int64_t Length() const {
    int64_t length = 0;
    for (const auto& piece : pieces) length += piece.second;
    return length;
  }

  std::string Read(FileSystem& fs, int64_t offset, int64_t count) const {
    std::string bytes;
    for (const auto& [path, length] : pieces) {
      if (count == 0) break;
      if (offset >= length) {
        offset -= length;
        continue;
      }
      const int64_t part = std::min(count, length - offset);
      bytes += ReadAt(fs, path, offset, part);
      offset = 0;
      count -= part;
    }
    if (count > 0) throw RunTimeError(kInputPastEnd);
    return bytes;
  }
};

struct RepairSurvey::Group {
  std::vector<VolumeEntry> volumes;
  int rows = 0;
  std::map<int, Row> repairs;  // by number

  int16_t First() const { return volumes.front().number; }
  int16_t Last() const { return volumes.back().number; }
  int FirstRepair() const { return (First() - 1) / RepairGroupSize(rows) * rows + 1; }
};

// The rebuilt bytes of one step of a group's lost volumes.
struct RepairSurvey::Slice {
  int16_t first = 0;
  int64_t index = -1;
  std::vector<int16_t> lost;
  std::vector<std::string> bytes;  // per lost volume
};

RepairSurvey::RepairSurvey(FileSystem& fs, std::string directory, std::string setId)
    : fs_(fs), directory_(std::move(directory)) {
  Find(setId);
}

RepairSurvey::~RepairSurvey() = default;

void RepairSurvey::Find(const std::string& wanted) {
  std::vector<std::string> names;
  try {
    names = fs_.ListDirectory(directory_, kMaskFiles);
  } catch (const RunTimeError&) {
    return;
  }
  std::map<int, std::map<int, std::string>> pieces;  // number, piece, name
  for (const std::string& name : names) {
    if (const auto parsed = ParseRepairFileName(name)) pieces[parsed->first][parsed->second] = name;
  }
  std::string setId = wanted;
  if (setId.empty()) {
    if (const std::optional<SetIdentity> record = ReadIdentityRecord(fs_, directory_)) setId = record->setId;
  }
  for (const auto& [number, named] : pieces) {
    Row row;
    for (const auto& [piece, name] : named) {
      if (piece != static_cast<int>(row.pieces.size()) + 1) break;  // a gap ends what can be read as one
      try {
        row.pieces.emplace_back(directory_ + name, fs_.FileLength(directory_ + name));
      } catch (const RunTimeError&) {
        break;
      }
    }
    if (row.pieces.empty()) continue;
    std::optional<std::pair<RepairHead, std::size_t>> head;
    try {
      head = ParseRepairHead(row.Read(fs_, 0, std::min<int64_t>(row.Length(), kMaxRepairHeadBytes)));
    } catch (const RunTimeError&) {
    }
    if (!head || head->first.Number() != number) continue;
    if (setId.empty()) setId = head->first.setId;
    if (head->first.setId != setId) continue;
    row.head = head->first;
    row.headBytes = head->second;
    Group* group = GroupOf(row.head.FirstVolume());
    if (!group) {
      groups_.push_back(std::make_unique<Group>());
      group = groups_.back().get();
      group->volumes = row.head.volumes;
      group->rows = row.head.rows;
    }
    // Heads that disagree with the group's first are not of the same run.
    if (group->rows != row.head.rows || group->volumes.size() != row.head.volumes.size()) continue;
    group->repairs.emplace(number, std::move(row));
  }
  std::sort(groups_.begin(), groups_.end(), [](const auto& a, const auto& b) { return a->First() < b->First(); });
}

RepairSurvey::Group* RepairSurvey::GroupOf(int16_t number) {
  for (const auto& group : groups_) {
    if (group->First() <= number && number <= group->Last()) return group.get();
  }
  return nullptr;
}

int16_t RepairSurvey::LastVolume() const { return groups_.empty() ? 0 : groups_.back()->Last(); }

const VolumeEntry* RepairSurvey::Expected(int16_t number) const {
  for (const auto& group : groups_) {
    if (group->First() <= number && number <= group->Last()) return &group->volumes[static_cast<std::size_t>(number - group->First())];
  }
  return nullptr;
}

VolumeCondition RepairSurvey::Condition(int16_t number) {
  if (const auto known = conditions_.find(number); known != conditions_.end()) return known->second;
  const VolumeEntry* expected = Expected(number);
  VolumeCondition condition = VolumeCondition::Missing;
  const std::string path = directory_ + VolumeFileName(number);
  try {
    if (expected && !fs_.FindEntry(path, kMaskFiles).empty()) {
      const std::unique_ptr<ReadableFile> file = fs_.OpenReadable(path);
      condition = VolumeCondition::Damaged;
      const FileChecksum found = ChecksumOfFile(*file);
      if (found.length == expected->length && found.checksum == expected->checksum) condition = VolumeCondition::Intact;
    }
  } catch (const RunTimeError&) {
  }
  conditions_[number] = condition;
  return condition;
}

bool RepairSurvey::RowWhole(Row& row) {
  if (row.whole) return *row.whole;
  row.whole = false;
  const int64_t length = row.Length();
  const int64_t body = static_cast<int64_t>(row.headBytes) + row.head.RowLength();
  if (length != body + static_cast<int64_t>(kRepairTrailerBytes)) return false;
  try {
    VolumeChecksum checksum;
    for (int64_t done = 0; done < body; done += kChunk) checksum.Update(row.Read(fs_, done, std::min(kChunk, body - done)));
    row.whole = row.Read(fs_, body, static_cast<int64_t>(kRepairTrailerBytes)) == checksum.Hex() + "\n";
  } catch (const RunTimeError&) {
  }
  return *row.whole;
}

std::map<int, bool> RepairSurvey::RepairVolumesOfGroup(int16_t number) {
  std::map<int, bool> result;
  Group* group = GroupOf(number);
  if (!group) return result;
  for (int n = group->FirstRepair(); n < group->FirstRepair() + group->rows; ++n) {
    const auto found = group->repairs.find(n);
    result[n] = found != group->repairs.end() && RowWhole(found->second);
  }
  return result;
}

bool RepairSurvey::Rebuildable(int16_t number) {
  Group* group = GroupOf(number);
  if (!group || !RepairCodeAvailable()) return false;
  int lost = 0;
  for (const VolumeEntry& entry : group->volumes) lost += Condition(entry.number) != VolumeCondition::Intact;
  int whole = 0;
  for (const auto& [n, isWhole] : RepairVolumesOfGroup(number)) whole += isWhole;
  return lost <= whole;
}

std::vector<RepairSurvey::Loss> RepairSurvey::Losses() {
  std::vector<Loss> losses;
  for (const auto& group : groups_) {
    for (const VolumeEntry& entry : group->volumes) {
      const VolumeCondition condition = Condition(entry.number);
      if (condition != VolumeCondition::Intact) losses.push_back({entry.number, condition, Rebuildable(entry.number)});
    }
  }
  return losses;
}

std::vector<int> RepairSurvey::BrokenRepairVolumes() {
  std::vector<int> broken;
  for (const auto& group : groups_) {
    for (const auto& [number, whole] : RepairVolumesOfGroup(group->First())) {
      if (!whole) broken.push_back(number);
    }
  }
  return broken;
}

const RepairSurvey::Slice& RepairSurvey::SliceOf(Group& group, int64_t index) {
  if (slice_ && slice_->first == group.First() && slice_->index == index) return *slice_;
  auto slice = std::make_unique<Slice>();
  slice->first = group.First();
  slice->index = index;
  std::vector<int> lostPlaces;
  for (const VolumeEntry& entry : group.volumes) {
    if (Condition(entry.number) == VolumeCondition::Intact) continue;
    lostPlaces.push_back(entry.number - group.First());
    slice->lost.push_back(entry.number);
  }
  std::map<int, const Row*> rows;
  for (auto& [n, row] : group.repairs) {
    if (RowWhole(row)) rows[row.head.row] = &row;
  }
  std::vector<int> rowNumbers;
  for (const auto& [row, source] : rows) rowNumbers.push_back(row);
  const std::optional<RepairDecoder> decoder =
      RepairDecoder::For(group.rows, static_cast<int>(group.volumes.size()), lostPlaces, rowNumbers);
  if (!decoder) throw RunTimeError(kInvalidCall);

  const int64_t offset = index * kSlice;
  const int64_t length = std::min(kSlice, group.repairs.begin()->second.head.RowLength() - offset);
  if (length <= 0) throw RunTimeError(kInputPastEnd);
  std::vector<std::string> sources;
  for (int place : decoder->keptPlaces()) {
    const VolumeEntry& entry = group.volumes[static_cast<std::size_t>(place)];
    const int64_t have = std::clamp<int64_t>(entry.length - offset, 0, length);
    std::string bytes = have > 0 ? ReadAt(fs_, directory_ + VolumeFileName(entry.number), offset, have) : "";
    bytes.resize(static_cast<std::size_t>(length), '\0');
    sources.push_back(std::move(bytes));
  }
  for (int row : decoder->usedRows()) {
    const Row& source = *rows.at(row);
    sources.push_back(source.Read(fs_, static_cast<int64_t>(source.headBytes) + offset, length));
  }
  std::vector<const uint8_t*> from;
  for (const std::string& source : sources) from.push_back(reinterpret_cast<const uint8_t*>(source.data()));
  slice->bytes.assign(slice->lost.size(), std::string(static_cast<std::size_t>(length), '\0'));
  std::vector<uint8_t*> to;
  for (std::string& out : slice->bytes) to.push_back(reinterpret_cast<uint8_t*>(out.data()));
  decoder->Rebuild(static_cast<std::size_t>(length), from.data(), to.data());
  // The padding is no part of a volume.
  for (std::size_t i = 0; i < slice->lost.size(); ++i) {
    const VolumeEntry& entry = group.volumes[static_cast<std::size_t>(slice->lost[i] - group.First())];
    slice->bytes[i].resize(static_cast<std::size_t>(std::clamp<int64_t>(entry.length - offset, 0, length)));
  }
  slice_ = std::move(slice);
  return *slice_;
}

std::string RepairSurvey::Rebuilt(int16_t number, int64_t offset, int64_t count) {
  Group* group = GroupOf(number);
  std::string bytes;
  while (count > 0) {
    const int64_t index = offset / kSlice;
    const Slice& slice = SliceOf(*group, index);
    const auto at = std::find(slice.lost.begin(), slice.lost.end(), number);
    const std::string& rebuilt = slice.bytes[static_cast<std::size_t>(at - slice.lost.begin())];
    const int64_t within = offset - index * kSlice;
    const int64_t part = std::min(count, static_cast<int64_t>(rebuilt.size()) - within);
    if (part <= 0) throw RunTimeError(kInputPastEnd);
    bytes.append(rebuilt, static_cast<std::size_t>(within), static_cast<std::size_t>(part));
    offset += part;
    count -= part;
  }
  return bytes;
}

}  // namespace pb
