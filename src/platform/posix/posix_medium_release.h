// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

#include "support/file_system.h"
#include "support/medium_release.h"

namespace pb {

// Unmounts through udisks2 where it runs, which lets a desktop user unmount
// what the desktop mounted for them; else with the unmount call, where the
// process is permitted; else the medium stays mounted and is only flushed.
class PosixMediumRelease : public MediumRelease {
 public:
  explicit PosixMediumRelease(FileSystem& fs) : fs_(fs) {}
  bool Release(const std::string& driveRoot) noexcept override;

 private:
  FileSystem& fs_;
};

// Asks udisks2 on the system bus to unmount the file system of the block
// device; true when it did.
bool UnmountThroughUdisks(uint64_t device) noexcept;

}  // namespace pb
