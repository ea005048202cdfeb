// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/run_drives.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace pb {

namespace {

bool IsDirectory(const std::string& native) {
  std::error_code error;
  // Native paths are UTF-8 here, on Windows too.
  return std::filesystem::is_directory(std::filesystem::path(std::u8string(native.begin(), native.end())), error);
}

// Mapped drives take letters from the end of the alphabet, away from those
// the system gives its media from D: on.
char FreeLetter(const DriveTable& table) {
  for (char letter = 'Z'; letter >= 'D'; --letter) {
    if (table.Find(letter) == nullptr) return letter;
  }
  return '\0';
}

}  // namespace

DriveTable RunDrives::Over(const DriveTable& table) const {
  std::vector<Drive> drives = drives_;
  for (const Drive& drive : table.drives()) {
    const auto same = [&](const Drive& own) { return own.letter == drive.letter; };
    if (std::none_of(drives_.begin(), drives_.end(), same)) drives.push_back(drive);
  }
  return DriveTable(std::move(drives));
}

std::string RunDrives::DriveForm(DriveTable& table, const std::string& nativePath) {
  const std::string directory = table.DeepestUnnamedPath(nativePath);
  // Once given, its drive holds the path, whose names below it all translate.
  if (const char letter = FreeLetter(table); !directory.empty() && letter != '\0' && IsDirectory(directory)) {
    drives_.push_back(Drive{letter, directory, "", false, false});
    table = Over(table);
  }
  return table.ToDriveForm(nativePath);
}

}  // namespace pb
