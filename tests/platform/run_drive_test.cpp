// SPDX-License-Identifier: GPL-3.0-or-later
// Directories the drive form cannot name, given as a run's target,
// destination or set directory: each a drive of its own for the run, as
// every platform's file system gives it.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "error_code_of.h"
#include "platform/native_file_system.h"
#include "support/run_time_error.h"
#include "temp_dir.h"

namespace pb {
namespace {

using testing::ErrorCodeOf;
using testing::NativePath;

std::string Utf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

// What a set would store keeps its "?"s, and so its refusal; so does a
// directory that is not there yet, unless it is asked for as a run's
// directory, which the run then makes. The system's drives are read again
// meanwhile, one of them a new medium in Z:, which the run's drive keeps.
TEST(RunDriveTest, DirectoriesAboveTheStoredNamesBecomeDrivesOfTheRun) {
  testing::TempDir dir;
  const std::filesystem::path c = dir / "C";
  testing::WriteFile(c / "Quelle" / NativePath("\xce\xb2.txt"), "b");
  bool mediumInZ = false;
  NativeFileSystem fs([&] {
    std::vector<Drive> drives = {{'C', Utf8(c), "", false, false}};
    if (mediumInZ) drives.push_back({'Z', Utf8(dir / "Z"), "", false, true});
    return DriveTable(drives);
  });
  const struct {
    const char* made;  // a directory below C:, or nullptr
    const char* asked;
    const char* driveForm;
    bool runDirectory = false;  // asked for as a directory a run is given
  } rows[] = {
      {"\xce\x91\xcf\x81\xcf\x87\xce\xb5\xce\xaf\xce\xb1/Sich", "\xce\x91\xcf\x81\xcf\x87\xce\xb5\xce\xaf\xce\xb1/Sich",
       "Z:\\Sich"},  // Greek
      {"\xd0\x9f\xd0\xb0\xd0\xbf\xd0\xba\xd0\xb0", "\xd0\x9f\xd0\xb0\xd0\xbf\xd0\xba\xd0\xb0/neu.txt",
       "Y:\\neu.txt"},                                                      // Cyrillic
      {"\xe8\xb3\x87\xe6\x96\x99/Sich", "\xe8\xb3\x87\xe6\x96\x99", "X:\\"},  // CJK
      {nullptr, "\xce\x91\xcf\x81\xcf\x87\xce\xb5\xce\xaf\xce\xb1", "Z:\\"},
      {nullptr, "\xce\x91\xcf\x81\xcf\x87\xce\xb5\xce\xaf\xce\xb1/\xce\xb2.txt", "Z:\\?.txt"},
      {nullptr, "Quelle/\xce\xb2.txt", "C:\\Quelle\\?.txt"},
      {nullptr, "\xd0\x9d\xd0\xbe\xd0\xb2/x", "C:\\???\\x"},
      {"Daten", "Daten", "C:\\Daten"},
      {nullptr, "Quelle/\xce\xb2.txt", "C:\\Quelle\\?.txt", true},
      {nullptr, "neu/\xce\x9d\xce\xad\xce\xbf\xcf\x82/\xce\xa9/Sich", "W:\\Sich", true},
      {nullptr, "\xd0\x9d\xd0\xbe\xd0\xb2", "V:\\", true},
#ifndef _WIN32
      {"ziel:1", "ziel:1/Sich", "U:\\Sich"},
      {"a\\b", "a\\b", "T:\\"},
#endif
  };
  for (const auto& row : rows) {
    if (row.made) std::filesystem::create_directories(c / NativePath(row.made));
    const std::string native = Utf8(c / NativePath(row.asked));
    EXPECT_EQ(row.runDirectory ? fs.ToDriveFormForRunDirectory(native) : fs.ToDriveFormForRun(native), row.driveForm)
        << row.asked;
    EXPECT_EQ(fs.ToDriveForm(Utf8(c / NativePath(row.asked))), row.driveForm) << "the drive lasts";
  }
  mediumInZ = true;
  // The system's drives are listed: neither the run's nor the medium in Z:.
  const std::vector<DriveInfo> drives = fs.Drives();
  ASSERT_EQ(drives.size(), 1u);
  EXPECT_EQ(drives[0].letter, 'C');
  fs.Close(fs.Open("Z:\\Sich\\DataBlock#1.Parcelbarge", OpenMode::Output));
  EXPECT_TRUE(std::filesystem::exists(c / NativePath(rows[0].made) / "DataBlock#1.Parcelbarge"));
  EXPECT_EQ(NativePath(fs.ToNative("Y:\\neu.txt")), c / NativePath(rows[1].asked));
  EXPECT_TRUE(fs.DriveReady('X'));
  // A missing run directory is made with the directories missing above it,
  // when its drive's root is; a root that is there is refused as any.
  EXPECT_FALSE(std::filesystem::exists(c / "neu"));
  fs.CreateDirectory("W:");
  fs.CreateDirectory("W:\\Sich");
  EXPECT_TRUE(std::filesystem::is_directory(c / NativePath(rows[9].asked)));
  fs.CreateDirectory("V:\\");
  EXPECT_TRUE(std::filesystem::is_directory(c / NativePath(rows[10].asked)));
  EXPECT_EQ(ErrorCodeOf([&] { fs.CreateDirectory("W:\\"); }), kPathFileAccess);
  // Names below a run's drive are held to the rules of every drive.
  EXPECT_EQ(ErrorCodeOf([&] { fs.ToNative("Z:\\Sich\\..\\..\\x"); }), kBadFileNameOrNumber);
  EXPECT_EQ(ErrorCodeOf([&] { fs.Open("Z:\\b:c", OpenMode::Output); }), kBadFileNameOrNumber);
}

// Links on the way to a run's drive taken as write directory are followed,
// links below it never.
TEST(RunDriveTest, NothingBelowARunDriveIsWrittenThroughALink) {
  std::string reason;
  if (!testing::CanPlantLinks(&reason)) GTEST_SKIP() << reason;
  testing::TempDir dir;
  const std::filesystem::path target = dir / "C" / "Ziel" / NativePath("\xce\x91");
  std::filesystem::create_directories(target);
  std::filesystem::create_directories(dir / "C" / "Draussen");
  testing::PlantLink("Ziel/\xce\x91", dir / "C" / NativePath("Weg\xce\x91"));
  testing::PlantLink("../../Draussen", target / "sub");
  NativeFileSystem fs(DriveTable({{'C', Utf8(dir / "C"), "", false, false}}));
  ASSERT_EQ(fs.ToDriveFormForRun(Utf8(dir / "C" / NativePath("Weg\xce\x91"))), "Z:\\");
  fs.SetWriteDirectory("Z:\\");
  EXPECT_EQ(ErrorCodeOf([&] { fs.Close(fs.Open("Z:\\sub\\neu.txt", OpenMode::Output)); }), kPathNotFound);
  EXPECT_NE(ErrorCodeOf([&] { fs.CreateDirectory("Z:\\sub\\neu"); }), 0);
  EXPECT_TRUE(std::filesystem::is_empty(dir / "C" / "Draussen"));
  fs.Close(fs.Open("Z:\\DataBlock#1.Parcelbarge", OpenMode::Output));
  EXPECT_TRUE(std::filesystem::exists(target / "DataBlock#1.Parcelbarge"));
  // One that is not there yet is made through the link on its way.
  ASSERT_EQ(fs.ToDriveFormForRunDirectory(Utf8(dir / "C" / NativePath("Weg\xce\x91/\xce\x92"))), "Y:\\");
  fs.CreateDirectory("Y:\\");
  EXPECT_TRUE(std::filesystem::is_directory(target / NativePath("\xce\x92")));
}

}  // namespace
}  // namespace pb
