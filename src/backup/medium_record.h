// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
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
  // The run was given up after the closed volume number: where the record
  // still lists it as followed by another, it says the set ends there.
  void GivenUpAfter(int16_t number);

  const std::string& setId() const { return setId_; }
  // Each medium's record says the set gets repair volumes, so a reader of a
  // damaged medium can name the remedy.
  void SetRepairRows(int rows);
  // Before a repair volume's file is created, and once it is written whole;
  // its entry keeps its room on the medium in between.
  void RepairFileOpening(const std::string& name);
  void RepairFileClosed(const RepairFileEntry& entry);

 private:
  // A medium seen for the first time loses any record of another set; the
  // record is read from the medium only here, once per medium.
  void Meet();
  // The index of number's entry, or where it would go.
  std::size_t IndexOf(int16_t number) const;
  // Where the entry of number stands; none when it has no entry.
  std::optional<std::size_t> EntryOf(int16_t number) const;
  std::size_t VolumeOffset(std::size_t index) const;
  // Puts text_ on the medium after a change of count bytes at from: only
  // those when the record kept its size, else everything from there on, the
  // file cut where it got shorter. With flush it goes on the device; where
  // it cannot be written, no record stays.
  void Store(std::size_t from, std::size_t count, bool flush);

  FileSystem& fs_;
  std::string path_;
  bool diskette_;
  std::string setId_;
  SetIdentity identity_;
  std::string text_;  // the record as the medium should hold it
  bool mediumSeen_ = false;
  bool dropped_ = false;  // this medium holds more volumes than its record could list
  int repairRows_ = 0;
  int64_t storedSize_ = 0;  // bytes of the record file on the medium
};

}  // namespace pb
