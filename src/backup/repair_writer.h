// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "backup/medium_record.h"
#include "store/repair_code.h"
#include "store/set_identity.h"
#include "support/runtime.h"

namespace pb {

// The run's part in the media the repair volumes take on diskettes.
class RepairMedia {
 public:
  virtual ~RepairMedia() = default;
  // The medium in the drive is finished; the next is asked for now.
  virtual void Finished() = 0;
  // A new medium, asked for by the repair volumes, is in the drive.
  virtual void Inserted() = 0;
  // A piece of a repair volume was closed at path and stays part of the set.
  virtual void Kept(const std::string& path) = 0;
};

// The repair volumes of a backup run, written after its last volume. The
// volumes themselves stay exactly as without them.
//
// In a directory the rows are computed at the end from the volumes read back
// a slice at a time, so memory does not grow with the volume size. The
// volumes on diskettes are gone when the set is finished: there each
// volume's bytes are taken as written and added into rows kept in memory,
// which a diskette's size bounds.
class RepairWriter {
 public:
  // target ends in "\".
  RepairWriter(Runtime& runtime, std::string target, bool diskette, int rows, MediumRecord& record,
               RepairMedia& media);
  ~RepairWriter();

  // The open volume starts from nothing (again).
  void VolumeBegun();
  // Bytes appended to the open volume.
  void Wrote(std::string_view bytes);
  // The open volume was closed and belongs to the set as entry says.
  void VolumeKept(const VolumeEntry& entry);
  // After the set's last volume: writes every group's repair volumes.
  void Finish();

 private:
  struct Group;
  Group& GroupOf(int16_t number);
  void WriteFromMemory(const Group& group);
  void WriteFromVolumes(const Group& group);

  Runtime& runtime_;
  std::string target_;
  bool diskette_;
  int rows_;
  MediumRecord& record_;
  RepairMedia& media_;
  RepairEncoder encoder_;
  std::string volume_;  // the open volume's bytes, on diskettes
  std::vector<std::unique_ptr<Group>> groups_;
};

}  // namespace pb
