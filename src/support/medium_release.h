// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace pb {

// Makes a medium safe to take out once a run has finished writing to it.
class MediumRelease {
 public:
  virtual ~MediumRelease() = default;
  // driveRoot is the root of the drive that holds the medium ("A:\"); the
  // caller has flushed and closed everything it wrote there. Unmounts the
  // medium where the system lets the program (through the desktop's disk
  // service, else by itself) and puts what is left on the device. True when
  // the medium is now unmounted and may be taken out. Never unmounts the
  // medium that holds the program. Never throws.
  virtual bool Release(const std::string& driveRoot) noexcept = 0;
};

}  // namespace pb
