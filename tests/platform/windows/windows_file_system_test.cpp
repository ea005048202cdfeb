// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/windows/windows_file_system.h"

#include <windows.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "error_code_of.h"
#include "support/paths.h"
#include "support/run_time_error.h"
#include "test_drives.h"
#include "temp_dir.h"

namespace pb {
namespace {

using testing::ErrorCodeOf;
using testing::NativePath;
using testing::TestDrives;
using testing::WriteFile;

void SetSystemAttributes(const std::filesystem::path& path, DWORD attributes) {
  ASSERT_TRUE(SetFileAttributesW(path.c_str(), attributes)) << path;
}

class WindowsFileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(drives.Native("C:\\Ziel\\b.txt"), "b");
    WriteFile(drives.Native("C:\\Ziel\\A.txt"), "a");
    WriteFile(drives.Native("C:\\Ziel\\versteckt"), "h");
    WriteFile(drives.Native("C:\\Ziel\\system.dat"), "s");
    WriteFile(drives.Native("C:\\Ziel\\fest"), "r");
    std::filesystem::create_directories(drives.Native("C:\\Ziel\\Unter"));
    std::filesystem::create_directories(drives.Native("C:\\Ziel\\Geheim"));
    SetSystemAttributes(drives.Native("C:\\Ziel\\versteckt"), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
    SetSystemAttributes(drives.Native("C:\\Ziel\\system.dat"), FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
    SetSystemAttributes(drives.Native("C:\\Ziel\\fest"), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
    SetSystemAttributes(drives.Native("C:\\Ziel\\Geheim"), FILE_ATTRIBUTE_HIDDEN);
  }

  TestDrives drives;
  FileSystem& fs = drives.fs();
};

TEST_F(WindowsFileSystemTest, AttributesAreTheSystemsOwn) {
  const std::pair<const char*, int> table[] = {
      {"C:\\Ziel\\b.txt", kAttrArchive},
      {"C:\\Ziel\\versteckt", kAttrArchive | kAttrHidden},
      {"C:\\Ziel\\system.dat", kAttrArchive | kAttrSystem},
      {"C:\\Ziel\\fest", kAttrArchive | kAttrReadOnly},
      {"C:\\Ziel\\Unter", kAttrDirectory},
      {"C:\\Ziel\\Geheim", kAttrDirectory | kAttrHidden},
      {"C:\\", kAttrDirectory},
  };
  for (const auto& [path, attributes] : table) EXPECT_EQ(fs.GetAttributes(path), attributes) << path;
  fs.SetAttributesNormal("C:\\Ziel\\fest");
  EXPECT_EQ(fs.GetAttributes("C:\\Ziel\\fest"), kAttrArchive) << "only read-only is cleared";
}

TEST_F(WindowsFileSystemTest, MasksSelectTheKindsOfEntries) {
  using Names = std::vector<std::string>;
  const std::pair<int, Names> table[] = {
      {kMaskOrdinary, {"A.txt", "b.txt", "fest"}},
      {kMaskFiles, {"A.txt", "b.txt", "fest", "system.dat", "versteckt"}},
      {kMaskWalk, {"A.txt", "b.txt", "fest", "Geheim", "system.dat", "Unter", "versteckt"}},
      {kMaskAll, {"A.txt", "b.txt", "fest", "Geheim", "system.dat", "Unter", "versteckt"}},
  };
  for (const auto& [mask, names] : table) EXPECT_EQ(fs.ListDirectory("C:\\Ziel", mask), names) << mask;
  EXPECT_EQ(fs.ListDirectory("C:\\", kMaskWalk), (Names{"Ziel"}));
}

TEST_F(WindowsFileSystemTest, FindEntryGivesTheStoredNameWhenItMatchesTheMask) {
  const std::tuple<const char*, int, const char*> table[] = {
      {"C:\\Ziel\\B.TXT", kMaskOrdinary, "b.txt"},
      {"C:\\ziel\\unter", kMaskWalk, "Unter"},
      {"C:\\Ziel\\versteckt", kMaskOrdinary, ""},
      {"C:\\Ziel\\versteckt", kMaskFiles, "versteckt"},
      {"C:\\Ziel\\system.dat", kMaskFiles, "system.dat"},
      {"C:\\Ziel\\Unter", kMaskFiles, ""},
      {"C:\\Ziel\\fehlt", kMaskAll, ""},
      {"C:\\Ziel\\b.txt\\x", kMaskAll, ""},
      {"D:", kMaskAll, "D:\\"},
      {"D:\\", kMaskFiles, ""},
  };
  for (const auto& [path, mask, name] : table) {
    SCOPED_TRACE(path);
    EXPECT_EQ(fs.FindEntry(path, mask), name) << mask;
  }
}

TEST_F(WindowsFileSystemTest, DeviceNamesAndNamesWindowsWouldChangeAreRefused) {
  for (const std::string path : {"C:\\CON", "C:\\Ziel\\nul.txt", "C:\\aux", "C:\\com1", "C:\\LPT9.doc",
                                 "C:\\prn .txt", "C:\\x.", "C:\\x ", "C:\\Ziel.\\b.txt", "C:\\a?b"}) {
    EXPECT_EQ(ErrorCodeOf([&] { fs.Open(path, OpenMode::BinaryWrite); }), kBadFileNameOrNumber) << path;
  }
  EXPECT_EQ(fs.FindEntry("C:\\console", kMaskAll), "") << "a longer name is an ordinary name";
}

TEST_F(WindowsFileSystemTest, NamesOutsideTheCodePageAreListedWithQuestionMarks) {
  WriteFile(drives.Root('D') / NativePath("Grüße\xe4\xb8\xad.txt"), "x");
  WriteFile(drives.Root('D') / NativePath("Grüße.txt"), "y");
  EXPECT_EQ(fs.ListDirectory("D:\\", kMaskOrdinary), (std::vector<std::string>{"Grüße.txt", "Grüße?.txt"}));
  EXPECT_EQ(ErrorCodeOf([&] { fs.Open("D:\\Grüße?.txt", OpenMode::BinaryRead); }), kBadFileNameOrNumber);
  const FileNumber file = fs.Open("D:\\Grüße.txt", OpenMode::BinaryRead);
  EXPECT_EQ(fs.Read(file, 1), "y");
  fs.Close(file);
}

TEST(WindowsDriveTableTest, DriveRootsAreNativeAndOtherRootsAreDirectories) {
  const DriveTable table({{'C', "C:\\", "", false}, {'D', "C:\\Medien\\Stick\\", "", false}});
  const std::pair<const char*, const char*> toNative[] = {
      {"C:\\Daten\\Brief.doc", "C:\\Daten\\Brief.doc"}, {"c:\\", "C:\\"}, {"C:", "C:\\"},
      {"D:\\Sich\\", "C:\\Medien\\Stick\\Sich"},       {"D:", "C:\\Medien\\Stick"},
  };
  for (const auto& [drivePath, native] : toNative) EXPECT_EQ(table.ToNative(drivePath), native) << drivePath;
  const std::pair<const char*, const char*> toDriveForm[] = {
      {"C:\\Daten\\Brief.doc", "C:\\Daten\\Brief.doc"}, {"c:\\daten", "C:\\daten"},
      {"C:/Daten/x/../y", "C:\\Daten\\y"},             {"c:\\medien\\stick\\a", "D:\\a"},
      {"C:\\Medien\\Sticks\\a", "C:\\Medien\\Sticks\\a"}, {"C:\\Medien\\Stick", "D:\\"},
      {"C:\\Daten.\\x. .", "C:\\Daten\\x"},        {"C:/Daten//x/./", "C:\\Daten\\x"},
  };
  for (const auto& [native, drivePath] : toDriveForm) EXPECT_EQ(table.ToDriveForm(native), drivePath) << native;
  EXPECT_EQ(testing::ErrorCodeOf([&] { table.ToDriveForm("E:\\x"); }), kPathNotFound);
  // Never the current drive's C:\srv\share\x.
  for (const char* onNoDrive :
       {"\\\\srv\\share\\x", "//srv/share", "\\/srv", "\\\\?\\C:\\x", "\\\\.\\C:\\x", "//?/C:/x"}) {
    EXPECT_EQ(testing::ErrorCodeOf([&] { table.ToDriveForm(onNoDrive); }), kBadFileNameOrNumber) << onNoDrive;
  }
}

TEST(WindowsDrivesTest, SystemTableHasTheSystemsDrivesAndAlwaysA) {
  WindowsFileSystem fs(SystemDriveReader());
  const std::vector<DriveInfo> drives = fs.Drives();
  ASSERT_FALSE(drives.empty());
  EXPECT_EQ(drives.front().letter, 'A');
  const DWORD present = GetLogicalDrives();
  for (const DriveInfo& drive : drives) {
    EXPECT_TRUE(drive.letter == 'A' || (present & (1u << (drive.letter - 'A'))) != 0) << drive.letter;
  }
  EXPECT_EQ(fs.DriveReady('A'), (present & 1u) != 0 && fs.FindEntry("A:\\", kMaskAll) == "A:\\");
  EXPECT_EQ(fs.ToNative("C:\\Daten"), "C:\\Daten") << "drive form is native";
  EXPECT_EQ(fs.CurrentDirectory(), fs.ToDriveForm(std::filesystem::current_path().string()));
}

TEST(WindowsAppDirectoryTest, IsTheExecutablesDirectoryInDriveForm) {
  WindowsFileSystem machine(SystemDriveReader());
  wchar_t exe[MAX_PATH] = {};
  ASSERT_GT(GetModuleFileNameW(nullptr, exe, MAX_PATH), 0u);
  const std::filesystem::path exeDir = std::filesystem::path(exe).parent_path();
  const std::u8string utf8 = exeDir.u8string();
  const std::string native(utf8.begin(), utf8.end());
  EXPECT_EQ(AppDirectory(machine), machine.ToDriveForm(native) + "\\");
  WindowsFileSystem atRoot(DriveTable({{'C', "C:\\", "", false}, {'D', native, "", false}}));
  EXPECT_EQ(AppDirectory(atRoot), "D:\\") << "a program at a drive root has exactly one separator";
}

}  // namespace
}  // namespace pb
