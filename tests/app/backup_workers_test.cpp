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

  int Backup(int workers) {
    cli::BackupOptions options;
    options.volumeSize = 102400;
    options.workers = workers;
    options.target = "D:\\Sich";
    options.sources = {"C:\\Daten"};
    ScriptedBoxes boxes;
    boxes.Then(BoxButton::Ok);
    ScriptedHost host;
    Runtime runtime{drives.fs(), boxes, host};
    cli::CliContext context{runtime, out, err, false};
    return cli::RunBackupCommand(context, options);
  }

  std::vector<std::string> Volumes() { return ReadVolumes(drives.Native("D:\\Sich")); }

  TestDrives drives;
  std::ostringstream out;
  std::ostringstream err;
};

TEST_F(BackupWorkersTest, AnyWorkerCountWritesTheSameVolumes) {
  ASSERT_EQ(Backup(1), kExitComplete) << err.str();
  const std::vector<std::string> serial = Volumes();
  ASSERT_EQ(serial.size(), 3u);
  for (const int workers : {2, 5, 0}) {
    std::filesystem::remove_all(drives.Native("D:\\Sich"));
    std::filesystem::create_directories(drives.Native("D:\\Sich"));
    ASSERT_EQ(Backup(workers), kExitComplete) << err.str();
    EXPECT_TRUE(Volumes() == serial) << workers;
  }
}

}  // namespace
}  // namespace pb::testing
