// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "restore/set_stamps.h"
#include "support/runtime.h"

namespace pb {

// Gives the restored files, and the directories the restore made above them,
// the times and permissions the set's record holds. They are given once the
// run ends, since the record lies beside the last volume: files first,
// then directories from the deepest up, so no later write changes a time
// already given.
class StampApplier {
 public:
  explicit StampApplier(std::string targetDir) : targetDir_(std::move(targetDir)) {}

  // Every file of the set, in its order, whether it is restored or not.
  void FileBegun(const std::string& storedName);
  // The file begun last was written whole at targetPath.
  void Restored(const std::string& targetPath);

  // After the set's last file, or when the run ended before it (complete
  // false): reads the record in sourceDir (ending in a backslash), as
  // SetStamps::Load tells, and applies it to the files restored so far. A
  // damaged record, and stamps that could not be given, are told in a box;
  // neither stops the run.
  void Apply(Runtime& runtime, const std::string& sourceDir, int32_t setFileCount, bool complete);

 private:
  // Returns the number of files and directories that could not be given
  // their stamp.
  int ApplyRecord(FileSystem& fs) const;

  std::string targetDir_;  // ends in a backslash
  SetStamps stamps_;
  int fileNumber_ = 0;
  std::string storedName_;
  std::vector<std::pair<int, std::string>> files_;  // number, target path
  std::map<std::string, std::string> directories_;  // stored name to target path
};

}  // namespace pb
