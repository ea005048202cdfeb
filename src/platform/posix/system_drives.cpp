// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/system_drives.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>

namespace pb {

namespace {

// The largest diskette there is: 2.88 MB.
constexpr uint64_t kMaxDisketteCapacity = 2880 * 1024;

bool HoldsDiskette(const MountPoint& mount) { return mount.capacity > 0 && mount.capacity <= kMaxDisketteCapacity; }

// The table's label: the file system's name, else where it is mounted.
std::string LabelOf(const MountPoint& mount) { return mount.label.empty() ? mount.path : mount.label; }

}  // namespace

bool IsBelowAny(const std::string& path, const std::vector<std::string>& directories) {
  return std::any_of(directories.begin(), directories.end(), [&](const std::string& directory) {
    return path.size() > directory.size() + 1 && path.compare(0, directory.size(), directory) == 0 &&
           path[directory.size()] == '/';
  });
}

std::string DriveLetters::DisketteRoot(const std::vector<MountPoint>& mounts,
                                       const std::vector<std::string>& existingDisketteDirs) const {
  for (const auto& mount : mounts) {
    if (mount.source == "/dev/fd0") return mount.path;
  }
  for (const auto& mount : mounts) {
    if (mount.removable && mount.device != 0 && HoldsDiskette(mount)) return mount.path;
  }
  for (const auto& mount : mounts) {
    if (IsBelowAny(mount.path, locations_.media) && HoldsDiskette(mount)) return mount.path;
  }
  if (!existingDisketteDirs.empty()) return existingDisketteDirs.front();
  // Without any diskette drive A: stays, never ready.
  return locations_.disketteDirs.empty() ? std::string("/media/floppy0") : locations_.disketteDirs.front();
}

bool DriveLetters::IsDriveMount(const MountPoint& mount) const {
  return mount.path != "/" && (mount.removable || IsBelowAny(mount.path, locations_.media) ||
                               IsBelowAny(mount.path, locations_.others));
}

// The drive whose medium went away from the same device, else, for a
// removable medium, the first whose removable medium went away.
DriveLetters::Given* DriveLetters::VacantFor(const MountPoint& mount) {
  for (Given& given : given_) {
    if (!given.present && given.mount.device != 0 && given.mount.device == mount.device) return &given;
  }
  for (Given& given : given_) {
    if (!given.present && given.mount.removable && mount.removable) return &given;
  }
  return nullptr;
}

DriveTable DriveLetters::Assign(const std::vector<MountPoint>& mounts,
                                const std::vector<std::string>& existingDisketteDirs) {
  const std::string disketteRoot = DisketteRoot(mounts, existingDisketteDirs);
  std::vector<Drive> drives = {{'A', disketteRoot, disketteRoot, true, true}, {'C', "/", "/", false, false}};
  // The last mount at a path is the one seen there.
  std::map<std::string, MountPoint> current;
  for (const auto& mount : mounts) {
    if (mount.path == disketteRoot && !mount.label.empty()) drives.front().label = mount.label;
    if (IsDriveMount(mount) && mount.path != disketteRoot) current[mount.path] = mount;
  }

  // A medium still where it was keeps its letter; the others take a letter
  // left vacant, else the first free one.
  for (Given& given : given_) {
    const auto found = current.find(given.mount.path);
    given.present = found != current.end() && found->second.device == given.mount.device;
    if (given.present) current.erase(found);
  }
  for (const auto& [path, mount] : current) {
    if (Given* vacant = VacantFor(mount)) {
      *vacant = {vacant->letter, mount, true};
      continue;
    }
    char letter = 'D';
    while (letter <= 'Z' && std::any_of(given_.begin(), given_.end(), [&](const Given& given) {
             return given.letter == letter;
           })) {
      ++letter;
    }
    if (letter > 'Z') break;
    given_.push_back({letter, mount, true});
  }
  std::sort(given_.begin(), given_.end(), [](const Given& a, const Given& b) { return a.letter < b.letter; });

  for (const Given& given : given_) {
    drives.push_back({given.letter, given.mount.path, LabelOf(given.mount), true, given.mount.removable});
  }
  return DriveTable(std::move(drives));
}

DriveReader DriveReaderFor(DriveLocations locations) {
  auto letters = std::make_shared<DriveLetters>(std::move(locations));
  return [letters] {
    std::vector<std::string> existing;
    std::error_code ignored;
    for (const std::string& dir : letters->locations().disketteDirs) {
      if (std::filesystem::is_directory(dir, ignored)) existing.push_back(dir);
    }
    return letters->Assign(ReadMountTable(letters->locations()), existing);
  };
}

DriveReader SystemDriveReader() { return DriveReaderFor(DriveLocations{}); }

}  // namespace pb
