// SPDX-License-Identifier: GPL-3.0-or-later
#include <sys/statvfs.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "platform/posix/system_drives.h"

namespace pb {

namespace {

// The largest diskette there is: 2.88 MB.
constexpr uint64_t kMaxDisketteCapacity = 2880 * 1024;

constexpr const char* kDisketteDirs[] = {"/media/floppy0", "/media/floppy", "/mnt/floppy"};

bool IsBelow(const std::string& path, const std::string& directory) {
  return path.size() > directory.size() + 1 && path.compare(0, directory.size(), directory) == 0 &&
         path[directory.size()] == '/';
}

bool IsBelowMedia(const std::string& path) { return IsBelow(path, "/media") || IsBelow(path, "/run/media"); }

bool IsBelowMediaOrMnt(const std::string& path) { return IsBelowMedia(path) || IsBelow(path, "/mnt"); }

// Mountinfo writes space, tab, newline and backslash as three octal digits.
std::string Unescape(const std::string& field) {
  std::string result;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() &&
        std::all_of(field.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                    field.begin() + static_cast<std::ptrdiff_t>(i) + 4, [](char c) { return c >= '0' && c <= '7'; })) {
      result += static_cast<char>(std::stoi(field.substr(i + 1, 3), nullptr, 8));
      i += 3;
    } else {
      result += field[i];
    }
  }
  return result;
}

std::string DisketteRoot(const std::vector<MountPoint>& mounts, const std::vector<std::string>& existingDisketteDirs) {
  for (const auto& mount : mounts) {
    if (mount.source == "/dev/fd0") return mount.path;
  }
  for (const auto& mount : mounts) {
    if (IsBelowMedia(mount.path) && mount.capacity > 0 && mount.capacity <= kMaxDisketteCapacity) return mount.path;
  }
  if (!existingDisketteDirs.empty()) return existingDisketteDirs.front();
  // Without any diskette drive A: stays, never ready.
  return kDisketteDirs[0];
}

}  // namespace

std::vector<MountPoint> ParseMountInfo(const std::string& text) {
  std::vector<MountPoint> mounts;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::vector<std::string> fields;
    for (std::string word; words >> word;) fields.push_back(word);
    const auto separator = std::find(fields.begin(), fields.end(), "-");
    if (fields.size() < 5 || separator == fields.end() || fields.end() - separator < 3) continue;
    mounts.push_back({Unescape(fields[4]), Unescape(*(separator + 2)), 0});
  }
  return mounts;
}

DriveTable DriveTableFromMounts(const std::vector<MountPoint>& mounts,
                                const std::vector<std::string>& existingDisketteDirs) {
  const std::string disketteRoot = DisketteRoot(mounts, existingDisketteDirs);
  std::vector<Drive> drives = {{'A', disketteRoot, disketteRoot, true}, {'C', "/", "/", false}};
  std::set<std::string> media;
  for (const auto& mount : mounts) {
    if (IsBelowMediaOrMnt(mount.path) && mount.path != disketteRoot) media.insert(mount.path);
  }
  char letter = 'D';
  for (const auto& path : media) {
    if (letter > 'Z') break;
    drives.push_back({letter++, path, path, false});
  }
  return DriveTable(std::move(drives));
}

DriveTable DriveTable::FromSystem() {
  std::ifstream in("/proc/self/mountinfo");
  std::ostringstream text;
  text << in.rdbuf();
  std::vector<MountPoint> mounts = ParseMountInfo(text.str());
  for (auto& mount : mounts) {
    struct statvfs info {};
    if (IsBelowMedia(mount.path) && statvfs(mount.path.c_str(), &info) == 0) {
      mount.capacity = static_cast<uint64_t>(info.f_blocks) * info.f_frsize;
    }
  }
  std::vector<std::string> existing;
  std::error_code ignored;
  for (const char* dir : kDisketteDirs) {
    if (std::filesystem::is_directory(dir, ignored)) existing.emplace_back(dir);
  }
  return DriveTableFromMounts(mounts, existing);
}

}  // namespace pb
