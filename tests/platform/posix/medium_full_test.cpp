// SPDX-License-Identifier: GPL-3.0-or-later
// A full medium must reach the runs as 61 with no partial item left behind.
// The scenarios run in a forked child, since they change its mounts or limits.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <map>
#include <sstream>

#include <gtest/gtest.h>

#include "diskette.h"
#include "support/run_time_error.h"
#include "temp_dir.h"
#include "test_drives.h"

namespace pb {
namespace {

using testing::RandomBytes;
using testing::TestDrives;

using Report = std::map<std::string, std::string>;

// Runs body in a child process and returns the "key value" lines it printed.
Report RunInChild(const std::function<Report()>& body) {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return {{"skip", "no pipe"}};
  const pid_t child = fork();
  if (child == 0) {
    close(pipeEnds[0]);
    std::ostringstream out;
    try {
      for (const auto& [key, value] : body()) out << key << ' ' << value << '\n';
    } catch (const std::exception& error) {
      out << "exception " << error.what() << '\n';
    }
    const std::string text = out.str();
    [[maybe_unused]] const ssize_t written = write(pipeEnds[1], text.data(), text.size());
    _exit(0);
  }
  close(pipeEnds[1]);
  std::string text;
  char buffer[512];
  for (ssize_t n; (n = read(pipeEnds[0], buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<size_t>(n));
  close(pipeEnds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  Report report;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    const std::size_t space = line.find(' ');
    report[line.substr(0, space)] = space == std::string::npos ? "" : line.substr(space + 1);
  }
  return report;
}

// Writes chunks to A:\DataBlock#1.Parcelbarge until a write fails and
// reports what the failure left behind.
Report FillDiskette(FileSystem& fs, std::size_t chunk) {
  const std::string bytes = RandomBytes(chunk, 7);
  const FileNumber file = fs.Open("A:\\DataBlock#1.Parcelbarge", OpenMode::BinaryWrite);
  int64_t whole = 0;
  Report report;
  try {
    for (int i = 0; i < 100000; ++i) {
      fs.Write(file, bytes);
      whole += static_cast<int64_t>(chunk);
    }
  } catch (const RunTimeError& error) {
    report["code"] = std::to_string(error.code());
  }
  report["whole"] = std::to_string(whole);
  report["length"] = std::to_string(fs.Length(file));
  report["position"] = std::to_string(fs.Position(file));
  fs.Close(file);
  const FileNumber back = fs.Open("A:\\DataBlock#1.Parcelbarge", OpenMode::BinaryRead);
  bool intact = true;
  for (int64_t at = 0; at < whole; at += static_cast<int64_t>(chunk)) intact = intact && fs.Read(back, chunk) == bytes;
  report["intact"] = intact ? "yes" : "no";
  fs.Close(back);
  return report;
}

void ExpectCutBackAfterMediumFull(const Report& report) {
  ASSERT_EQ(report.count("exception"), 0u) << report.at("exception");
  EXPECT_EQ(report.at("code"), std::to_string(kMediumFull));
  EXPECT_NE(report.at("whole"), "0");
  EXPECT_EQ(report.at("length"), report.at("whole")) << "the failed write left part of its item";
  EXPECT_EQ(report.at("position"), report.at("whole"));
  EXPECT_EQ(report.at("intact"), "yes");
}

TEST(MediumFullTest, RealDisketteSizedMediumFillsUpWith61) {
  TestDrives drives(/*disketteMustBeMounted=*/true);
  ASSERT_FALSE(drives.fs().DriveReady('A'));
  const Report report = RunInChild([&]() -> Report {
    const testing::Diskette diskette(drives.Root('A'));
    if (!diskette.mounted()) return {{"skip", diskette.reason()}};
    Report filled = FillDiskette(drives.fs(), 100000);
    filled["ready"] = drives.fs().DriveReady('A') ? "yes" : "no";
    return filled;
  });
  if (report.count("skip") != 0) GTEST_SKIP() << report.at("skip");
  ExpectCutBackAfterMediumFull(report);
  EXPECT_EQ(report.at("ready"), "yes");
  EXPECT_LE(std::stoll(report.at("whole")), 1440 * 1024);
  EXPECT_FALSE(std::filesystem::exists(drives.Root('A') / "DataBlock#1.Parcelbarge"))
      << "the medium lived only in the child's mount namespace";
}

TEST(MediumFullTest, FileSizeLimitCutsAPartialWriteBack) {
  TestDrives drives;
  const Report report = RunInChild([&]() -> Report {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{250000, 250000};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return {{"skip", "setrlimit refused"}};
    return FillDiskette(drives.fs(), 100000);
  });
  if (report.count("skip") != 0) GTEST_SKIP() << report.at("skip");
  ExpectCutBackAfterMediumFull(report);
  EXPECT_EQ(report.at("whole"), "200000");
}

// Another writer made the file longer after ours last wrote to it; then a
// write of ours runs into the file size limit part way.
TEST(MediumFullTest, AFailedWriteTakesBackOnlyItsOwnBytes) {
  const struct {
    const char* name;
    int64_t otherByteAt;
    bool otherByteStays;  // it lies past where the failed write got
  } rows[] = {
      {"into the item", 1000, false},
      {"past the item", 300000, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    TestDrives drives;
    const Report report = RunInChild([&]() -> Report {
      FileSystem& fs = drives.fs();
      const FileNumber file = fs.Open("D:\\v.bin", OpenMode::BinaryWrite);
      fs.Write(file, "0123456789");
      {
        std::fstream other(drives.Native("D:\\v.bin"), std::ios::in | std::ios::out | std::ios::binary);
        other.seekp(row.otherByteAt);
        other.put('X');
      }
      signal(SIGXFSZ, SIG_IGN);
      const rlimit limit{250000, 250000};
      if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return {{"skip", "setrlimit refused"}};
      Report result{{"code", "0"}};
      try {
        fs.Write(file, RandomBytes(300000, 3));
      } catch (const RunTimeError& error) {
        result["code"] = std::to_string(error.code());
      }
      result["position"] = std::to_string(fs.Position(file));
      fs.Close(file);
      const std::string bytes = testing::ReadFile(drives.Native("D:\\v.bin"));
      result["length"] = std::to_string(bytes.size());
      result["head"] = bytes.substr(0, 10);
      result["last"] = bytes.substr(bytes.size() - 1);
      return result;
    });
    if (report.count("skip") != 0) GTEST_SKIP() << report.at("skip");
    ASSERT_EQ(report.count("exception"), 0u) << report.at("exception");
    EXPECT_EQ(report.at("code"), std::to_string(kMediumFull));
    EXPECT_EQ(report.at("position"), "10");
    EXPECT_EQ(report.at("head"), "0123456789");
    EXPECT_LE(std::stoll(report.at("length")), row.otherByteAt + 1) << "part of the failed item is left";
    if (row.otherByteStays) {
      EXPECT_EQ(report.at("length"), std::to_string(row.otherByteAt + 1));
      EXPECT_EQ(report.at("last"), "X");
    }
  }
}

}  // namespace
}  // namespace pb
