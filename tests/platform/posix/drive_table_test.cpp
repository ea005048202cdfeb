// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/system_drives.h"

#include <gtest/gtest.h>

#include "error_code_of.h"
#include "support/run_time_error.h"

namespace pb {
namespace {

DriveTable MachineTable() {
  return DriveTable({{'C', "/", "/", false},
                     {'A', "/media/floppy0", "", true},
                     {'D', "/media/anna/STICK", "STICK", false},
                     {'E', "/media/anna/STICK2/", "", false}});
}

TEST(DriveTableTest, DriveFormBecomesNativePath) {
  const DriveTable table = MachineTable();
  EXPECT_EQ(table.ToNative("C:\\Daten\\Brief.doc"), "/Daten/Brief.doc");
  EXPECT_EQ(table.ToNative("C:\\"), "/");
  EXPECT_EQ(table.ToNative("C:"), "/");
  EXPECT_EQ(table.ToNative("a:\\DataBlock#1.Parcelbarge"), "/media/floppy0/DataBlock#1.Parcelbarge");
  EXPECT_EQ(table.ToNative("D:\\Sich\\"), "/media/anna/STICK/Sich");
  EXPECT_EQ(table.ToNative("E:\\x"), "/media/anna/STICK2/x") << "a root's trailing / is dropped";
  EXPECT_EQ(table.ToNative("C:\\Grüße €\\Brief (1).doc"), "/Grüße €/Brief (1).doc");
}

TEST(DriveTableTest, UnsafeOrMalformedDriveFormIsRefused) {
  const DriveTable table = MachineTable();
  for (const std::string path : {"C:\\a\\..\\b", "C:\\a\\.\\b", "C:\\..", "C:\\a\\\\b", "C:\\\\", "C:\\a\\b?c",
                                 "C:\\a\\b:c", "C:\\a\\b*", "C:\\a/b", "C:\\a\\b|c", "C:\\a\\<b>", "C:\\a\"b",
                                 "C:\\a\tb", "C:\\a\x7f", "C:\\a\nb", "C:Daten", "Daten\\Brief.doc",
                                 "\\Daten", "", "C", "Z:\\Daten", "B:", "C:\\a\\\\", "C:\\caf\xe9",
                                 "C:\\\xe2\x82", "C:\\\xe4\xb8\xad"}) {
    EXPECT_EQ(testing::ErrorCodeOf([&] { table.ToNative(path); }), kBadFileNameOrNumber) << path;
  }
}

TEST(DriveTableTest, NativePathGoesToLongestContainingRoot) {
  const DriveTable table = MachineTable();
  EXPECT_EQ(table.ToDriveForm("/tmp/x/a.txt"), "C:\\tmp\\x\\a.txt");
  EXPECT_EQ(table.ToDriveForm("/media/anna/STICK/Sich/b"), "D:\\Sich\\b");
  EXPECT_EQ(table.ToDriveForm("/media/anna/STICK2/b"), "E:\\b");
  EXPECT_EQ(table.ToDriveForm("/media/anna/STICKY/b"), "C:\\media\\anna\\STICKY\\b") << "prefix is not a parent";
  EXPECT_EQ(table.ToDriveForm("/media/anna/STICK"), "D:\\");
  EXPECT_EQ(table.ToDriveForm("/media/anna/STICK/"), "D:\\");
  EXPECT_EQ(table.ToDriveForm("/"), "C:\\");
  EXPECT_EQ(table.ToDriveForm("/media/anna/x/../STICK/c"), "D:\\c");
}

TEST(DriveTableTest, UnrepresentableCharactersShowAsQuestionMarks) {
  const DriveTable table = MachineTable();
  EXPECT_EQ(table.ToDriveForm("/tmp/a:b*c/Grüße\xe4\xb8\xad.txt"), "C:\\tmp\\a?b?c\\Grüße?.txt");
  EXPECT_EQ(table.ToDriveForm("/tmp/bad\xff\xfe|"), "C:\\tmp\\bad???");
  EXPECT_EQ(table.ToDriveForm("/tmp/tab\there"), "C:\\tmp\\tab?here");
  EXPECT_EQ(table.ToDriveForm("/tmp/a\\b"), "C:\\tmp\\a?b");
}

TEST(DriveTableTest, PathOutsideEveryDriveIsRefused) {
  const DriveTable table({{'D', "/media/x", "", false}});
  EXPECT_THROW(table.ToDriveForm("/tmp/a"), RunTimeError);
}

TEST(DriveTableTest, FindIgnoresCase) {
  const DriveTable table = MachineTable();
  ASSERT_NE(table.Find('d'), nullptr);
  EXPECT_EQ(table.Find('d')->root, "/media/anna/STICK");
  EXPECT_EQ(table.Find('Q'), nullptr);
}

TEST(RepresentableNameTest, WindowsCodePageAndForbiddenCharacters) {
  EXPECT_TRUE(IsRepresentableName("Brief 1.doc"));
  EXPECT_TRUE(IsRepresentableName("Prüfung ÄÖÜß ÿ.txt"));
  EXPECT_TRUE(IsRepresentableName("€ ‚ƒ„…†‡ˆ‰Š‹ŒŽ•–—˜™š›œžŸ"));
  EXPECT_TRUE(IsRepresentableName("\xe2\x80\x98\xe2\x80\x99\xe2\x80\x9c\xe2\x80\x9d")) << "curly quotes";
  EXPECT_TRUE(IsRepresentableName("\xc2\xa0nbsp"));
  EXPECT_FALSE(IsRepresentableName("\xc2\x81")) << "C1 control, undefined in the code page";
  EXPECT_FALSE(IsRepresentableName("\xc4\x80")) << "U+0100 lies outside the code page";
  EXPECT_FALSE(IsRepresentableName("\xc3"));
  EXPECT_FALSE(IsRepresentableName("\xc0\xae")) << "overlong encoding of '.'";
  EXPECT_FALSE(IsRepresentableName("\xed\xa0\x80")) << "surrogate";
  for (const char c : std::string("\\/:*?\"<>|\x01\x1f\x7f")) {
    EXPECT_FALSE(IsRepresentableName(std::string("a") + c)) << static_cast<int>(c);
  }
}

TEST(SystemDrivesTest, MountInfoLinesAreParsedWithEscapes) {
  const auto mounts = ParseMountInfo(
      "27 1 254:0 / / rw,relatime - ext4 /dev/vda rw\n"
      "90 27 2:0 / /media/anna/MY\\040STICK rw shared:1 master:2 - vfat /dev/sdb1 rw\n"
      "broken line\n");
  ASSERT_EQ(mounts.size(), 2u);
  EXPECT_EQ(mounts[0].path, "/");
  EXPECT_EQ(mounts[0].source, "/dev/vda");
  EXPECT_EQ(mounts[1].path, "/media/anna/MY STICK");
  EXPECT_EQ(mounts[1].source, "/dev/sdb1");
}

TEST(SystemDrivesTest, DisketteIsFd0ThenSmallMediumThenExistingDirectory) {
  const std::vector<MountPoint> withFd0 = {{"/", "/dev/vda", 0},
                                           {"/media/usb", "/dev/sdb", 1474560},
                                           {"/mnt/fd", "/dev/fd0", 1474560}};
  EXPECT_EQ(DriveTableFromMounts(withFd0, {"/mnt/floppy"}).Find('A')->root, "/mnt/fd");

  const std::vector<MountPoint> usbDiskette = {{"/", "/dev/vda", 0},
                                               {"/media/anna/BIG", "/dev/sdc", 64ull << 30},
                                               {"/media/anna/DISK", "/dev/sdb", 1474560}};
  const DriveTable table = DriveTableFromMounts(usbDiskette, {"/mnt/floppy"});
  EXPECT_EQ(table.Find('A')->root, "/media/anna/DISK");
  EXPECT_TRUE(table.Find('A')->mustBeMounted);
  EXPECT_EQ(table.Find('D')->root, "/media/anna/BIG");
  EXPECT_EQ(table.Find('E'), nullptr) << "the diskette is not also a D: drive";

  EXPECT_EQ(DriveTableFromMounts({{"/", "/dev/vda", 0}}, {"/media/floppy", "/mnt/floppy"}).Find('A')->root,
            "/media/floppy");
  EXPECT_NE(DriveTableFromMounts({{"/", "/dev/vda", 0}}, {}).Find('A'), nullptr) << "A: exists, never ready";
}

TEST(SystemDrivesTest, OtherMediaFollowInOrderOfMountPath) {
  const std::vector<MountPoint> mounts = {{"/", "/dev/vda", 0},
                                          {"/mnt/zeta", "/dev/sdd", 0},
                                          {"/run/media/bob/B", "/dev/sdc", 0},
                                          {"/media/anna/STICK", "/dev/sdb", 0},
                                          {"/media/anna/STICK", "/dev/sdb", 0},
                                          {"/home", "/dev/vdb", 0},
                                          {"/media", "tmpfs", 0}};
  const DriveTable table = DriveTableFromMounts(mounts, {});
  EXPECT_EQ(table.Find('C')->root, "/");
  EXPECT_EQ(table.Find('D')->root, "/media/anna/STICK");
  EXPECT_EQ(table.Find('E')->root, "/mnt/zeta");
  EXPECT_EQ(table.Find('F')->root, "/run/media/bob/B");
  EXPECT_EQ(table.Find('G'), nullptr);
  EXPECT_EQ(table.ToDriveForm("/media/anna/STICK/Sich/x"), "D:\\Sich\\x");
  EXPECT_EQ(table.ToDriveForm("/home/anna/x"), "C:\\home\\anna\\x");
}

}  // namespace
}  // namespace pb
