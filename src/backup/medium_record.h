// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

#include "store/set_identity.h"
#include "support/file_system.h"

namespace pb {

// The identity record that the backup run keeps beside its volumes on the
// medium in the drive. It is a help to readers, never a condition of the
// run: where it cannot be written the volumes stand without it and the run
// goes on, but no record is ever left describing a volume other than the one
// now under that number.
class MediumRecord {
 public:
  // target ends in "\"; on a diskette the record stays within one cluster.
  MediumRecord(FileSystem& fs, std::string target, bool diskette);

  // The next volume opened goes to a medium the record has not seen yet.
  void NewMedium() { mediumSeen_ = false; }

  // Before a volume is created under number: a record of another set on a
  // medium seen for the first time goes (throws RunTimeError when it cannot be
  // deleted), and the volume's entry is reserved.
  void Opening(int16_t number);
  // The volume was deleted again.
  void Removed(int16_t number);
  // The volume was closed with these bytes; with flush the record is put on
  // the device (as the volume was).
  void Closed(int16_t number, int64_t length, const std::string& checksum, VolumeState state, bool flush);

  const std::string& setId() const { return setId_; }
  // Each medium's record says the set gets repair volumes, so a reader of a
  // damaged medium can name the remedy.
  void SetRepairRows(int rows);
  // Before a repair volume's file is created, and once it is written whole;
  // its entry keeps its room on the medium in between.
  void RepairFileOpening(const std::string& name);
  void RepairFileClosed(const RepairFileEntry& entry);

 private:
  // Writes the record as it now is from its entry at index from on, and puts
  // it on the device with flush; nothing when it cannot.
  void Store(std::size_t from, bool flush);
  // A medium seen for the first time loses any record of another set.
  void Meet();

  FileSystem& fs_;
  std::string path_;
  bool diskette_;
  std::string setId_;
  SetIdentity identity_;
  bool mediumSeen_ = false;
  int repairRows_ = 0;
  int64_t storedSize_ = 0;  // bytes of the record file on the medium
};

}  // namespace pb
