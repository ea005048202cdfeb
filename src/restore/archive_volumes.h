// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "restore/repair_survey.h"
#include "store/identity_file.h"
#include "store/set_identity.h"
#include "support/runtime.h"

namespace pb {

// Thrown when the user abandons the prompt for the next volume.
struct VolumeAbandoned {};

// Volumes first to last of a set that are missing and cannot be rebuilt.
struct LostVolumes {
  int16_t first = 0;
  int16_t last = 0;
};

// "Band 3 fehlt" or "die Bände 3 bis 5 fehlen".
std::string LostVolumesText(const LostVolumes& lost);

// What a reader of a set learns from the identity records beside its volumes.
class VolumeEvents {
 public:
  virtual ~VolumeEvents() = default;
  // The volume differs from its record; the user has been told, and it is
  // read all the same: the fragments' own checks confine the damage.
  virtual void VolumeDamaged(int16_t /*number*/) {}
  // The set ends with lastVolume before its last file, because the backup
  // that wrote it did not finish. true stops the reading there; false asks
  // for the next disk as for any missing volume.
  virtual bool StopAtIncompleteEnd(int16_t /*lastVolume*/) { return false; }
};

// The volumes of a set read back as one stream: at most one volume open, the
// next one opened only when the current one is used up.
//
// When volume 1 has an identity record, every later volume is checked against
// the record on its medium before anything is read from it: a volume of
// another set is refused like a missing one, and one of another length is
// named as damaged. Its checksum is taken from the stream's own reads and
// compared once the volume has been read to its end. Volumes without a
// record are read unchecked, as sets written without records are.
//
// Where repair volumes of the set lie beside the volumes, each volume is
// checked against them before it is read, and a missing or damaged one that
// they can rebuild is read as rebuilt instead.
//
// A volume that the record or the repair volumes place beside the others but
// that is missing, and cannot be rebuilt, is passed by: the reading goes on
// with the next one there, or, on a medium that holds a later volume of the
// set instead of the one asked for, when the user agrees. TakeLost tells the
// reader, which must then find its way into the stream again.
class ArchiveVolumes {
 public:
  // SourceDir ends in "\"; ArchiveDataStart is the 1-based position of the
  // first FileHeader in volume 1.
  ArchiveVolumes(Runtime& runtime, std::string SourceDir, int32_t ArchiveDataStart, VolumeEvents& events);
  ~ArchiveVolumes();
  ArchiveVolumes(const ArchiveVolumes&) = delete;
  ArchiveVolumes& operator=(const ArchiveVolumes&) = delete;

  // Makes sure a volume with unread bytes is open: closes a used-up one and
  // opens the next, asking for the next disk while it cannot be opened.
  // Throws VolumeAbandoned when the user abandons that prompt. false when
  // events stopped the reading at the end of an incomplete set.
  bool EnsureVolume();
  // The number of the volume opened last; 0 before the first.
  int16_t Number() const { return VolumeNumber_; }
  // Whether the directory holds a volume after the one opened last.
  bool NextVolumeFound();

  // The next count bytes of the open volume. A failed read consumes nothing.
  std::string Read(int64_t count);
  // Bytes of the open volume consumed so far, and those still unread.
  int64_t Position() const { return position_; }
  int64_t Remaining() const { return length_ - position_; }
  // The next read starts at position (0-based) again, as after a failure.
  void Rewind(int64_t position);

  void CloseVolume();

  // The volumes passed by when the volume open now was opened, or when
  // EnsureVolume found that the set ended in them; told once.
  std::optional<LostVolumes> TakeLost();
  // The open volume is read to its end and is the set's last, as far as its
  // record or the volumes beside it tell.
  bool AtSetEnd();

 private:
  bool OpenNextVolume();
  void NextNumber();
  // How the record or the repair volumes here list volume number, when they
  // place it beside the others. Without either, a missing volume may be on
  // another medium: it is asked for, as the format has it.
  std::optional<VolumeState> ListedHere(int16_t number);
  // Asks for the volume wanted until it is opened; a medium with a later
  // volume of the set may stand in for it when the user agrees.
  void AskForVolume();
  // The first volume of the set on the medium now in the drive, when it is a
  // later one than wanted.
  std::optional<int16_t> LaterVolumeInDrive();
  void TellLost(const LostVolumes& lost, bool goesOn);
  // Stands at the start of the volume wanted as rebuilt from repair volumes;
  // false when it is whole or cannot be rebuilt.
  bool OpenRebuilt();
  bool Found(const std::string& path);
  // Opens the volume at path and stands at its first unread byte; false when
  // it cannot be opened or is not the volume wanted.
  bool TryOpen(const std::string& path, bool afterPrompt);
  // Whether the open file may be read as volume VolumeNumber_; tells the
  // user why not, or that it is damaged.
  bool Accepted(FileNumber file);
  void TellWhatIsInTheDrive();
  void TellDamaged();
  // Where the set has repair volumes elsewhere (on other diskettes), says how
  // they can bring the volume back.
  void TellRemedy(int16_t number);
  bool EndsIncomplete() const;
  // Adds what was read at position (0-based) to the open volume's checksum.
  void Hash(int64_t position, std::string_view bytes);

  Runtime& runtime_;
  std::string SourceDir_;
  int32_t ArchiveDataStart_;
  VolumeEvents& events_;
  bool VolumeOpen_ = false;
  FileNumber VolumeFile_ = 0;
  int16_t VolumeNumber_ = 0;
  int64_t length_ = 0;
  int64_t position_ = 0;
  // The file's own position may differ from position_ after a failure.
  bool reposition_ = false;
  std::optional<std::string> setId_;         // from volume 1's record
  std::optional<VolumeState> openedState_;   // the open volume's entry, if it has one
  std::optional<VolumeChecksum> checksum_;   // while the open volume can be checked
  std::string expectedChecksum_;
  int64_t hashed_ = 0;                        // bytes of the volume in checksum_
  std::unique_ptr<RepairSurvey> survey_;      // from volume 1 on; empty without repair volumes
  bool rebuilt_ = false;                      // the open volume is read from survey_
  int repairRows_ = 0;                        // from volume 1's record
  std::optional<LostVolumes> lost_;           // not yet taken
  IdentityRecordReader records_;              // the record of the medium in the drive
};

}  // namespace pb
