// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/drive_table.h"

namespace pb {

// A file system mounted on this machine, as the drive table needs it.
struct MountPoint {
  std::string path;        // where it is mounted
  std::string source;      // the device, e.g. "/dev/fd0"
  uint64_t capacity = 0;   // bytes; 0 when unknown
  bool removable = false;  // a medium that can be taken out
  std::string label;       // the file system's name; may be empty
  uint64_t device = 0;     // the block device's number; 0 for none
};

// Where drives are looked for.
struct DriveLocations {
  // Where the desktop mounts each medium, at a path of its own.
  std::vector<std::string> media = {"/media", "/run/media"};
  // Where file systems are mounted by hand.
  std::vector<std::string> others = {"/mnt"};
  // Where a diskette is mounted when no medium is.
  std::vector<std::string> disketteDirs = {"/media/floppy0", "/media/floppy", "/mnt/floppy"};
};

// Whether path lies strictly below one of the directories.
bool IsBelowAny(const std::string& path, const std::vector<std::string>& directories);

// The mount table of this process (libmount), each block device described by
// udev and sysfs. Only file systems below the media directories are asked
// for their size, so that no other one (a hung network mount) is touched.
std::vector<MountPoint> ReadMountTable(const DriveLocations& locations);

// Makes drive tables of successive mount tables. A: is the diskette drive:
// /dev/fd0, else a removable medium of diskette capacity wherever it is
// mounted, else a medium of diskette capacity below the media directories,
// else the first existing diskette directory; it is always present and not
// ready while nothing is mounted at its root. C: is "/". D: onward are the
// other file systems below the media and other directories and the removable
// media elsewhere, first in order of their paths. A letter, once given, stays
// with its medium; when the medium goes the letter stays, not ready, and the
// next medium of the same device, else the next removable medium, takes it.
class DriveLetters {
 public:
  explicit DriveLetters(DriveLocations locations = {}) : locations_(std::move(locations)) {}

  const DriveLocations& locations() const { return locations_; }
  DriveTable Assign(const std::vector<MountPoint>& mounts, const std::vector<std::string>& existingDisketteDirs);

 private:
  struct Given {
    char letter;
    MountPoint mount;
    bool present;
  };
  std::string DisketteRoot(const std::vector<MountPoint>& mounts,
                           const std::vector<std::string>& existingDisketteDirs) const;
  bool IsDriveMount(const MountPoint& mount) const;
  Given* VacantFor(const MountPoint& mount);

  DriveLocations locations_;
  std::vector<Given> given_;
};

// Reads this machine's drives at each call, with the given locations.
DriveReader DriveReaderFor(DriveLocations locations);

}  // namespace pb
