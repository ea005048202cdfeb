// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/drive_table.h"

namespace pb {

// One line of /proc/self/mountinfo, as FromSystem needs it.
struct MountPoint {
  std::string path;        // where it is mounted
  std::string source;      // the device, e.g. "/dev/fd0"
  uint64_t capacity = 0;   // bytes; 0 when unknown
};

// Mount points of mountinfo text, in its order, escapes resolved.
std::vector<MountPoint> ParseMountInfo(const std::string& text);

// The table FromSystem builds, from given mounts and the diskette mount-point
// directories that exist.
DriveTable DriveTableFromMounts(const std::vector<MountPoint>& mounts,
                                const std::vector<std::string>& existingDisketteDirs);

}  // namespace pb
