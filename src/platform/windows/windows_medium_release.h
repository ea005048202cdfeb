// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "support/file_system.h"
#include "support/medium_release.h"

namespace pb {

// Windows keeps the medium mounted: the run has flushed what it wrote to it,
// and the user takes it out through the system's own "safely remove".
class WindowsMediumRelease : public MediumRelease {
 public:
  explicit WindowsMediumRelease(FileSystem& /*fs*/) {}
  bool Release(const std::string& /*driveRoot*/) noexcept override { return false; }
};

}  // namespace pb
