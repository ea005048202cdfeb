// SPDX-License-Identifier: GPL-3.0-or-later
#include <filesystem>

#include <gtest/gtest.h>

#include "platform/posix/posix_file_system.h"
#include "support/paths.h"

namespace pb {
namespace {

TEST(AppDirectoryTest, IsTheExecutablesDirectoryInDriveForm) {
  const std::string exeDir = std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
  PosixFileSystem machine(DriveTable({{'C', "/", "/", false}}));
  const std::string dir = AppDirectory(machine);
  EXPECT_EQ(dir, machine.ToDriveForm(exeDir) + "\\");
  EXPECT_EQ(dir.substr(0, 3), "C:\\");

  PosixFileSystem atRoot(DriveTable({{'C', "/", "/", false}, {'D', exeDir, "", false}}));
  EXPECT_EQ(AppDirectory(atRoot), "D:\\") << "a program at a drive root has exactly one separator";
}

}  // namespace
}  // namespace pb
