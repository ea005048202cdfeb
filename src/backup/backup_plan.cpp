// SPDX-License-Identifier: GPL-3.0-or-later
#include "backup/backup_plan.h"

#include "support/paths.h"

namespace pb {

std::string PlanTarget(bool diskette, const std::string& directory) {
  return WithTrailingBackslash(diskette ? "A:" : directory);
}

std::string StoredDescription(const std::string& text) {
  const std::size_t begin = text.find_first_not_of(' ');
  if (begin == std::string::npos) return "";
  return text.substr(begin, text.find_last_not_of(' ') - begin + 1);
}

}  // namespace pb
