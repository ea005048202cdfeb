// SPDX-License-Identifier: GPL-3.0-or-later
#include "backup/media_series.h"

#include <algorithm>
#include <cctype>

namespace pb {

namespace {

bool SameDrive(const std::string& path, char letter) {
  return !path.empty() && std::toupper(static_cast<unsigned char>(path[0])) == letter;
}

}  // namespace

bool IsMediaSeries(FileSystem& fs, const BackupPlan& plan) {
  if (plan.diskette) return true;
  // An own size of the default one changes nothing either.
  if (plan.volumeLimit != kDefaultVolumeSize || plan.target.size() != 3) return false;
  const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(plan.target[0])));
  const std::vector<DriveInfo> drives = fs.Drives();
  return std::any_of(drives.begin(), drives.end(),
                     [&](const DriveInfo& drive) { return drive.letter == letter && drive.removable; });
}

void ReleaseFullMedium(Runtime& runtime, const BackupPlan& plan) {
  if (runtime.release == nullptr) return;
  const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(plan.target[0])));
  if (std::any_of(plan.files.begin(), plan.files.end(), [&](const std::string& file) { return SameDrive(file, letter); })) {
    return;
  }
  runtime.release->Release(std::string(1, letter) + ":\\");
}

}  // namespace pb
