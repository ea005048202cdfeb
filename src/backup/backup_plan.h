// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "backup/volume_size.h"

namespace pb {

// What a backup run is to do, built once by the face that starts it (the
// window, the command-line tool, a test) and checked by BackupRefusal.
struct BackupPlan {
  std::string target;  // the directory the volumes go to, ending in "\"; "A:\" for the diskette
  bool diskette = false;                     // a full medium asks for the next diskette
  int64_t volumeLimit = kDefaultVolumeSize;  // bytes
  std::vector<std::string> files;            // drive form, stored as they are
  std::string description;                   // as stored
  bool clearTarget = false;                  // empty each new medium first
  bool verifyVolumes = false;                // read each volume back after writing it
  int repairVolumes = 0;                     // per group of volumes; 0 for none
};

// The target of a plan: the diskette's root, or directory with its "\".
std::string PlanTarget(bool diskette, const std::string& directory);
// A description as stored: without leading and trailing spaces.
std::string StoredDescription(const std::string& text);

// How far a run has come, for displays richer than the progress bar.
struct BackupProgress {
  int fileNumber = 0;        // 1-based number of the file begun last
  int fileCount = 0;
  int64_t bytesStored = 0;   // file bytes written to volumes so far
  int volume = 0;            // number of the volume written last; 0 before the first
};

// The progress display a run drives: the window's bar, the command line's
// progress line, a test's record.
class BackupDisplay {
 public:
  virtual ~BackupDisplay() = default;
  virtual void SetProgress(int percent) = 0;  // 0 to 100
  // Called when a file is begun and after every fragment written.
  virtual void ShowProgress(const BackupProgress&) {}
};

}  // namespace pb
