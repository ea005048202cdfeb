// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/drive_table.h"

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

}  // namespace
}  // namespace pb
