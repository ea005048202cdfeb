// SPDX-License-Identifier: GPL-3.0-or-later
// parcelbarge-cli backup --workers, called in-process on test drives.
#include <gtest/gtest.h>

#include <sstream>

#include "set_reader.h"
#include "commands.h"
#include "scripted_boxes.h"
#include "scripted_host.h"
#include "test_drives.h"

namespace pb::testing {
namespace {

class BackupWorkersTest : public ::testing::Test {
 protected:
  BackupWorkersTest() {
    std::filesystem::create_directories(drives.Native("D:\\Sich"));
    WriteFile(drives.Native("C:\\Daten\\a.bin"), RandomBytes(300000, 1));
    WriteFile(drives.Native("C:\\Daten\\b.txt"), std::string(200000, 'b'));
  }

  int Backup(std::vector<std::string> args) {
    for (const char* arg : {"--volume-size", "100K", "D:\\Sich", "C:\\Daten"}) args.emplace_back(arg);
    ScriptedBoxes boxes;
    boxes.Then(BoxButton::Ok);
    ScriptedHost host;
    Runtime runtime{drives.fs(), boxes, host};
    cli::CliContext context{runtime, out, err, false};
    return cli::RunBackupCommand(context, args);
  }

  std::vector<std::string> Volumes() { return ReadVolumes(drives.Native("D:\\Sich")); }

  TestDrives drives;
  std::ostringstream out;
  std::ostringstream err;
};

TEST_F(BackupWorkersTest, AnyWorkerCountWritesTheSameVolumes) {
  ASSERT_EQ(Backup({"--workers", "1"}), kExitComplete) << err.str();
  const std::vector<std::string> serial = Volumes();
  ASSERT_EQ(serial.size(), 3u);
  for (const std::vector<std::string>& args : {std::vector<std::string>{"--workers", "2"},
                                               std::vector<std::string>{"--workers", "5"}, std::vector<std::string>{}}) {
    std::filesystem::remove_all(drives.Native("D:\\Sich"));
    std::filesystem::create_directories(drives.Native("D:\\Sich"));
    ASSERT_EQ(Backup(args), kExitComplete) << err.str();
    EXPECT_TRUE(Volumes() == serial) << ::testing::PrintToString(args);
  }
}

TEST_F(BackupWorkersTest, CountsOutsideTheUsageWriteNothing) {
  for (const char* count : {"0", "-1", "zwei", "", "2x", "65", "99999"}) {
    err.str("");
    EXPECT_EQ(Backup({"--workers", count}), kExitUsage) << count;
    EXPECT_NE(err.str().find("Aufruf:"), std::string::npos);
  }
  EXPECT_TRUE(Volumes().empty());
}

}  // namespace
}  // namespace pb::testing
