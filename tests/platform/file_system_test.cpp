// SPDX-License-Identifier: GPL-3.0-or-later
// The file system contract as every platform's file system keeps it.
#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

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

class FileSystemTest : public ::testing::Test {
 protected:
  TestDrives drives;
  FileSystem& fs = drives.fs();
};

TEST_F(FileSystemTest, BinaryReadDeliversExactCountsAndKeepsPositionPastEnd) {
  WriteFile(drives.Native("C:\\v.bin"), "0123456789");
  const FileNumber file = fs.Open("C:\\v.bin", OpenMode::BinaryRead);
  EXPECT_EQ(fs.Length(file), 10);
  EXPECT_EQ(fs.Read(file, 4), "0123");
  EXPECT_EQ(fs.Position(file), 4);
  EXPECT_EQ(ErrorCodeOf([&] { fs.Read(file, 7); }), kInputPastEnd);
  EXPECT_EQ(fs.Position(file), 4) << "a failed read leaves the position";
  EXPECT_EQ(fs.Read(file, 6), "456789");
  EXPECT_EQ(fs.Read(file, 0), "");
  EXPECT_EQ(ErrorCodeOf([&] { fs.Read(file, 1); }), kInputPastEnd);
  EXPECT_EQ(ErrorCodeOf([&] { fs.Read(file, int64_t{1} << 62); }), kInputPastEnd) << "a damaged length";
  EXPECT_EQ(ErrorCodeOf([&] { fs.Read(file, -1); }), kInvalidCall);
  EXPECT_EQ(ErrorCodeOf([&] { fs.Write(file, "x"); }), kBadFileMode);
  fs.Seek(file, 1);
  EXPECT_EQ(fs.Position(file), 0);
  EXPECT_EQ(fs.Read(file, 2), "01");
  fs.Seek(file, 10);
  EXPECT_EQ(fs.Read(file, 1), "9");
  EXPECT_EQ(ErrorCodeOf([&] { fs.Seek(file, 0); }), kInvalidCall);
  fs.Close(file);
  EXPECT_EQ(ErrorCodeOf([&] { fs.Read(file, 1); }), kBadFileNameOrNumber);
  EXPECT_EQ(ErrorCodeOf([&] { fs.Close(file); }), kBadFileNameOrNumber);
}

TEST_F(FileSystemTest, BinaryWriteCreatesButNeverShortens) {
  const FileNumber created = fs.Open("D:\\neu.bin", OpenMode::BinaryWrite);
  fs.Write(created, "abc");
  fs.Close(created);
  EXPECT_EQ(ReadFile(drives.Native("D:\\neu.bin")), "abc");

  WriteFile(drives.Native("D:\\alt.bin"), "0123456789");
  const FileNumber file = fs.Open("D:\\alt.bin", OpenMode::BinaryWrite);
  EXPECT_EQ(fs.Length(file), 10);
  fs.Write(file, "AB");
  fs.Seek(file, 9);
  fs.Write(file, "XYZ");
  EXPECT_EQ(fs.Position(file), 11);
  EXPECT_EQ(ErrorCodeOf([&] { fs.Read(file, 1); }), kBadFileMode);
  fs.Flush(file);
  fs.Close(file);
  EXPECT_EQ(ReadFile(drives.Native("D:\\alt.bin")), "AB234567XYZ");
  fs.FlushDirectory("D:\\");
  EXPECT_EQ(ErrorCodeOf([&] { fs.FlushDirectory("D:\\fehlt\\"); }), kFileNotFound);
  EXPECT_EQ(ErrorCodeOf([&] { fs.FlushDirectory("D:\\alt.bin"); }), kPathNotFound);
}

TEST_F(FileSystemTest, OutputEmptiesAnExistingFile) {
  WriteFile(drives.Native("D:\\alt.txt"), "old content");
  fs.Close(fs.Open("D:\\alt.txt", OpenMode::Output));
  EXPECT_EQ(ReadFile(drives.Native("D:\\alt.txt")), "");
  const FileNumber file = fs.Open("D:\\alt.txt", OpenMode::Output);
  fs.Write(file, "neu");
  fs.Write(file, "er");
  fs.Close(file);
  EXPECT_EQ(ReadFile(drives.Native("D:\\alt.txt")), "neuer");
}

// NewOutput makes a file only where nothing is; whatever is there stays as
// it was, and within the write directory too.
TEST_F(FileSystemTest, NewOutputMakesOnlyANewFile) {
  WriteFile(drives.Native("D:\\Ziel\\alt.txt"), "alt");
  WriteFile(drives.Native("D:\\Ziel\\fest.txt"), "fest");
  MakeReadOnly(drives.Native("D:\\Ziel\\fest.txt"));
  std::filesystem::create_directory(drives.Native("D:\\Ziel\\Verz"));
  const struct {
    const char* path;
    bool made;
  } rows[] = {
      {"D:\\Ziel\\neu.txt", true},     {"D:\\Ziel\\alt.txt", false}, {"D:\\Ziel\\fest.txt", false},
      {"D:\\Ziel\\Verz", false},       {"D:\\Ziel\\fehlt\\neu.txt", false},
      {"D:\\Ziel\\alt.txt\\x", false},
  };
  for (const bool below : {false, true}) {
    fs.SetWriteDirectory(below ? "D:\\Ziel\\" : "");
    for (const auto& row : rows) {
      SCOPED_TRACE(std::string(row.path) + (below ? " below the write directory" : ""));
      std::filesystem::remove(drives.Native("D:\\Ziel\\neu.txt"));
      FileNumber file = 0;
      const int32_t code = ErrorCodeOf([&] { file = fs.Open(row.path, OpenMode::NewOutput); });
      EXPECT_EQ(code == 0, row.made) << code;
      if (code == 0) {
        fs.Write(file, "neu");
        fs.Close(file);
        EXPECT_EQ(ReadFile(drives.Native(row.path)), "neu");
      }
      EXPECT_EQ(ReadFile(drives.Native("D:\\Ziel\\alt.txt")), "alt");
      EXPECT_EQ(ReadFile(drives.Native("D:\\Ziel\\fest.txt")), "fest");
      EXPECT_TRUE(std::filesystem::is_directory(drives.Native("D:\\Ziel\\Verz")));
    }
  }
}

TEST_F(FileSystemTest, ReopenCutsBackToTheConfirmedLengthAndNeverCreates) {
  WriteFile(drives.Native("D:\\v.bin"), "0123456789");
  const FileNumber file = fs.Reopen("D:\\v.bin", 4);
  EXPECT_EQ(fs.Position(file), 4);
  fs.Write(file, "AB");
  fs.Close(file);
  EXPECT_EQ(ReadFile(drives.Native("D:\\v.bin")), "0123AB");
  EXPECT_EQ(ErrorCodeOf([&] { fs.Reopen("D:\\v.bin", 7); }), kInputPastEnd);
  EXPECT_EQ(ErrorCodeOf([&] { fs.Reopen("D:\\fehlt.bin", 0); }), kFileNotFound);
  EXPECT_FALSE(std::filesystem::exists(drives.Native("D:\\fehlt.bin")));
  EXPECT_EQ(ReadFile(drives.Native("D:\\v.bin")), "0123AB");
}

TEST_F(FileSystemTest, FileIdentityChangesWithTheFile) {
  WriteFile(drives.Native("D:\\a.bin"), "aaa");
  WriteFile(drives.Native("D:\\b.bin"), "aaa");
  const std::string a = fs.FileIdentity("D:\\a.bin");
  EXPECT_FALSE(a.empty());
  EXPECT_EQ(fs.FileIdentity("D:\\a.bin"), a);
  EXPECT_NE(fs.FileIdentity("D:\\b.bin"), a);
  EXPECT_EQ(fs.FileIdentity("D:\\fehlt"), "");
  EXPECT_EQ(fs.FileIdentity("D:\\"), "");
  const FileNumber file = fs.Open("D:\\a.bin", OpenMode::BinaryWrite);
  fs.Write(file, "bbbb");
  fs.Close(file);
  EXPECT_NE(fs.FileIdentity("D:\\a.bin"), a);
}

TEST_F(FileSystemTest, FileLengthByPathFailsAsOpeningWould) {
  WriteFile(drives.Native("C:\\voll.bin"), "0123456789");
  WriteFile(drives.Native("C:\\leer.bin"), "");
  std::filesystem::create_directory(drives.Native("C:\\Ordner"));
  const struct {
    const char* path;
    int32_t code;
    int64_t length;  // -1 when it fails
  } rows[] = {
      {"C:\\voll.bin", 0, 10},
      {"C:\\leer.bin", 0, 0},
      {"C:\\fehlt.bin", kFileNotFound, -1},
      {"C:\\fehlt\\x.bin", kPathNotFound, -1},
      {"C:\\Ordner", kPathFileAccess, -1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.path);
    int64_t length = -1;
    EXPECT_EQ(ErrorCodeOf([&] { length = fs.FileLength(row.path); }), row.code);
    EXPECT_EQ(length, row.length);
  }
}

TEST_F(FileSystemTest, ReadSeesTheFileAsItIsNow) {
  const std::filesystem::path native = drives.Native("C:\\wachsend.bin");
  WriteFile(native, "0123456789");
  const FileNumber file = fs.Open("C:\\wachsend.bin", OpenMode::BinaryRead);
  EXPECT_EQ(fs.Read(file, 4), "0123");
  WriteFile(native, "0123456789ABCDE");
  EXPECT_EQ(fs.Read(file, 11), "456789ABCDE") << "grown since it was opened";
  std::filesystem::resize_file(native, 12);
  fs.Seek(file, 11);
  EXPECT_EQ(ErrorCodeOf([&] { fs.Read(file, 3); }), kInputPastEnd) << "shrunk since";
  EXPECT_EQ(fs.Position(file), 10);
  EXPECT_EQ(fs.Read(file, 2), "AB");
  fs.Close(file);
}

TEST_F(FileSystemTest, FileNumbersAreTheLowestFreeOnes) {
  WriteFile(drives.Native("C:\\a"), "a");
  const FileNumber first = fs.Open("C:\\a", OpenMode::BinaryRead);
  const FileNumber second = fs.Open("C:\\a", OpenMode::BinaryRead);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 2);
  fs.Close(first);
  EXPECT_EQ(fs.Open("C:\\a", OpenMode::BinaryRead), 1);
}

TEST_F(FileSystemTest, CloseAllKeepsWhatWasWritten) {
  const FileNumber one = fs.Open("D:\\eins", OpenMode::BinaryWrite);
  const FileNumber two = fs.Open("D:\\zwei", OpenMode::Output);
  fs.Write(one, "1111");
  fs.Write(two, "22");
  fs.CloseAll();
  EXPECT_EQ(ReadFile(drives.Native("D:\\eins")), "1111");
  EXPECT_EQ(ReadFile(drives.Native("D:\\zwei")), "22");
  EXPECT_EQ(ErrorCodeOf([&] { fs.Write(one, "x"); }), kBadFileNameOrNumber);
}

TEST_F(FileSystemTest, OpenFailuresCarryTheirCodes) {
  EXPECT_EQ(ErrorCodeOf([&] { fs.Open("C:\\fehlt.bin", OpenMode::BinaryRead); }), kFileNotFound);
  EXPECT_EQ(ErrorCodeOf([&] { fs.Open("C:\\fehlt\\x.bin", OpenMode::BinaryWrite); }), kPathNotFound);
  std::filesystem::create_directory(drives.Native("C:\\Ordner"));
  EXPECT_EQ(ErrorCodeOf([&] { fs.Open("C:\\Ordner", OpenMode::BinaryRead); }), kPathFileAccess);
  EXPECT_EQ(ErrorCodeOf([&] { fs.Open("C:\\a\\..\\x", OpenMode::Output); }), kBadFileNameOrNumber);
}

TEST_F(FileSystemTest, ReadOnlyFileCannotBeWrittenOrDeletedUntilMadeNormal) {
  WriteFile(drives.Native("D:\\fest.txt"), "keep");
  MakeReadOnly(drives.Native("D:\\fest.txt"));
  EXPECT_EQ(fs.GetAttributes("D:\\fest.txt"), kAttrArchive | kAttrReadOnly);
  EXPECT_EQ(ErrorCodeOf([&] { fs.Open("D:\\fest.txt", OpenMode::Output); }), kPathFileAccess);
  EXPECT_EQ(ErrorCodeOf([&] { fs.Open("D:\\fest.txt", OpenMode::BinaryWrite); }), kPathFileAccess);
  EXPECT_EQ(ErrorCodeOf([&] { fs.DeleteFile("D:\\fest.txt"); }), kPathFileAccess);
  EXPECT_EQ(ReadFile(drives.Native("D:\\fest.txt")), "keep");
  fs.Close(fs.Open("D:\\fest.txt", OpenMode::BinaryRead));

  fs.SetAttributesNormal("D:\\fest.txt");
  EXPECT_EQ(fs.GetAttributes("D:\\fest.txt"), kAttrArchive);
  fs.DeleteFile("D:\\fest.txt");
  EXPECT_FALSE(std::filesystem::exists(drives.Native("D:\\fest.txt")));
}

TEST_F(FileSystemTest, DeleteAndCreateDirectory) {
  EXPECT_EQ(ErrorCodeOf([&] { fs.DeleteFile("D:\\fehlt"); }), kFileNotFound);
  fs.CreateDirectory("D:\\Rueck");
  EXPECT_EQ(fs.GetAttributes("D:\\Rueck"), kAttrDirectory);
  EXPECT_EQ(ErrorCodeOf([&] { fs.CreateDirectory("D:\\Rueck"); }), kPathFileAccess);
  EXPECT_EQ(ErrorCodeOf([&] { fs.CreateDirectory("D:\\A\\B"); }), kPathNotFound);
  EXPECT_EQ(ErrorCodeOf([&] { fs.DeleteFile("D:\\Rueck"); }), kPathFileAccess);
  EXPECT_TRUE(std::filesystem::is_directory(drives.Native("D:\\Rueck")));
  EXPECT_EQ(ErrorCodeOf([&] { fs.GetAttributes("D:\\fehlt"); }), kFileNotFound);
  EXPECT_EQ(ErrorCodeOf([&] { fs.GetAttributes("D:\\fehlt\\x"); }), kPathNotFound);
}

TEST(DrivesTest, DisketteDriveWithoutMediumIsNotReady) {
  TestDrives drives(/*disketteMustBeMounted=*/true);
  FileSystem& fs = drives.fs();
  EXPECT_FALSE(fs.DriveReady('A'));
  EXPECT_TRUE(fs.DriveReady('c'));
  EXPECT_FALSE(fs.DriveReady('Q'));
  EXPECT_EQ(ErrorCodeOf([&] { fs.Open("A:\\DataBlock#1.Parcelbarge", OpenMode::BinaryWrite); }), kDriveNotReady);
  EXPECT_EQ(ErrorCodeOf([&] { fs.FindEntry("A:\\DataBlock#1.Parcelbarge", kMaskOrdinary); }), kDriveNotReady);
  EXPECT_EQ(ErrorCodeOf([&] { fs.ListDirectory("A:\\", kMaskFiles); }), kDriveNotReady);
  EXPECT_EQ(ErrorCodeOf([&] { fs.FileLength("A:\\DataBlock#1.Parcelbarge"); }), kDriveNotReady);
  EXPECT_TRUE(std::filesystem::is_empty(drives.Root('A'))) << "nothing written where no medium is";
}

#ifndef _WIN32
// The numbered calls serve one thread; the POSIX file system's own readable
// files serve any (the Windows one has only the numbered kind so far).
TEST_F(FileSystemTest, ThreadsShareItsReadableFiles) {
  std::string bytes;
  for (int i = 0; i < 4096; ++i) bytes += static_cast<char>(i * 7);
  WriteFile(drives.Native("C:\\v.bin"), bytes);
  const std::unique_ptr<ReadableFile> file = fs.OpenReadable("C:\\v.bin");
  std::vector<std::thread> readers;
  std::atomic<int> wrong = 0;
  for (int t = 0; t < 4; ++t) {
    readers.emplace_back([&, t] {
      for (int64_t offset = t; offset + 64 <= 4096; offset += 61) {
        if (file->ReadAt(offset, 64) != bytes.substr(static_cast<std::size_t>(offset), 64)) ++wrong;
      }
    });
  }
  for (std::thread& reader : readers) reader.join();
  EXPECT_EQ(wrong, 0);
}
#endif

// The platform's own readable files and those every file system has from
// the numbered calls.
class ReadableFileTest : public FileSystemTest, public ::testing::WithParamInterface<bool> {
 protected:
  bool own() const { return GetParam(); }
  std::unique_ptr<ReadableFile> Open(const std::string& path) {
    return own() ? fs.OpenReadable(path) : fs.FileSystem::OpenReadable(path);
  }
};

TEST_P(ReadableFileTest, ReadsExactCountsAtAnyOffset) {
  WriteFile(drives.Native("C:\\v.bin"), "0123456789");
  const std::unique_ptr<ReadableFile> file = Open("C:\\v.bin");
  EXPECT_EQ(file->Length(), 10);
  const struct {
    int64_t offset;
    int64_t count;
    const char* bytes;  // nullptr: fails past the end
  } reads[] = {{3, 4, "3456"}, {0, 10, "0123456789"}, {10, 0, ""}, {9, 1, "9"},
               {8, 3, nullptr}, {10, 1, nullptr}, {0, int64_t{1} << 62, nullptr}};
  for (const auto& read : reads) {
    SCOPED_TRACE(std::to_string(read.offset) + "+" + std::to_string(read.count));
    if (read.bytes) {
      EXPECT_EQ(file->ReadAt(read.offset, read.count), read.bytes);
    } else {
      EXPECT_EQ(ErrorCodeOf([&] { file->ReadAt(read.offset, read.count); }), kInputPastEnd);
    }
  }
  EXPECT_EQ(ErrorCodeOf([&] { file->ReadAt(0, -1); }), kInvalidCall);
}

TEST_P(ReadableFileTest, OpensWhatOpenForReadingOpensAndLetsGoAtItsEnd) {
  std::filesystem::create_directories(drives.Native("C:\\Ordner"));
  EXPECT_EQ(ErrorCodeOf([&] { Open("C:\\fehlt.bin"); }), kFileNotFound);
  EXPECT_EQ(ErrorCodeOf([&] { Open("C:\\Ordner"); }), kPathFileAccess);
  WriteFile(drives.Native("D:\\weg.bin"), "x");
  Open("D:\\weg.bin").reset();
  fs.DeleteFile("D:\\weg.bin");  // fails on Windows while the file is open
  EXPECT_FALSE(std::filesystem::exists(drives.Native("D:\\weg.bin")));
}

INSTANTIATE_TEST_SUITE_P(OwnAndNumbered, ReadableFileTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& p) { return p.param ? "Own" : "Numbered"; });

}  // namespace
}  // namespace pb
