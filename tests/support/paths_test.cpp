#include "support/paths.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "support/posix_file_system.h"

namespace pb {
namespace {

TEST(WithTrailingBackslashTest, AppendsExactlyOneSeparator) {
  EXPECT_EQ(WithTrailingBackslash("C:\\Daten"), "C:\\Daten\\");
  EXPECT_EQ(WithTrailingBackslash("A:\\"), "A:\\");
  EXPECT_EQ(WithTrailingBackslash("A:"), "A:\\");
  EXPECT_EQ(WithTrailingBackslash(""), "\\");
  EXPECT_EQ(WithTrailingBackslash("C:\\Daten\\\\"), "C:\\Daten\\\\") << "only the last character counts";
}

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
