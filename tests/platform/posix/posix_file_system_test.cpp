// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/posix_file_system.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include <gtest/gtest.h>

#include "error_code_of.h"
#include "support/run_time_error.h"
#include "test_drives.h"
#include "temp_dir.h"

namespace pb {
namespace {

using testing::ErrorCodeOf;
using testing::MakeReadOnly;
using testing::ReadFile;
using testing::TestDrives;
using testing::WriteFile;

class PosixFileSystemTest : public ::testing::Test {
 protected:
  TestDrives drives;
  FileSystem& fs = drives.fs();
};

TEST_F(PosixFileSystemTest, FileIdentityIgnoresLinks) {
  WriteFile(drives.Native("D:\\a.bin"), "aaa");
  std::filesystem::create_symlink("a.bin", drives.Native("D:\\link"));
  EXPECT_EQ(fs.FileIdentity("D:\\link"), "");
}

TEST_F(PosixFileSystemTest, PipeIsRefusedWithoutHanging) {
  ASSERT_EQ(mkfifo(drives.Native("C:\\pipe").c_str(), 0600), 0);
  EXPECT_EQ(ErrorCodeOf([&] { fs.Open("C:\\pipe", OpenMode::BinaryRead); }), kPathFileAccess);
}

// Small reads take their bytes from a larger read ahead. Each read still gives
// the file's bytes at its position, a read ahead that fails fails no read that
// can be made alone, and after a Seek the file is read as it is now.
TEST_F(PosixFileSystemTest, ReadsGiveTheBytesAtTheirPositionWhateverWasReadAhead) {
  const std::string data = testing::RandomBytes(200000, 7);
  const std::filesystem::path native = drives.Native("D:\\v.bin");
  struct Step {
    int64_t seek;  // 1-based position to go to first; 0 reads on
    int64_t count;
    int32_t code = 0;
  };
  // What happens to the file after the first step, and what it then holds.
  using Meanwhile = std::function<std::string()>;
  const struct {
    const char* what;
    std::vector<Step> steps;
    Meanwhile meanwhile;
  } rows[] = {
      {"small reads in order across read-ahead ends",
       {{0, 4}, {0, 2}, {0, 22}, {0, 65000}, {0, 8}, {0, 70000}, {0, 3}}, nullptr},
      {"back into what was read ahead", {{101, 10}, {51, 10}, {61, 100}, {0, 1}}, nullptr},
      {"a large read between small ones", {{0, 10}, {0, 131072}, {0, 10}}, nullptr},
      {"small reads up to the end", {{199991, 4}, {0, 6}, {0, 0}, {0, 1, kInputPastEnd}}, nullptr},
      {"cut short meanwhile", {{0, 4}, {501, 100}, {0, 400}, {0, 1, kInputPastEnd}},
       [&] {
         std::filesystem::resize_file(native, 1000);
         return data.substr(0, 1000);
       }},
      {"changed in place meanwhile", {{0, 4}, {1, 8}, {0, 100}},
       [&] {
         const std::string changed = testing::RandomBytes(data.size(), 8);
         WriteFile(native, changed);
         return changed;
       }},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    WriteFile(native, data);
    std::string now = data;
    const FileNumber file = fs.Open("D:\\v.bin", OpenMode::BinaryRead);
    int64_t position = 0;
    for (std::size_t i = 0; i < row.steps.size(); ++i) {
      SCOPED_TRACE("step " + std::to_string(i));
      const Step& step = row.steps[i];
      if (i == 1 && row.meanwhile) now = row.meanwhile();
      if (step.seek > 0) {
        fs.Seek(file, step.seek);
        position = step.seek - 1;
      }
      std::string bytes;
      EXPECT_EQ(ErrorCodeOf([&] { bytes = fs.Read(file, step.count); }), step.code);
      if (step.code == 0) {
        EXPECT_TRUE(bytes == now.substr(static_cast<std::size_t>(position), static_cast<std::size_t>(step.count)));
        position += step.count;
      }
      EXPECT_EQ(fs.Position(file), position);
    }
    fs.Close(file);
  }
}

class DirectoryQueryTest : public PosixFileSystemTest {
 protected:
  void SetUp() override {
    WriteFile(drives.Native("C:\\Ziel\\b.txt"), "b");
    WriteFile(drives.Native("C:\\Ziel\\A.txt"), "a");
    WriteFile(drives.Native("C:\\Ziel\\.versteckt"), "h");
    WriteFile(drives.Native("C:\\Ziel\\fest"), "r");
    MakeReadOnly(drives.Native("C:\\Ziel\\fest"));
    std::filesystem::create_directories(drives.Native("C:\\Ziel\\Unter"));
    std::filesystem::create_directories(drives.Native("C:\\Ziel\\.git"));
    std::filesystem::create_symlink("b.txt", drives.Native("C:\\Ziel\\link"));
    std::filesystem::create_symlink("nirgends", drives.Native("C:\\Ziel\\tot"));
    std::filesystem::create_directory_symlink("Unter", drives.Native("C:\\Ziel\\daneben"));
    std::filesystem::create_directory_symlink(".", drives.Native("C:\\Ziel\\selbst"));
    std::filesystem::create_directory_symlink("..", drives.Native("C:\\Ziel\\Unter\\hoch"));
    std::filesystem::create_directory_symlink("/", drives.Native("C:\\Ziel\\Unter\\wurzel"));
    ASSERT_EQ(mkfifo(drives.Native("C:\\Ziel\\pipe").c_str(), 0600), 0);
  }
};

TEST_F(DirectoryQueryTest, MasksSelectTheKindsOfEntries) {
  using Names = std::vector<std::string>;
  EXPECT_EQ(fs.ListDirectory("C:\\Ziel", kMaskOrdinary), (Names{"A.txt", "b.txt", "fest", "link"}));
  EXPECT_EQ(fs.ListDirectory("C:\\Ziel\\", kMaskFiles), (Names{".versteckt", "A.txt", "b.txt", "fest", "link"}));
  // Of the links to directories only those that lead back up are left out;
  // a walk gets them too, with the pipe and the link without target, to name
  // them.
  EXPECT_EQ(fs.ListDirectory("C:\\Ziel", kMaskWalk), (Names{".git", ".versteckt", "A.txt", "b.txt", "daneben", "fest",
                                                           "link", "pipe", "selbst", "tot", "Unter"}));
  EXPECT_EQ(fs.ListDirectory("C:\\Ziel\\daneben", kMaskWalk), (Names{"hoch", "wurzel"}));
  EXPECT_EQ(fs.ListDirectory("C:\\Ziel\\daneben", kMaskAll), Names{});
  EXPECT_EQ(fs.ListDirectory("C:\\Ziel", kMaskAll),
            (Names{".git", ".versteckt", "A.txt", "b.txt", "daneben", "fest", "link", "Unter"}));
  EXPECT_EQ(fs.ListDirectory("C:\\", kMaskWalk), (Names{"Ziel"}));
}

// One pass over the directory tells each entry as GetAttributes does: links,
// loops, pipes and permissions alike.
TEST_F(DirectoryQueryTest, ListedEntriesCarryTheAttributesGetAttributesTells) {
  MakeReadOnly(drives.Native("C:\\Ziel\\Unter"));
  for (const char* directory : {"C:\\Ziel", "C:\\Ziel\\", "C:\\Ziel\\daneben", "C:\\Ziel\\Unter", "C:\\"}) {
    for (const int mask : {kMaskOrdinary, kMaskWalk, kMaskAll}) {
      const std::vector<DirectoryEntry> listed = fs.ListEntries(directory, mask);
      EXPECT_EQ(listed, fs.FileSystem::ListEntries(directory, mask)) << directory << " mask " << mask;
      EXPECT_EQ(listed.size(), fs.ListDirectory(directory, mask).size()) << directory << " mask " << mask;
    }
  }
}

TEST_F(DirectoryQueryTest, FindEntryMatchesExactNameAndMask) {
  EXPECT_EQ(fs.FindEntry("C:\\Ziel\\b.txt", kMaskOrdinary), "b.txt");
  EXPECT_EQ(fs.FindEntry("C:\\Ziel\\B.TXT", kMaskAll), "") << "names are compared with case";
  EXPECT_EQ(fs.FindEntry("C:\\Ziel\\.versteckt", kMaskOrdinary), "");
  EXPECT_EQ(fs.FindEntry("C:\\Ziel\\.versteckt", kMaskFiles), ".versteckt");
  EXPECT_EQ(fs.FindEntry("C:\\Ziel\\fest", kMaskOrdinary), "fest");
  EXPECT_EQ(fs.FindEntry("C:\\Ziel\\Unter", kMaskFiles), "");
  EXPECT_EQ(fs.FindEntry("C:\\Ziel\\Unter", kMaskAll), "Unter");
  EXPECT_EQ(fs.FindEntry("C:\\Ziel\\tot", kMaskAll), "");
  EXPECT_EQ(fs.FindEntry("C:\\Ziel\\pipe", kMaskAll), "");
  EXPECT_EQ(fs.FindEntry("C:\\Ziel\\fehlt", kMaskAll), "");
  EXPECT_EQ(fs.FindEntry("C:\\Ziel\\b.txt\\x", kMaskAll), "");
  EXPECT_EQ(fs.FindEntry("D:", kMaskAll), "D:\\") << "a drive root exists";
  EXPECT_EQ(fs.FindEntry("D:\\", kMaskFiles), "");
}

TEST_F(DirectoryQueryTest, AttributesFollowTheNameAndPermissions) {
  EXPECT_EQ(fs.GetAttributes("C:\\Ziel\\.versteckt"), kAttrArchive | kAttrHidden);
  EXPECT_EQ(fs.GetAttributes("C:\\Ziel\\.git"), kAttrDirectory | kAttrHidden);
  EXPECT_EQ(fs.GetAttributes("C:\\Ziel\\link"), kAttrArchive);
  EXPECT_EQ(fs.GetAttributes("C:\\Ziel\\pipe"), kAttrSpecial);
  EXPECT_EQ(fs.GetAttributes("C:\\Ziel\\tot"), kAttrNoTarget);
  EXPECT_EQ(fs.GetAttributes("C:\\"), kAttrDirectory);
  // A link to a directory is one; one that leads back up is also a loop,
  // wherever the path to it runs.
  EXPECT_EQ(fs.GetAttributes("C:\\Ziel\\daneben"), kAttrDirectory);
  EXPECT_EQ(fs.GetAttributes("C:\\Ziel\\selbst"), kAttrDirectory | kAttrLoop);
  EXPECT_EQ(fs.GetAttributes("C:\\Ziel\\Unter\\hoch"), kAttrDirectory | kAttrLoop);
  EXPECT_EQ(fs.GetAttributes("C:\\Ziel\\daneben\\hoch"), kAttrDirectory | kAttrLoop);
  EXPECT_EQ(fs.GetAttributes("C:\\Ziel\\Unter\\wurzel"), kAttrDirectory | kAttrLoop);
  MakeReadOnly(drives.Native("C:\\Ziel\\Unter"));
  EXPECT_EQ(fs.GetAttributes("C:\\Ziel\\Unter"), kAttrDirectory | kAttrReadOnly);
  fs.SetAttributesNormal("C:\\Ziel\\Unter");
  EXPECT_EQ(fs.GetAttributes("C:\\Ziel\\Unter"), kAttrDirectory);
}

TEST_F(DirectoryQueryTest, FileLengthFollowsLinksAndNeedsNoReading) {
  ASSERT_EQ(chmod(drives.Native("C:\\Ziel\\A.txt").c_str(), 0), 0);
  const struct {
    const char* path;
    int64_t length;  // -1: fails with the code opening it for reading fails with
  } rows[] = {
      {"C:\\Ziel\\link", 1},    {"C:\\Ziel\\fest", 1},      {"C:\\Ziel\\A.txt", 1},
      {"C:\\Ziel\\tot", -1},    {"C:\\Ziel\\pipe", -1},     {"C:\\Ziel\\daneben", -1},
      {"C:\\Ziel\\b.txt\\x", -1}, {"C:\\Ziel\\fehlt\\x", -1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.path);
    int64_t length = -1;
    const int32_t code = ErrorCodeOf([&] { length = fs.FileLength(row.path); });
    EXPECT_EQ(length, row.length);
    if (row.length < 0) {
      EXPECT_NE(code, 0);
      EXPECT_EQ(code, ErrorCodeOf([&] { fs.Close(fs.Open(row.path, OpenMode::BinaryRead)); }));
    }
  }
}

TEST_F(DirectoryQueryTest, ListingFailures) {
  EXPECT_EQ(ErrorCodeOf([&] { fs.ListDirectory("C:\\fehlt", kMaskAll); }), kPathNotFound);
  EXPECT_EQ(ErrorCodeOf([&] { fs.ListDirectory("C:\\Ziel\\b.txt", kMaskAll); }), kPathNotFound);
}

// Planted links below the write directory, which is itself reached through
// D:\Weg -> Ziel: D:\Ziel\sub -> the directory D:\Draussen, victim.txt ->
// Draussen\fremd.txt, festlink -> the read-only Draussen\fest.txt, tot ->
// Draussen\neu.txt (missing).
struct PlantedLinkCase {
  const char* name;
  std::function<void(FileSystem&)> step;
  bool fails;
  const char* gone;  // below D:\Ziel; nullptr when nothing goes
};

class PlantedLinkTest : public PosixFileSystemTest, public ::testing::WithParamInterface<PlantedLinkCase> {
 protected:
  void SetUp() override {
    WriteFile(drives.Native("D:\\Draussen\\fremd.txt"), "fremd");
    WriteFile(drives.Native("D:\\Draussen\\fest.txt"), "fest");
    MakeReadOnly(drives.Native("D:\\Draussen\\fest.txt"));
    std::filesystem::create_directory(drives.Native("D:\\Ziel"));
    std::filesystem::create_directory_symlink("../Draussen", drives.Native("D:\\Ziel\\sub"));
    std::filesystem::create_symlink("../Draussen/fremd.txt", drives.Native("D:\\Ziel\\victim.txt"));
    std::filesystem::create_symlink("../Draussen/fest.txt", drives.Native("D:\\Ziel\\festlink"));
    std::filesystem::create_symlink("../Draussen/neu.txt", drives.Native("D:\\Ziel\\tot"));
    std::filesystem::create_directory_symlink("Ziel", drives.Native("D:\\Weg"));
    fs.SetWriteDirectory("D:\\Weg\\");
  }

  // Names, contents and permissions of everything below D:\Draussen.
  std::string Outside() {
    std::string state;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(drives.Native("D:\\Draussen"))) {
      state += entry.path().filename().string() + " " +
               std::to_string(static_cast<int>(entry.symlink_status().permissions())) + " " +
               (entry.is_regular_file() ? ReadFile(entry.path()) : "") + "\n";
    }
    return state;
  }
};

TEST_P(PlantedLinkTest, NothingOutsideTheWriteDirectoryChanges) {
  const std::string before = Outside();
  const int32_t code = ErrorCodeOf([&] { GetParam().step(fs); });
  if (GetParam().fails) {
    EXPECT_NE(code, 0);
  } else {
    EXPECT_EQ(code, 0);
  }
  EXPECT_EQ(Outside(), before);
  if (GetParam().gone != nullptr) {
    EXPECT_FALSE(std::filesystem::is_symlink(drives.Native("D:\\Ziel") / GetParam().gone));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Links, PlantedLinkTest,
    ::testing::Values(
        PlantedLinkCase{"OutputThroughDirectoryLink",
                        [](FileSystem& fs) { fs.Open("D:\\Weg\\sub\\neu.txt", OpenMode::Output); }, true, nullptr},
        PlantedLinkCase{"OutputOverFileLink", [](FileSystem& fs) { fs.Open("D:\\Weg\\victim.txt", OpenMode::Output); },
                        true, nullptr},
        PlantedLinkCase{"BinaryWriteOverFileLink",
                        [](FileSystem& fs) { fs.Open("D:\\Weg\\victim.txt", OpenMode::BinaryWrite); }, true, nullptr},
        PlantedLinkCase{"OutputOverDanglingLink", [](FileSystem& fs) { fs.Open("D:\\Weg\\tot", OpenMode::Output); },
                        true, nullptr},
        PlantedLinkCase{"DirectoryThroughLink", [](FileSystem& fs) { fs.CreateDirectory("D:\\Weg\\sub\\neu"); },
                        true, nullptr},
        PlantedLinkCase{"DeleteThroughDirectoryLink", [](FileSystem& fs) { fs.DeleteFile("D:\\Weg\\sub\\fremd.txt"); },
                        true, nullptr},
        PlantedLinkCase{"AttributesThroughDirectoryLink",
                        [](FileSystem& fs) { fs.SetAttributesNormal("D:\\Weg\\sub\\fremd.txt"); }, true, nullptr},
        PlantedLinkCase{"AttributesOfFileLink", [](FileSystem& fs) { fs.SetAttributesNormal("D:\\Weg\\festlink"); },
                        false, nullptr},
        PlantedLinkCase{"DeleteFileLink", [](FileSystem& fs) { fs.DeleteFile("D:\\Weg\\victim.txt"); }, false,
                        "victim.txt"},
        PlantedLinkCase{"DeleteDanglingLink", [](FileSystem& fs) { fs.DeleteFile("D:\\Weg\\tot"); }, false, "tot"},
        PlantedLinkCase{"DeleteDirectoryLink", [](FileSystem& fs) { fs.DeleteFile("D:\\Weg\\sub"); }, false, "sub"}),
    [](const ::testing::TestParamInfo<PlantedLinkCase>& param) { return std::string(param.param.name); });

TEST_F(PlantedLinkTest, TheWriteDirectoryMayBeReachedThroughALinkButNothingElse) {
  fs.CreateDirectory("D:\\Weg\\Unter");
  fs.Close(fs.Open("D:\\Weg\\Unter\\neu.txt", OpenMode::Output));
  EXPECT_TRUE(std::filesystem::exists(drives.Native("D:\\Ziel\\Unter\\neu.txt")));
  fs.SetWriteDirectory("D:\\Ziel");
  EXPECT_NE(ErrorCodeOf([&] { fs.Open("D:\\Weg\\anders.txt", OpenMode::Output); }), 0);
  EXPECT_NE(ErrorCodeOf([&] { fs.CreateDirectory("D:\\Weg\\Anders"); }), 0);
  EXPECT_FALSE(std::filesystem::exists(drives.Native("D:\\Ziel\\anders.txt")));
  fs.SetWriteDirectory("D:\\Weg\\Unter");
  fs.Close(fs.Open("D:\\Weg\\Unter\\neu.txt", OpenMode::BinaryWrite));
}

// Below the write directory a link, a file or nothing in the way fails as a
// missing directory (76), at whatever depth it lies.
TEST_F(PlantedLinkTest, WaysBlockedAtAnyDepthFailAsMissingDirectories) {
  std::filesystem::create_directories(drives.Native("D:\\Ziel\\a\\b\\c"));
  std::filesystem::create_directories(drives.Native("D:\\Draussen\\x\\y"));
  const std::pair<const char*, const char*> links[] = {  // below D:\Ziel, and where each leads
      {"a\\sub", "../../Draussen"}, {"a\\b\\sub", "../../../Draussen"}, {"a\\b\\c\\sub", "../../../../Draussen"},
      {"a\\b\\innen", "c"}, {"a\\tot", "nirgends"}};
  for (const auto& [link, target] : links) {
    std::filesystem::create_symlink(target, drives.Native(std::string("D:\\Ziel\\") + link));
  }
  WriteFile(drives.Native("D:\\Ziel\\a\\b\\datei"), "d");
  const std::string before = Outside();
  const struct {
    const char* path;
    int32_t code;
  } rows[] = {
      {"D:\\Weg\\sub\\x\\neu.txt", kPathNotFound},
      {"D:\\Weg\\a\\sub\\neu.txt", kPathNotFound},
      {"D:\\Weg\\a\\sub\\x\\y\\neu.txt", kPathNotFound},
      {"D:\\Weg\\a\\b\\sub\\x\\neu.txt", kPathNotFound},
      {"D:\\Weg\\a\\b\\c\\sub\\neu.txt", kPathNotFound},
      {"D:\\Weg\\a\\b\\innen\\neu.txt", kPathNotFound},
      {"D:\\Weg\\a\\tot\\neu.txt", kPathNotFound},
      {"D:\\Weg\\a\\b\\datei\\neu.txt", kPathNotFound},
      {"D:\\Weg\\a\\fehlt\\neu.txt", kPathNotFound},
      {"D:\\Weg\\a\\..\\..\\Draussen\\neu.txt", kBadFileNameOrNumber},
      {"D:\\Weg\\a\\b\\c\\neu.txt", 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.path);
    EXPECT_EQ(ErrorCodeOf([&] { fs.Close(fs.Open(row.path, OpenMode::Output)); }), row.code);
  }
  EXPECT_EQ(Outside(), before);
  EXPECT_TRUE(std::filesystem::exists(drives.Native("D:\\Ziel\\a\\b\\c\\neu.txt")));
}

// The way changed between two calls below the write directory, after the
// first call reached it. A directory below it is looked up anew each time, so
// what took its place counts; the write directory itself stays the one the
// run began in, wherever that is moved, and what took its place is not used.
TEST_F(PlantedLinkTest, AWayChangedBetweenTwoCallsLeadsNowhereElse) {
  const std::filesystem::path ziel = drives.Native("D:\\Ziel");
  const std::filesystem::path moved = drives.Native("D:\\Verschoben");
  const std::filesystem::path outside = drives.Native("D:\\Draussen");
  const struct {
    const char* what;
    std::function<void()> change;
    int32_t code;
    std::filesystem::path landsIn;  // the directory neu.txt then lies in; empty when none
  } rows[] = {
      {"a directory below replaced by a link", [&] {
         std::filesystem::rename(ziel / "a", ziel / "a-alt");
         std::filesystem::create_directory_symlink("../Draussen", ziel / "a");
       }, kPathNotFound, {}},
      {"a directory below replaced by a file", [&] {
         std::filesystem::remove_all(ziel / "a");
         WriteFile(ziel / "a", "datei");
       }, kPathNotFound, {}},
      {"a directory below moved away", [&] { std::filesystem::rename(ziel / "a", ziel / "a-alt"); }, kPathNotFound,
       {}},
      {"a directory below replaced by another", [&] {
         std::filesystem::rename(ziel / "a", ziel / "a-alt");
         std::filesystem::create_directory(ziel / "a");
       }, 0, ziel / "a"},
      {"the write directory moved, a link in its place", [&] {
         std::filesystem::rename(ziel, moved);
         std::filesystem::create_directory_symlink("Draussen", ziel);
         std::filesystem::create_directory(outside / "a");
       }, 0, moved / "a"},
      {"the write directory moved, another in its place", [&] {
         std::filesystem::rename(ziel, moved);
         std::filesystem::create_directories(ziel / "a");
       }, 0, moved / "a"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    std::filesystem::remove_all(ziel);
    std::filesystem::remove_all(moved);
    std::filesystem::remove_all(outside / "a");
    std::filesystem::create_directories(ziel / "a");
    fs.SetWriteDirectory("D:\\Weg\\");
    fs.Close(fs.Open("D:\\Weg\\a\\erste.txt", OpenMode::Output));
    row.change();
    const std::string before = Outside();
    EXPECT_EQ(ErrorCodeOf([&] {
                const FileNumber file = fs.Open("D:\\Weg\\a\\neu.txt", OpenMode::Output);
                fs.Write(file, "neu");
                fs.Close(file);
              }),
              row.code);
    EXPECT_EQ(Outside(), before);
    if (!row.landsIn.empty()) {
      EXPECT_EQ(ReadFile(row.landsIn / "neu.txt"), "neu");
    }
    // Set anew, the write directory is the one its path leads to now.
    fs.SetWriteDirectory("D:\\Weg\\");
    EXPECT_EQ(ErrorCodeOf([&] { fs.Close(fs.Open("D:\\Weg\\b.txt", OpenMode::Output)); }), 0);
    EXPECT_TRUE(std::filesystem::remove(ziel / "b.txt"));
  }
}

TEST(PosixFileSystemNamesTest, UnrepresentableNativeNamesAreListedWithQuestionMarks) {
  TestDrives drives;
  WriteFile(drives.Root('C') / "a:b", "x");
  WriteFile(drives.Root('C') / "Grüße\xe4\xb8\xad", "x");
  EXPECT_EQ(drives.fs().ListDirectory("C:\\", kMaskOrdinary), (std::vector<std::string>{"a?b", "Grüße?"}));
  EXPECT_EQ(ErrorCodeOf([&] { drives.fs().Open("C:\\a?b", OpenMode::BinaryRead); }), kBadFileNameOrNumber);
}

TEST(PosixFileSystemDrivesTest, DrivesAreListedByLetterWithLabels) {
  TestDrives drives;
  const auto list = drives.fs().Drives();
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0].letter, 'A');
  EXPECT_EQ(list[1].letter, 'C');
  EXPECT_EQ(list[2].letter, 'D');
  EXPECT_EQ(list[2].label, drives.Root('D').string());
}

}  // namespace
}  // namespace pb
