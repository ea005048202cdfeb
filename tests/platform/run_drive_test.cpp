// SPDX-License-Identifier: GPL-3.0-or-later
// Directories the drive form cannot name, given as a run's target,
// destination or set directory: each a drive of its own for the run, as
// every platform's file system gives it.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "error_code_of.h"
#include "support/run_time_error.h"
#include "temp_dir.h"
#include "test_drives.h"

namespace pb {
namespace {

using testing::ErrorCodeOf;
using testing::NativePath;
using testing::ReadFile;
using testing::TempDir;
using testing::TestDrives;
using testing::WriteFile;

std::string Utf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

const std::vector<std::string> kUnnamed = {
#ifndef _WIN32
    "ziel:1", "a\\b",
#endif
    "\xce\x91\xcf\x81\xcf\x87\xce\xb5\xce\xaf\xce\xb1",  // Greek
    "\xd0\x9f\xd0\xb0\xd0\xbf\xd0\xba\xd0\xb0",          // Cyrillic
    "\xe8\xb3\x87\xe6\x96\x99",                          // CJK
};

TEST(RunDriveTest, EachUnnamedDirectoryBecomesADriveThatTranslatesBothWays) {
  TestDrives drives;
  FileSystem& fs = drives.fs();
  char letter = 'Z';
  for (const std::string& name : kUnnamed) {
    SCOPED_TRACE(name);
    const std::filesystem::path dir = drives.Root('C') / NativePath(name);
    std::filesystem::create_directories(dir / "Sich");
    const std::string root = std::string(1, letter) + ":\\";
    EXPECT_EQ(fs.ToDriveFormForRun(Utf8(dir / "Sich")), root + "Sich");
    EXPECT_EQ(fs.ToDriveFormForRun(Utf8(dir)), root) << "the same directory keeps its drive";
    EXPECT_EQ(fs.ToDriveForm(Utf8(dir / "Sich" / "neu.txt")), root + "Sich\\neu.txt");
    EXPECT_EQ(NativePath(fs.ToNative(root + "Sich")), dir / "Sich");

    const FileNumber file = fs.Open(root + "Sich\\DataBlock#1.Parcelbarge", OpenMode::Output);
    fs.Write(file, "Band");
    fs.Close(file);
    EXPECT_EQ(ReadFile(dir / "Sich" / "DataBlock#1.Parcelbarge"), "Band");
    EXPECT_EQ(fs.ListDirectory(root + "Sich\\", kMaskFiles), std::vector<std::string>{"DataBlock#1.Parcelbarge"});
    EXPECT_TRUE(fs.DriveReady(letter));
    // Names below the drive are held to the rules of every drive.
    EXPECT_EQ(ErrorCodeOf([&] { fs.ToNative(root + "Sich\\..\\..\\x"); }), kBadFileNameOrNumber);
    EXPECT_EQ(ErrorCodeOf([&] { fs.Open(root + "b:c", OpenMode::Output); }), kBadFileNameOrNumber);
    --letter;
  }
}

// What a set would store keeps its "?"s, and so its refusal; a path the drive
// form already names needs no drive.
TEST(RunDriveTest, OnlyExistingDirectoriesAboveTheStoredNamesGetADrive) {
  TestDrives drives;
  FileSystem& fs = drives.fs();
  const std::filesystem::path c = drives.Root('C');
  WriteFile(c / "Quelle" / NativePath("\xce\xb2.txt"), "b");
  WriteFile(c / NativePath("\xce\x91") / "a.txt", "a");
  std::filesystem::create_directories(c / "Daten");
  const struct {
    std::filesystem::path native;
    const char* driveForm;
  } rows[] = {
      {c / "Quelle" / NativePath("\xce\xb2.txt"), "C:\\Quelle\\?.txt"},
      {c / NativePath("\xd0\x9d\xd0\xbe\xd0\xb2") / "x", "C:\\???\\x"},
      {c / "Daten", "C:\\Daten"},
      {c / NativePath("\xce\x91") / "a.txt", "Z:\\a.txt"},
      {c / NativePath("\xce\x91") / NativePath("\xce\xb2.txt"), "Z:\\?.txt"},
  };
  for (const auto& row : rows) EXPECT_EQ(fs.ToDriveFormForRun(Utf8(row.native)), row.driveForm) << Utf8(row.native);
  EXPECT_EQ(fs.Drives().size(), 4u) << "A:, C:, D: and the one of the run";
}

// The system's drives are read again while the run goes on: the run's keep
// their letters, also one the system gives a new medium meanwhile.
TEST(RunDriveTest, TheRunsDrivesOutlastEveryReadingOfTheSystemsDrives) {
  TempDir dir;
  std::filesystem::create_directories(dir / "C" / NativePath("\xce\x91"));
  std::filesystem::create_directories(dir / "Z");
  bool mediumInZ = false;
  NativeFileSystem fs([&] {
    std::vector<Drive> drives = {{'C', Utf8(dir / "C"), "", false, false}};
    if (mediumInZ) drives.push_back({'Z', Utf8(dir / "Z"), "", false, true});
    return DriveTable(drives);
  });
  EXPECT_EQ(fs.ToDriveFormForRun(Utf8(dir / "C" / NativePath("\xce\x91"))), "Z:\\");
  mediumInZ = true;
  EXPECT_EQ(fs.Drives().size(), 2u);
  EXPECT_EQ(NativePath(fs.ToNative("Z:\\x")), dir / "C" / NativePath("\xce\x91") / "x");
  std::filesystem::create_directories(dir / "C" / NativePath("\xce\x92"));
  EXPECT_EQ(fs.ToDriveFormForRun(Utf8(dir / "C" / NativePath("\xce\x92"))), "Y:\\");
}

// The write directory's link rules hold on a drive of the run as on any:
// links on the way to it are followed, links below it never.
TEST(RunDriveTest, NothingBelowARunDriveIsWrittenThroughALink) {
  std::string reason;
  if (!testing::CanPlantLinks(&reason)) GTEST_SKIP() << reason;
  TestDrives drives;
  FileSystem& fs = drives.fs();
  const std::filesystem::path c = drives.Root('C');
  const std::filesystem::path target = c / "Ziel" / NativePath("\xce\x91");
  std::filesystem::create_directories(target);
  std::filesystem::create_directories(c / "Draussen");
  testing::PlantLink("Ziel/\xce\x91", c / NativePath("Weg\xce\x91"));
  testing::PlantLink("../../Draussen", target / "sub");
  const std::string root = fs.ToDriveFormForRun(Utf8(c / NativePath("Weg\xce\x91")));
  ASSERT_EQ(root, "Z:\\");
  fs.SetWriteDirectory(root);
  EXPECT_EQ(ErrorCodeOf([&] { fs.Close(fs.Open("Z:\\sub\\neu.txt", OpenMode::Output)); }), kPathNotFound);
  EXPECT_NE(ErrorCodeOf([&] { fs.CreateDirectory("Z:\\sub\\neu"); }), 0);
  EXPECT_TRUE(std::filesystem::is_empty(c / "Draussen"));
  fs.Close(fs.Open("Z:\\DataBlock#1.Parcelbarge", OpenMode::Output));
  EXPECT_TRUE(std::filesystem::exists(target / "DataBlock#1.Parcelbarge"));
}

}  // namespace
}  // namespace pb
