// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "backup/backup_inputs.h"
#include "backup/write_archive.h"
#include "faulty_file_system.h"
#include "scripted_boxes.h"
#include "scripted_host.h"
#include "set_reader.h"
#include "support/runtime.h"
#include "test_drives.h"

namespace pb::testing {

// The window's values as plain fields.
struct TestInputs : BackupInputs {
  bool diskette = false;
  std::string targetDirectory = "D:\\Sich";
  bool ownSize = false;
  std::string sizeText = "1423";
  int unitIndex = 0;
  std::vector<std::string> files;
  std::string description;
  bool clearTarget = false;
  bool verify = false;
  std::vector<int> progress;
  mutable int clearTargetReads = 0;

  bool DisketteTarget() const override { return diskette; }
  std::string TargetDirectory() const override { return targetDirectory; }
  bool OwnVolumeSize() const override { return ownSize; }
  std::string VolumeSizeText() const override { return sizeText; }
  int VolumeSizeUnitIndex() const override { return unitIndex; }
  int FileCount() const override { return static_cast<int>(files.size()); }
  std::string FileAt(int index) const override { return files.at(static_cast<std::size_t>(index)); }
  std::string Description() const override { return description; }
  bool ClearTarget() const override {
    ++clearTargetReads;
    return clearTarget;
  }
  bool VerifyVolumes() const override { return verify; }
  void SetProgress(int percent) override { progress.push_back(percent); }

  // An own volume size of exactly bytes, written as Kbyte the way a user could.
  void SetOwnSizeBytes(int64_t bytes) {
    ownSize = true;
    unitIndex = 0;
    char text[64];
    std::snprintf(text, sizeof text, "%.10f", static_cast<double>(bytes) / 1024.0);
    sizeText = text;
  }
};

// A run on test drives: sources below C:\Daten, the target D:\Sich, every
// call through a fault injector.
class BackupTest : public ::testing::Test {
 protected:
  BackupTest() { std::filesystem::create_directories(drives.Native("D:\\Sich")); }

  // Writes a source file and puts it on the list.
  std::string AddSource(const std::string& name, const std::string& bytes) {
    const std::string path = "C:\\Daten\\" + name;
    WriteFile(drives.Native(path), bytes);
    inputs.files.push_back(path);
    return path;
  }

  BackupOutcome Run() { return WriteArchive(runtime, inputs); }

  std::vector<std::string> Volumes() { return ReadVolumes(drives.Native("D:\\Sich")); }
  DecodedSet Decoded() { return DecodeSet(Volumes()); }

  // Expects every source file back, in list order, with its stored name.
  void ExpectSetHoldsSources() {
    const DecodedSet set = Decoded();
    ASSERT_EQ(set.fileCount, static_cast<int32_t>(inputs.files.size()));
    ASSERT_EQ(set.files.size(), inputs.files.size());
    for (std::size_t i = 0; i < inputs.files.size(); ++i) {
      EXPECT_EQ(set.files[i].name, inputs.files[i]);
      EXPECT_EQ(set.files[i].data, ReadFile(drives.Native(inputs.files[i]))) << inputs.files[i];
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
  TestInputs inputs;
};

}  // namespace pb::testing
