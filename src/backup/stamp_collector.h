// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "store/stamp_record.h"
#include "support/file_system.h"

namespace pb {

// Gathers the times and permissions of a backup's files, each taken from the
// source as it is opened for reading (no look of its own), and writes them
// with those of the directories above the files into the companion record
// beside the last volume.
class StampCollector {
 public:
  explicit StampCollector(int fileCount)
      : names_(static_cast<std::size_t>(fileCount)) {
    record_.files.assign(names_.size(), {0, 0, kStampUnknown});
  }

  // The source of the set's file number (1-based) is open.
  void Opened(int number, const std::string& storedName, const ReadableFile& source);
  // Writes the record into target (ending in "\") once the set is complete.
  // A record that cannot be written is removed again, and the error thrown:
  // the set stands without it.
  void Write(FileSystem& fs, const std::string& target, const std::string& setId);

 private:
  StampRecord record_;
  std::vector<std::string> names_;  // stored names by number - 1
};

}  // namespace pb
