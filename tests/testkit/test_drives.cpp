// SPDX-License-Identifier: GPL-3.0-or-later
#include "test_drives.h"

#include <vector>

namespace pb::testing {

namespace {

DriveTable TableBelow(const std::filesystem::path& base, bool disketteMustBeMounted) {
  std::vector<Drive> drives;
  for (const char letter : {'A', 'C', 'D'}) {
    const std::filesystem::path root = base / std::string(1, letter);
    std::filesystem::create_directory(root);
    const std::u8string utf8 = root.u8string();
    const std::string native(utf8.begin(), utf8.end());
    drives.push_back({letter, native, native, letter == 'A' && disketteMustBeMounted});
  }
  return DriveTable(std::move(drives));
}

}  // namespace

TestDrives::TestDrives(bool disketteMustBeMounted) : fs_(TableBelow(dir_.path(), disketteMustBeMounted)) {}

std::filesystem::path TestDrives::Root(char letter) const { return NativePath(table().Find(letter)->root); }

std::filesystem::path TestDrives::Native(const std::string& drivePath) const {
  return NativePath(table().ToNative(drivePath));
}

}  // namespace pb::testing
