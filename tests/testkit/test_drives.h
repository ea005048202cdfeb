// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string>

#include "platform/native_file_system.h"
#include "temp_dir.h"

namespace pb::testing {

// Drives C:, A: and D: as empty subdirectories C, A and D of a fresh temporary
// directory, with a real file system over them. A: counts as a diskette drive
// (not ready unless a file system is mounted at its root) only when asked.
class TestDrives {
 public:
  explicit TestDrives(bool disketteMustBeMounted = false);

  NativeFileSystem& fs() { return fs_; }
  const DriveTable& table() const { return fs_.table(); }
  // The native directory of a drive.
  std::filesystem::path Root(char letter) const;
  // The native path of a drive-form path ("D:\Sich\DataBlock#1.Parcelbarge").
  std::filesystem::path Native(const std::string& drivePath) const;

 private:
  TempDir dir_;
  NativeFileSystem fs_;
};

}  // namespace pb::testing
