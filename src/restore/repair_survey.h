// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "store/repair_volume.h"
#include "support/file_system.h"

namespace pb {

enum class VolumeCondition { Intact, Missing, Damaged };

// What the repair volumes in one directory know of a set, and what they can
// rebuild of its volumes there. The repair volumes say by themselves which
// volumes they cover, with lengths and checksums: no identity record is
// needed. Volumes and repair volumes are read whole when first asked about,
// once.
class RepairSurvey {
 public:
  // directory ends in "\"; only repair volumes of setId count, or, when it is
  // empty, those of the set the directory's identity record names, else of
  // the first set found.
  RepairSurvey(FileSystem& fs, std::string directory, std::string setId = "");
  ~RepairSurvey();
  RepairSurvey(const RepairSurvey&) = delete;
  RepairSurvey& operator=(const RepairSurvey&) = delete;

  bool Empty() const { return groups_.empty(); }
  // The last volume the repair volumes cover; 0 when there are none.
  int16_t LastVolume() const;
  // The volume as the repair volumes give it; nullptr when none covers it.
  const VolumeEntry* Expected(int16_t number) const;

  VolumeCondition Condition(int16_t number);
  // The numbers of the repair volumes of the group of volume number, with
  // whether each is whole.
  std::map<int, bool> RepairVolumesOfGroup(int16_t number);
  // Whether a lost volume can be rebuilt: its group lost no more volumes
  // than it has whole repair volumes.
  bool Rebuildable(int16_t number);

  struct Loss {
    int16_t number = 0;
    VolumeCondition condition = VolumeCondition::Missing;
    bool rebuildable = false;
  };
  // Every volume the repair volumes cover that is not intact, in order.
  std::vector<Loss> Losses();
  // The numbers of the repair volumes that are missing or not whole.
  std::vector<int> BrokenRepairVolumes();

  // count bytes from offset (0-based) of the rebuilt volume number, which
  // must be Rebuildable. Throws RunTimeError when a source cannot be read.
  std::string Rebuilt(int16_t number, int64_t offset, int64_t count);

 private:
  struct Row;
  struct Group;
  struct Slice;
  void Find(const std::string& setId);
  Group* GroupOf(int16_t number);
  bool RowWhole(Row& row);
  const Slice& SliceOf(Group& group, int64_t index);

  FileSystem& fs_;
  std::string directory_;
  std::vector<std::unique_ptr<Group>> groups_;
  std::map<int16_t, VolumeCondition> conditions_;
  std::unique_ptr<Slice> slice_;
};

}  // namespace pb
