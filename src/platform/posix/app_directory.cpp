// SPDX-License-Identifier: GPL-3.0-or-later
#include <filesystem>

#include "support/paths.h"

namespace pb {

std::string AppDirectory(FileSystem& fs) {
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe");
  return WithTrailingBackslash(fs.ToDriveForm(exe.parent_path().string()));
}

}  // namespace pb
