// SPDX-License-Identifier: GPL-3.0-or-later
#include "faulty_file_system.h"

#include <gtest/gtest.h>

#include <memory>

#include "error_code_of.h"
#include "support/run_time_error.h"
#include "test_drives.h"

namespace pb {
namespace {

using testing::ErrorCodeOf;
using testing::FaultyFileSystem;
using testing::Op;
using testing::ReadFile;
using testing::TestDrives;

class FaultyFileSystemTest : public ::testing::Test {
 protected:
  TestDrives drives;
  FaultyFileSystem faulty{drives.fs()};
};

TEST_F(FaultyFileSystemTest, NthWriteFailsOnceAndWritesNothing) {
  faulty.Fail(Op::Write, 3, kMediumFull);
  const FileNumber file = faulty.Open("D:\\v", OpenMode::BinaryWrite);
  faulty.Write(file, "1");
  faulty.Write(file, "2");
  EXPECT_EQ(ErrorCodeOf([&] { faulty.Write(file, "3"); }), kMediumFull);
  EXPECT_EQ(faulty.Position(file), 2);
  faulty.Write(file, "4");
  faulty.Close(file);
  EXPECT_EQ(ReadFile(drives.Native("D:\\v")), "124");
  EXPECT_EQ(faulty.calls(Op::Write), 4);
  EXPECT_EQ(faulty.failures(), 1);
}

// An owned file for writing is the numbered calls: a wrapper sees each, a
// failed close may be tried again, and one never closed is closed on going.
TEST_F(FaultyFileSystemTest, WritableFileGoesThroughTheNumberedCalls) {
  faulty.Fail(Op::Close, 1, kDeviceIo, "D:\\w");
  faulty.Fail(Op::Write, 2, kMediumFull, "D:\\w");
  {
    const std::unique_ptr<WritableFile> file = faulty.OpenWritable("D:\\w");
    file->Write("ab");
    EXPECT_EQ(ErrorCodeOf([&] { file->Write("x"); }), kMediumFull);
    EXPECT_EQ(ErrorCodeOf([&] { file->Close(); }), kDeviceIo);
    file->Close();
    file->Close();
  }
  faulty.ReopenWritable("D:\\w", 1)->Write("c");
  EXPECT_EQ(ReadFile(drives.Native("D:\\w")), "ac");
  faulty.OpenWritable("D:\\w")->Write("d");
  EXPECT_EQ(ReadFile(drives.Native("D:\\w")), "d");
  EXPECT_EQ(faulty.calls(Op::Write, "D:\\w"), 4);
  // The failed close, the one tried again, and the two of files let go.
  EXPECT_EQ(faulty.calls(Op::Close, "D:\\w"), 4);
}

TEST_F(FaultyFileSystemTest, PathFilterCountsOnlyMatchingCallsAndFollowsFileNumbers) {
  faulty.Fail(Op::Open, 1, kDriveNotReady, "DataBlock#2");
  faulty.Fail(Op::Write, 2, kMediumFull, "DataBlock#1", /*fromThenOn=*/true);
  const FileNumber one = faulty.Open("D:\\DataBlock#1.Parcelbarge", OpenMode::BinaryWrite);
  const FileNumber other = faulty.Open("D:\\andere", OpenMode::BinaryWrite);
  faulty.Write(other, "x");
  faulty.Write(one, "a");
  faulty.Write(other, "y");
  EXPECT_EQ(ErrorCodeOf([&] { faulty.Write(one, "b"); }), kMediumFull);
  EXPECT_EQ(ErrorCodeOf([&] { faulty.Write(one, "c"); }), kMediumFull) << "from then on";
  faulty.Write(other, "z");
  EXPECT_EQ(ErrorCodeOf([&] { faulty.Open("D:\\DataBlock#2.Parcelbarge", OpenMode::BinaryWrite); }), kDriveNotReady);
  EXPECT_EQ(faulty.Open("D:\\DataBlock#2.Parcelbarge", OpenMode::BinaryWrite), 3) << "only once";
  EXPECT_EQ(faulty.calls(Op::Open), 4);
  EXPECT_EQ(faulty.failures(), 3);
}

TEST_F(FaultyFileSystemTest, HealForgetsPlannedFaults) {
  faulty.Fail(Op::FindEntry, 1, kDriveNotReady, "", /*fromThenOn=*/true);
  EXPECT_EQ(ErrorCodeOf([&] { faulty.FindEntry("A:\\x", kMaskOrdinary); }), kDriveNotReady);
  faulty.Heal();
  EXPECT_EQ(faulty.FindEntry("A:\\x", kMaskOrdinary), "");
  EXPECT_EQ(faulty.calls(Op::FindEntry), 2);
}

}  // namespace
}  // namespace pb
