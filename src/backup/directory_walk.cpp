// SPDX-License-Identifier: GPL-3.0-or-later
#include "backup/directory_walk.h"

#include "support/paths.h"
#include "support/run_time_error.h"

namespace pb {

namespace {

// Names the file system cannot represent come back with "?", which no path
// may hold; querying them would fail anyway.
bool Addressable(const std::string& name) { return name.find('?') == std::string::npos; }

}  // namespace

void CollectDirectoryFiles(FileSystem& fs, Host& host, const std::string& directory, bool reset,
                           std::vector<std::string>& foundFiles) {
  std::vector<std::string> subdirectories;
  if (reset) foundFiles.clear();
  const std::string prefix = WithTrailingBackslash(directory);
  std::vector<std::string> names;
  try {
    names = fs.ListDirectory(prefix, kMaskWalk);
  } catch (const RunTimeError&) {
  }
  for (const std::string& name : names) {
    if (name.front() == '.' || !Addressable(name)) continue;
    const std::string full = prefix + name;
    int attributes = 0;
    try {
      attributes = fs.GetAttributes(full);
    } catch (const RunTimeError&) {
      continue;
    }
    if (attributes & kAttrDirectory) {
      subdirectories.push_back(full);
    } else {
      foundFiles.push_back(full);
    }
  }
  host.Yield();
  while (!subdirectories.empty()) {
    CollectDirectoryFiles(fs, host, subdirectories.back(), false, foundFiles);
    subdirectories.pop_back();
  }
}

}  // namespace pb
