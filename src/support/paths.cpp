// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/paths.h"

namespace pb {

std::string WithTrailingBackslash(const std::string& path) {
  if (!path.empty() && path.back() == '\\') return path;
  return path + "\\";
}

}  // namespace pb
