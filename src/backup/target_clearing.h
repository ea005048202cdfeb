// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "store/set_identity.h"

namespace pb {

// Whether emptying the target before a volume (the clear-target option)
// leaves the file of this name: names beginning with "." stay; a name the
// file system cannot address again cannot be deleted either. The identity
// record is the run's own to keep or replace when the volume is opened.
inline bool KeptWhenClearing(const std::string& name) {
  return name.front() == '.' || name.find('?') != std::string::npos || name == kIdentityFileName;
}

}  // namespace pb
