// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/system_drives.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "error_code_of.h"
#include "media_drive.h"
#include "platform/posix/posix_file_system.h"
#include "support/run_time_error.h"
#include "temp_dir.h"

namespace pb {
namespace {

using testing::ErrorCodeOf;

constexpr uint64_t kDiskette = 1474560;
constexpr uint64_t kStick = 16ull << 30;

MountPoint Root() { return {"/", "/dev/vda1", 0, false, "", 0xFE01}; }

TEST(SystemDrivesTest, DisketteDriveIsFd0ThenRemovableOfDisketteSizeThenSmallMediumThenDirectory) {
  struct Row {
    const char* name;
    std::vector<MountPoint> mounts;
    std::vector<std::string> existingDirs;
    std::string diskette;
  };
  const MountPoint fd0{"/mnt/fd", "/dev/fd0", kDiskette, true, "", 0x200};
  const MountPoint usbFloppy{"/srv/usbfloppy", "/dev/sdb", kDiskette, true, "", 0x810};
  const MountPoint smallTmpfs{"/run/media/anna/DISK", "tmpfs", kDiskette, true, "", 0};
  const MountPoint fixedSmall{"/mnt/efi", "/dev/vda2", kDiskette, false, "", 0xFE02};
  const std::vector<Row> rows = {
      {"fd0 first", {Root(), smallTmpfs, usbFloppy, fd0}, {"/mnt/floppy"}, "/mnt/fd"},
      {"removable device of diskette size anywhere", {Root(), smallTmpfs, usbFloppy}, {}, "/srv/usbfloppy"},
      {"small medium below the media directories", {Root(), fixedSmall, smallTmpfs}, {}, "/run/media/anna/DISK"},
      {"a small fixed partition is no diskette", {Root(), fixedSmall}, {"/media/floppy"}, "/media/floppy"},
      {"nothing at all", {Root()}, {}, "/media/floppy0"},
  };
  for (const Row& row : rows) {
    DriveLetters letters;
    const DriveTable table = letters.Assign(row.mounts, row.existingDirs);
    ASSERT_NE(table.Find('A'), nullptr) << row.name;
    EXPECT_EQ(table.Find('A')->root, row.diskette) << row.name;
    EXPECT_TRUE(table.Find('A')->mustBeMounted) << row.name;
    for (const Drive& drive : table.drives()) {
      EXPECT_TRUE(drive.letter == 'A' || drive.root != row.diskette) << row.name << ": diskette twice";
    }
  }
}

TEST(SystemDrivesTest, OtherMediaTakeLettersInOrderOfMountPath) {
  const std::vector<MountPoint> mounts = {Root(),
                                          {"/mnt/zeta", "/dev/sdd", 0, false, "", 0x830},
                                          {"/run/media/bob/B", "/dev/sdc1", kStick, true, "BACKUP", 0x821},
                                          {"/media/anna/STICK", "/dev/sdb1", kStick, false, "", 0x811},
                                          {"/media/anna/STICK", "/dev/sdb1", kStick, false, "", 0x811},
                                          {"/home", "/dev/vdb", 0, false, "", 0xFE10},
                                          {"/srv/card", "/dev/mmcblk0p1", kStick, true, "KARTE", 0xB301},
                                          {"/media", "tmpfs", 0, false, "", 0}};
  DriveLetters letters;
  const DriveTable table = letters.Assign(mounts, {});
  EXPECT_EQ(table.Find('C')->root, "/");
  EXPECT_EQ(table.Find('D')->root, "/media/anna/STICK");
  EXPECT_EQ(table.Find('E')->root, "/mnt/zeta");
  EXPECT_EQ(table.Find('F')->root, "/run/media/bob/B");
  EXPECT_EQ(table.Find('F')->label, "BACKUP");
  EXPECT_TRUE(table.Find('F')->removable);
  EXPECT_FALSE(table.Find('E')->removable);
  EXPECT_EQ(table.Find('G')->root, "/srv/card") << "a removable medium wherever it is mounted";
  EXPECT_EQ(table.Find('H'), nullptr);
  EXPECT_EQ(table.ToDriveForm("/media/anna/STICK/Sich/x"), "D:\\Sich\\x");
  EXPECT_EQ(table.ToDriveForm("/home/anna/x"), "C:\\home\\anna\\x");
}

// Successive mount tables as media come and go: each step's mounts and the
// root each letter has then ("" for no such drive).
TEST(SystemDrivesTest, LettersStayWithTheirDrivesWhileMediaComeAndGo) {
  const MountPoint data{"/mnt/data", "/dev/sda2", 0, false, "", 0x802};
  const auto stick = [](const char* path, uint64_t device) { return MountPoint{path, "", kStick, true, "", device}; };
  struct Step {
    const char* name;
    std::vector<MountPoint> mounts;
    std::map<char, std::string> roots;
  };
  const std::vector<Step> steps = {
      {"a stick and a fixed disk", {Root(), stick("/media/u/S1", 0x811), data}, {{'D', "/media/u/S1"}, {'E', "/mnt/data"}}},
      {"the stick pulled: its letter stays", {Root(), data}, {{'D', "/media/u/S1"}, {'E', "/mnt/data"}, {'F', ""}}},
      {"the next stick in the same port", {Root(), stick("/media/u/S2", 0x811), data},
       {{'D', "/media/u/S2"}, {'E', "/mnt/data"}}},
      {"a second stick beside it", {Root(), stick("/media/u/S2", 0x811), stick("/media/u/A3", 0x821), data},
       {{'D', "/media/u/S2"}, {'F', "/media/u/A3"}}},
      {"both swapped for one in another port, the fixed disk gone",
       {Root(), stick("/media/u/S4", 0x831)},
       {{'D', "/media/u/S4"}, {'E', "/mnt/data"}, {'F', "/media/u/A3"}, {'G', ""}}},
      {"a medium without a device takes a vacant removable letter",
       {Root(), stick("/media/u/S4", 0x831), stick("/media/u/T", 0)},
       {{'D', "/media/u/S4"}, {'F', "/media/u/T"}}},
      {"the fixed disk back", {Root(), stick("/media/u/S4", 0x831), stick("/media/u/T", 0), data},
       {{'E', "/mnt/data"}, {'G', ""}}},
  };
  DriveLetters letters;
  for (const Step& step : steps) {
    const DriveTable table = letters.Assign(step.mounts, {});
    for (const auto& [letter, root] : step.roots) {
      const Drive* drive = table.Find(letter);
      EXPECT_EQ(drive == nullptr ? "" : drive->root, root) << step.name << ", " << letter << ":";
    }
  }
}

// The real mount table of a mount namespace of the test's own, through the
// file system the program uses.
TEST(SystemDrivesTest, DiskettePutInAtNewPathsIsFoundAtEachConsultation) {
  testing::TempDir dir;
  testing::MediaDrive drive(dir.path());
  if (!drive.usable()) GTEST_SKIP() << drive.reason();
  const int first = drive.NewMedium();
  const int second = drive.NewMedium();
  const int stick = drive.NewMedium(4 << 20);
  PosixFileSystem fs(drive.Drives());

  EXPECT_FALSE(fs.DriveReady('A'));
  EXPECT_EQ(ErrorCodeOf([&] { fs.ListDirectory("A:\\", kMaskFiles); }), kDriveNotReady);
  drive.Insert(first);
  EXPECT_TRUE(fs.DriveReady('A'));
  const FileNumber file = fs.Open("A:\\eins.txt", OpenMode::Output);
  fs.Write(file, "eins");
  fs.Close(file);

  // Without asking whether the drive is ready: a path on it finds the medium.
  drive.Insert(second);
  EXPECT_EQ(fs.FindEntry("A:\\eins.txt", kMaskFiles), "");
  EXPECT_EQ(fs.ToNative("A:\\"), drive.mountPath().string());
  drive.Insert(first);
  EXPECT_EQ(fs.FindEntry("A:\\eins.txt", kMaskFiles), "eins.txt");
  drive.Eject();
  EXPECT_EQ(ErrorCodeOf([&] { fs.FindEntry("A:\\eins.txt", kMaskFiles); }), kDriveNotReady);

  // A larger medium is no diskette: it becomes D:, removable, and the empty
  // diskette drive stays.
  drive.Insert(stick);
  const std::vector<DriveInfo> drives = fs.Drives();
  const auto d = std::find_if(drives.begin(), drives.end(), [](const DriveInfo& info) { return info.letter == 'D'; });
  ASSERT_NE(d, drives.end());
  EXPECT_TRUE(d->removable);
  EXPECT_FALSE(fs.DriveReady('A'));
  EXPECT_EQ(fs.ToNative("D:\\x"), (drive.mountPath() / "x").string());
  drive.Insert(stick);
  EXPECT_TRUE(fs.DriveReady('D')) << "the same letter at the new path";
  EXPECT_EQ(fs.ToNative("D:\\x"), (drive.mountPath() / "x").string());
}

}  // namespace
}  // namespace pb
