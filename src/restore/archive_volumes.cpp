// SPDX-License-Identifier: GPL-3.0-or-later
#include "restore/archive_volumes.h"

#include <limits>
#include <utility>

#include "store/volume_name.h"
#include "support/guarded_step.h"
#include "support/run_time_error.h"

namespace pb {

namespace {

constexpr const char* kForeignDisk = "Dieser Datenträger gehört nicht zu diesem Sicherungssatz.";

void Tell(MessageBoxes& boxes, const std::string& text, BoxIcon icon) {
  boxes.Show(MessageBox{.text = text, .icon = icon});
}

}  // namespace

std::string LostVolumesText(const LostVolumes& lost) {
  if (lost.first == lost.last) return "Band " + std::to_string(lost.first) + " fehlt";
  return "die Bände " + std::to_string(lost.first) + " bis " + std::to_string(lost.last) + " fehlen";
}

ArchiveVolumes::ArchiveVolumes(Runtime& runtime, std::string SourceDir, int32_t ArchiveDataStart,
                               VolumeEvents& events)
    : runtime_(runtime),
      SourceDir_(std::move(SourceDir)),
      ArchiveDataStart_(ArchiveDataStart),
      events_(events),
      records_(runtime.fs, SourceDir_) {}

ArchiveVolumes::~ArchiveVolumes() {
  if (!VolumeOpen_ || rebuilt_) return;
  try {
    runtime_.fs.Close(VolumeFile_);
  } catch (const RunTimeError&) {
    // Only read from: nothing is lost.
  }
}

bool ArchiveVolumes::EnsureVolume() {
  try {
    // A volume without unread bytes carries nothing: go on to the next.
    while (!VolumeOpen_ || Remaining() <= 0) {
      CloseVolume();
      if (!OpenNextVolume()) return false;
    }
    return true;
  } catch (const RunGivenUp&) {
    TellRemedy(VolumeNumber_);
    throw VolumeAbandoned{};
  }
}

void ArchiveVolumes::NextNumber() {
  if (VolumeNumber_ == std::numeric_limits<int16_t>::max()) Raise(kOverflow);
  ++VolumeNumber_;
}

bool ArchiveVolumes::OpenNextVolume() {
  NextNumber();
  const int16_t wanted = VolumeNumber_;
  VolumeState lastLost = VolumeState::More;
  for (;;) {
    if (VolumeNumber_ != wanted && lastLost != VolumeState::More) {
      // The set ended in the volumes lost.
      lost_ = LostVolumes{wanted, static_cast<int16_t>(VolumeNumber_ - 1)};
      TellLost(*lost_, false);
      return false;
    }
    if (OpenRebuilt()) break;
    const std::string path = SourceDir_ + VolumeFileName(VolumeNumber_);
    const bool found = Found(path);
    if (found && TryOpen(path, false)) break;
    // A volume there that cannot be opened now may open after the prompt.
    const std::optional<VolumeState> listed = found ? std::nullopt : ListedHere(VolumeNumber_);
    if (listed) {
      lastLost = *listed;
      NextNumber();
      continue;
    }
    if (VolumeNumber_ == wanted && EndsIncomplete() &&
        events_.StopAtIncompleteEnd(static_cast<int16_t>(VolumeNumber_ - 1))) {
      return false;
    }
    AskForVolume();
    break;
  }
  if (VolumeNumber_ != wanted) {
    lost_ = LostVolumes{wanted, static_cast<int16_t>(VolumeNumber_ - 1)};
    TellLost(*lost_, true);
  }
  return true;
}

void ArchiveVolumes::AskForVolume() {
  for (;;) {
    AskRetryOrGiveUp(runtime_.boxes,
                     "Bitte den nächsten Datenträger dieses Sicherungssatzes\reinlegen und auf OK klicken.",
                     BoxIcon::Information, VolumeNumber_);
    if (TryOpen(SourceDir_ + VolumeFileName(VolumeNumber_), true)) return;
    const std::optional<int16_t> later = LaterVolumeInDrive();
    if (!later) continue;
    const BoxButton answer = runtime_.boxes.Show(MessageBox{
        .text = "Ohne Band " + std::to_string(VolumeNumber_) + " mit Band " + std::to_string(*later) +
                " weiterlesen?\rWas in den fehlenden Bänden steht, geht dabei verloren.",
        .icon = BoxIcon::Question,
        .buttons = BoxButtons::YesNo,
        .defaultButton = BoxButton::No});
    if (answer != BoxButton::Yes) continue;
    const int16_t skipped = VolumeNumber_;
    VolumeNumber_ = *later;
    if (TryOpen(SourceDir_ + VolumeFileName(VolumeNumber_), true)) return;
    VolumeNumber_ = skipped;
  }
}

std::optional<int16_t> ArchiveVolumes::LaterVolumeInDrive() {
  if (!setId_) return std::nullopt;
  const std::optional<SetIdentity>& record = records_.Record();
  if (!record || record->setId != *setId_ || record->volumes.empty()) return std::nullopt;
  const int16_t first = record->volumes.front().number;
  if (first <= VolumeNumber_) return std::nullopt;
  return first;
}

std::optional<VolumeState> ArchiveVolumes::ListedHere(int16_t number) {
  // Without volume 1's record the set is read unchecked: so is this one.
  const std::optional<SetIdentity>& record = records_.Record();
  if (record && (!setId_ || record->setId == *setId_)) {
    if (const VolumeEntry* entry = record->Find(number)) return entry->state;
  }
  if (survey_) {
    if (const VolumeEntry* entry = survey_->Expected(number)) return entry->state;
  }
  return std::nullopt;
}

std::optional<LostVolumes> ArchiveVolumes::TakeLost() { return std::exchange(lost_, std::nullopt); }

bool ArchiveVolumes::AtSetEnd() {
  if (VolumeOpen_ && Remaining() > 0) return false;
  if (openedState_) return *openedState_ != VolumeState::More;
  return !NextVolumeFound() && !ListedHere(static_cast<int16_t>(VolumeNumber_ + 1));
}

void ArchiveVolumes::TellLost(const LostVolumes& lost, bool goesOn) {
  const std::string which =
      lost.first == lost.last
          ? "Band " + std::to_string(lost.first) + " dieses Sicherungssatzes fehlt und lässt"
          : "Die Bände " + std::to_string(lost.first) + " bis " + std::to_string(lost.last) +
                " dieses Sicherungssatzes fehlen und lassen";
  Tell(runtime_.boxes,
       which + " sich nicht wiederherstellen.\rDie Dateien darin gehen verloren; " +
           (goesOn ? "gelesen wird weiter mit Band " + std::to_string(VolumeNumber_) + "." : "der Satz endet darin."),
       BoxIcon::Critical);
  TellRemedy(lost.first);
}

bool ArchiveVolumes::OpenRebuilt() {
  if (!survey_) survey_ = std::make_unique<RepairSurvey>(runtime_.fs, SourceDir_, setId_.value_or(""));
  const VolumeEntry* expected = survey_->Expected(VolumeNumber_);
  if (!expected || survey_->Condition(VolumeNumber_) == VolumeCondition::Intact ||
      !survey_->Rebuildable(VolumeNumber_)) {
    return false;
  }
  Tell(runtime_.boxes,
       "Band " + std::to_string(VolumeNumber_) +
           " dieses Sicherungssatzes fehlt oder ist beschädigt.\rEr wird aus den Reparaturbänden wiederhergestellt.",
       BoxIcon::Information);
  length_ = expected->length;
  position_ = VolumeNumber_ == 1 ? ArchiveDataStart_ - 1 : 0;
  openedState_ = expected->state;
  checksum_.reset();
  rebuilt_ = true;
  VolumeOpen_ = true;
  return true;
}

bool ArchiveVolumes::EndsIncomplete() const {
  return VolumeNumber_ > 1 && openedState_ && *openedState_ != VolumeState::More;
}

bool ArchiveVolumes::Found(const std::string& path) {
  try {
    return !runtime_.fs.FindEntry(path, kMaskOrdinary).empty();
  } catch (const RunTimeError&) {
    // A drive without a disk holds nothing.
    return false;
  }
}

bool ArchiveVolumes::NextVolumeFound() {
  return VolumeNumber_ < std::numeric_limits<int16_t>::max() &&
         Found(SourceDir_ + VolumeFileName(static_cast<int16_t>(VolumeNumber_ + 1)));
}

bool ArchiveVolumes::TryOpen(const std::string& path, bool afterPrompt) {
  FileSystem& fs = runtime_.fs;
  FileNumber file = 0;
  try {
    file = fs.Open(path, OpenMode::BinaryRead);
  } catch (const RunTimeError&) {
    if (afterPrompt) TellWhatIsInTheDrive();
    return false;
  }
  try {
    if (!Accepted(file)) {
      fs.Close(file);
      return false;
    }
    length_ = fs.Length(file);
    const int32_t start = VolumeNumber_ == 1 ? ArchiveDataStart_ : 1;
    fs.Seek(file, start);
    position_ = start - 1;
  } catch (const RunTimeError&) {
    try {
      fs.Close(file);
    } catch (const RunTimeError&) {
      // Only read from: nothing is lost.
    }
    return false;
  }
  VolumeFile_ = file;
  VolumeOpen_ = true;
  reposition_ = false;
  return true;
}

bool ArchiveVolumes::Accepted(FileNumber file) {
  const std::optional<SetIdentity>& record = records_.Record();
  const VolumeEntry* entry = record ? record->Find(VolumeNumber_) : nullptr;
  // Volume 1 decides whether the set is checked at all.
  if (VolumeNumber_ == 1) setId_ = entry ? std::optional(record->setId) : std::nullopt;
  if (VolumeNumber_ == 1 && entry) repairRows_ = record->repairRows;
  // A record of another set, or one of this set that leaves the volume out
  // (another set's, left beside it).
  if (setId_ && record && (record->setId != *setId_ || !entry)) {
    Tell(runtime_.boxes, kForeignDisk, BoxIcon::Information);
    return false;
  }
  openedState_.reset();
  checksum_.reset();
  if (!setId_ || !entry) return true;
  openedState_ = entry->state;
  if (entry->state == VolumeState::Open) return true;  // nothing known to compare with
  if (runtime_.fs.Length(file) != entry->length) {
    TellDamaged();
    return true;
  }
  // The checksum follows the stream's own reads; volume 1's head, which the
  // stream passes over, is read here.
  checksum_.emplace();
  expectedChecksum_ = entry->checksum;
  hashed_ = 0;
  if (VolumeNumber_ == 1) {
    try {
      runtime_.fs.Seek(file, 1);
      Hash(0, runtime_.fs.Read(file, ArchiveDataStart_ - 1));
    } catch (const RunTimeError&) {
      checksum_.reset();  // the stream's own reads will meet the failure and say so
    }
  }
  return true;
}

void ArchiveVolumes::Hash(int64_t position, std::string_view bytes) {
  if (!checksum_) return;
  const int64_t end = position + static_cast<int64_t>(bytes.size());
  if (position > hashed_) {
    checksum_.reset();  // a gap: the volume cannot be checked whole
  } else if (end > hashed_) {
    checksum_->Update(bytes.substr(static_cast<std::size_t>(hashed_ - position)));
    hashed_ = end;
  }
}

void ArchiveVolumes::TellDamaged() {
  Tell(runtime_.boxes,
       "Band " + std::to_string(VolumeNumber_) +
           " dieses Sicherungssatzes ist beschädigt: Länge oder Prüfsumme weichen von seiner Kennung ab.\r"
           "Unbeschädigte Teile werden trotzdem gelesen.",
       BoxIcon::Critical);
  TellRemedy(VolumeNumber_);
  events_.VolumeDamaged(VolumeNumber_);
}

void ArchiveVolumes::TellRemedy(int16_t number) {
  if (repairRows_ == 0 || (survey_ && !survey_->Empty())) return;
  Tell(runtime_.boxes,
       "Zu diesem Sicherungssatz gibt es Reparaturbände. Mit ihnen lässt sich Band " + std::to_string(number) +
           " wiederherstellen:\rAlle lesbaren Datenträger in ein Verzeichnis kopieren und dort "
           "\"parcelbarge-cli repair VERZEICHNIS\" aufrufen.",
       BoxIcon::Information);
}

// After a prompt the volume is still missing: say what the disk in the drive
// holds instead, where its record tells.
void ArchiveVolumes::TellWhatIsInTheDrive() {
  if (!setId_) return;
  const std::optional<SetIdentity>& record = records_.Record();
  if (!record || record->volumes.empty() || record->Find(VolumeNumber_)) return;
  if (record->setId != *setId_) {
    Tell(runtime_.boxes, kForeignDisk, BoxIcon::Information);
    return;
  }
  const int16_t first = record->volumes.front().number;
  const int16_t last = record->volumes.back().number;
  const std::string found = first == last ? "liegt Band " + std::to_string(first)
                                          : "liegen die Bände " + std::to_string(first) + " bis " + std::to_string(last);
  Tell(runtime_.boxes,
       "Auf diesem Datenträger " + found + " dieses Sicherungssatzes, gebraucht wird Band " +
           std::to_string(VolumeNumber_) + ".",
       BoxIcon::Information);
}

std::string ArchiveVolumes::Read(int64_t count) {
  if (rebuilt_) {
    std::string bytes = survey_->Rebuilt(VolumeNumber_, position_, count);
    position_ += count;
    return bytes;
  }
  if (reposition_) {
    runtime_.fs.Seek(VolumeFile_, position_ + 1);
    reposition_ = false;
  }
  try {
    std::string bytes = runtime_.fs.Read(VolumeFile_, count);
    Hash(position_, bytes);
    position_ += count;
    return bytes;
  } catch (const RunTimeError&) {
    reposition_ = true;
    throw;
  }
}

void ArchiveVolumes::Rewind(int64_t position) {
  position_ = position;
  reposition_ = true;
}

void ArchiveVolumes::CloseVolume() {
  if (!VolumeOpen_) return;
  VolumeOpen_ = false;
  if (rebuilt_) {
    rebuilt_ = false;
    return;
  }
  // Only a volume read to its end can be compared with its checksum.
  const bool damaged = checksum_ && hashed_ == length_ && checksum_->Hex() != expectedChecksum_;
  checksum_.reset();
  runtime_.fs.Close(VolumeFile_);
  if (damaged) TellDamaged();
}

}  // namespace pb
