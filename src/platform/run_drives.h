// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "platform/drive_table.h"

namespace pb {

// Directories that the drive form cannot name ("ziel:1", a Greek name), each
// given a letter of its own for as long as the file system lives, as a mapped
// drive is: a run's target, destination or set directory needs no stored
// name, and the names below it are checked as on any drive.
class RunDrives {
 public:
  // The table with the run's drives laid over it. A letter the system gave
  // one of its drives meanwhile stays with the run's directory, which the
  // run's paths already name.
  DriveTable Over(const DriveTable& table) const;

  // ToDriveForm by table, after the deepest directory on the path whose own
  // name the drive form cannot hold became a drive of the run, where it is a
  // directory (or not there at all, when orMissing) and a letter is free;
  // table gets that drive. A last name that is no directory's keeps its "?"s.
  std::string DriveForm(DriveTable& table, const std::string& nativePath, bool orMissing);

  // The directories that make the root of a drive of the run that is not
  // there yet, the highest missing one first, when drivePath names that root
  // ("Z:", "Z:\"); none for any other path.
  std::vector<std::string> MissingRoot(const std::string& drivePath) const;

  bool Holds(char letter) const;

 private:
  std::vector<Drive> drives_;
};

}  // namespace pb
