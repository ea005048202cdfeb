// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/run_drives.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace pb {

namespace {

// Native paths are UTF-8 here, on Windows too.
std::filesystem::path PathOf(const std::string& native) {
  return std::filesystem::path(std::u8string(native.begin(), native.end()));
}

std::string Utf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

std::filesystem::file_type TypeAt(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::status(path, error).type();
}

bool IsDirectory(const std::string& native) {
  std::error_code error;
  return std::filesystem::is_directory(PathOf(native), error);
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

std::string RunDrives::DriveForm(DriveTable& table, const std::string& nativePath, bool orMissing) {
  const std::string directory = table.DeepestUnnamedPath(nativePath);
  const bool drivable =
      !directory.empty() &&
      (IsDirectory(directory) || (orMissing && TypeAt(PathOf(directory)) == std::filesystem::file_type::not_found));
  // Once given, its drive holds the path, whose names below it all translate.
  if (const char letter = FreeLetter(table); drivable && letter != '\0') {
    drives_.push_back(Drive{letter, directory, "", false, false});
    table = Over(table);
  }
  return table.ToDriveForm(nativePath);
}

std::vector<std::string> RunDrives::MissingRoot(const std::string& drivePath) const {
  if (drivePath.size() < 2 || drivePath.size() > 3 || drivePath[1] != ':' ||
      (drivePath.size() == 3 && drivePath[2] != '\\')) {
    return {};
  }
  const auto own = std::find_if(drives_.begin(), drives_.end(), [&](const Drive& drive) {
    return drive.letter == std::toupper(static_cast<unsigned char>(drivePath[0]));
  });
  if (own == drives_.end()) return {};
  std::vector<std::string> missing;
  for (std::filesystem::path native = PathOf(own->root);
       native != native.parent_path() && TypeAt(native) == std::filesystem::file_type::not_found;
       native = native.parent_path()) {
    missing.insert(missing.begin(), Utf8(native));
  }
  return missing;
}

bool RunDrives::Holds(char letter) const {
  return std::any_of(drives_.begin(), drives_.end(), [&](const Drive& drive) { return drive.letter == letter; });
}

}  // namespace pb
