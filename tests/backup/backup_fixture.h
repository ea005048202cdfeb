// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "backup/backup_plan.h"
#include "backup/write_archive.h"
#include "faulty_file_system.h"
#include "scripted_boxes.h"
#include "scripted_host.h"
#include "set_reader.h"
#include "support/runtime.h"
#include "test_drives.h"

namespace pb::testing {

// The prompt for the next diskette when one is full.
inline constexpr const char* kNextDisketteBox = "Der Datenträger ist voll! Bitte die nächste Diskette\reinlegen und auf OK klicken.";

// A plan for the test drives' target D:\Sich, or for the diskette.
inline BackupPlan TestPlan(bool diskette = false) {
  BackupPlan plan;
  plan.diskette = diskette;
  plan.target = diskette ? "A:\\" : "D:\\Sich\\";
  return plan;
}

// The progress bar's values, in order.
struct RecordedProgress : BackupDisplay {
  std::vector<int> percents;
  void SetProgress(int percent) override { percents.push_back(percent); }
};

inline BackupOutcome RunPlan(Runtime& runtime, const BackupPlan& plan, int workers = 1) {
  RecordedProgress progress;
  return WriteArchive(runtime, plan, progress, workers);
}

// A run on test drives: sources below C:\Daten, the target D:\Sich, every
// call through a fault injector.
class BackupTest : public ::testing::Test {
 protected:
  BackupTest() { std::filesystem::create_directories(drives.Native("D:\\Sich")); }

  // Writes a source file and puts it on the list.
  std::string AddSource(const std::string& name, const std::string& bytes) {
    const std::string path = "C:\\Daten\\" + name;
    WriteFile(drives.Native(path), bytes);
    plan.files.push_back(path);
    return path;
  }

  BackupOutcome Run() { return WriteArchive(runtime, plan, progress); }

  std::vector<std::string> Volumes() { return ReadVolumes(drives.Native("D:\\Sich")); }
  DecodedSet Decoded() { return DecodeSet(Volumes()); }

  // Expects every source file back, in list order, with its stored name.
  void ExpectSetHoldsSources() {
    const DecodedSet set = Decoded();
    ASSERT_EQ(set.fileCount, static_cast<int32_t>(plan.files.size()));
    ASSERT_EQ(set.files.size(), plan.files.size());
    for (std::size_t i = 0; i < plan.files.size(); ++i) {
      EXPECT_EQ(set.files[i].name, plan.files[i]);
      EXPECT_EQ(set.files[i].data, ReadFile(drives.Native(plan.files[i]))) << plan.files[i];
    }
  }

  void ExpectOnlyFinalMessage() {
    ASSERT_EQ(boxes.texts(), std::vector<std::string>{"Die Kopie ist fertig!"});
    EXPECT_EQ(boxes.shown().back().icon, BoxIcon::Information);
    EXPECT_EQ(boxes.shown().back().title, "Parcelbarge");
  }

  TestDrives drives;
  FaultyFileSystem faulty{drives.fs()};
  ScriptedBoxes boxes;
  ScriptedHost host;
  Runtime runtime{faulty, boxes, host};
  BackupPlan plan = TestPlan();
  RecordedProgress progress;
};

}  // namespace pb::testing
