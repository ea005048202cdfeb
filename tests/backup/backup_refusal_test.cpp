// SPDX-License-Identifier: GPL-3.0-or-later
#include <filesystem>

#include "backup/backup_refusal.h"
#include "backup_fixture.h"
#include "support/run_time_error.h"

namespace pb::testing {
namespace {

class BackupRefusalTest : public BackupTest {
 protected:
  std::optional<std::string> Refusal() { return BackupRefusal(runtime.fs, inputs); }

  // A sparse file of the given length.
  std::string AddSparseSource(const std::string& name, std::uintmax_t length) {
    const std::string path = AddSource(name, "");
    std::filesystem::resize_file(drives.Native(path), length);
    return path;
  }
};

TEST_F(BackupRefusalTest, OrdinaryInputsMayStart) {
  AddSource("a.txt", "abc");
  EXPECT_EQ(Refusal(), std::nullopt);
  inputs.ownSize = true;
  inputs.sizeText = "2047";
  inputs.unitIndex = 1;
  EXPECT_EQ(Refusal(), std::nullopt);
}

TEST_F(BackupRefusalTest, VolumeSizeMustBePositiveAndFitInt32) {
  inputs.ownSize = true;
  for (const auto& [text, unit] : std::vector<std::pair<std::string, int>>{{"0", 0}, {"abc", 0}, {"-5", 0}, {"2048", 1}}) {
    inputs.sizeText = text;
    inputs.unitIndex = unit;
    const std::optional<std::string> refusal = Refusal();
    ASSERT_TRUE(refusal) << text;
    EXPECT_NE(refusal->find("Größe der Teilblöcke"), std::string::npos);
  }
  inputs.sizeText = "0.0009765625";  // one byte
  inputs.unitIndex = 0;
  EXPECT_EQ(Refusal(), std::nullopt);
}

TEST_F(BackupRefusalTest, SizesThatNeedMoreThan32767VolumesAreRefusedBeforeAnythingIsWritten) {
  inputs.ownSize = true;
  inputs.sizeText = "0.05";  // 51 bytes
  AddSparseSource("ein-mbyte.bin", 1 << 20);
  EXPECT_EQ(Refusal(), std::nullopt) << "its zeros might fit";
  AddSparseSource("vier-mbyte.bin", 4 << 20);
  ASSERT_TRUE(Refusal());
  EXPECT_EQ(*Refusal(), "Bei dieser Größe der Teilblöcke wären mehr als 32767 Teilblöcke nötig.\r"
                        "Die Sicherung wird nicht gestartet.");
  inputs.sizeText = "1423";
  EXPECT_EQ(Refusal(), std::nullopt);
  EXPECT_TRUE(Volumes().empty());
}

TEST_F(BackupRefusalTest, AtMost32767Files) {
  inputs.files.assign(32768, "C:\\Daten\\fehlt.txt");
  ASSERT_TRUE(Refusal());
  EXPECT_NE(Refusal()->find("32767 Dateien"), std::string::npos);
  inputs.files.pop_back();
  EXPECT_EQ(Refusal(), std::nullopt);
}

TEST_F(BackupRefusalTest, TextsMustFitTheirLengthFields) {
  inputs.description = " " + std::string(32767, 'x') + " ";  // trimmed, it fits
  EXPECT_EQ(Refusal(), std::nullopt);
  inputs.description = std::string(32767, 'x') + "\xC3\xA4";  // "ä" is one byte in the set
  ASSERT_TRUE(Refusal());
  EXPECT_NE(Refusal()->find("Beschreibung"), std::string::npos);

  inputs.description.clear();
  inputs.files = {"C:\\" + std::string(32764, 'n')};
  EXPECT_EQ(Refusal(), std::nullopt);
  inputs.files = {"C:\\" + std::string(32765, 'n')};
  ASSERT_TRUE(Refusal());
  EXPECT_NE(Refusal()->find("Dateiname"), std::string::npos);
}

TEST_F(BackupRefusalTest, FilesOf2GiBOrMoreAreRefused) {
  AddSparseSource("knapp.bin", 2147483647);
  EXPECT_EQ(Refusal(), std::nullopt);
  const std::string big = AddSparseSource("gross.bin", 2147483648);
  ASSERT_TRUE(Refusal());
  EXPECT_NE(Refusal()->find(big), std::string::npos);
}

// The run asks to retry a file it cannot open, so such a file refuses nothing.
TEST_F(BackupRefusalTest, FilesThatCannotBeOpenedAreNeitherRefusedNorCounted) {
  inputs.ownSize = true;
  inputs.sizeText = "0.05";  // 51 bytes
  const struct {
    const char* name;
    std::uintmax_t length;
  } rows[] = {{"gross.bin", 2147483648}, {"vier-mbyte.bin", 4 << 20}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    inputs.files.clear();
    AddSparseSource(row.name, row.length);
    faulty.Heal();
    EXPECT_TRUE(Refusal());
    faulty.Fail(Op::Open, 1, kPermissionDenied, row.name, /*fromThenOn=*/true);
    EXPECT_EQ(Refusal(), std::nullopt);
  }
}

TEST_F(BackupRefusalTest, NeverDeletesOrOverwritesWhatItSaves) {
  const std::string inTarget = "D:\\Sich\\brief.doc";
  WriteFile(drives.Native(inTarget), "x");
  inputs.files = {inTarget};
  EXPECT_EQ(Refusal(), std::nullopt);
  inputs.clearTarget = true;
  ASSERT_TRUE(Refusal());
  EXPECT_NE(Refusal()->find(inTarget), std::string::npos);

  inputs.clearTarget = false;
  inputs.targetDirectory = "D:\\Sich\\";
  inputs.files = {"D:\\Sich\\DataBlock#3.Parcelbarge"};
  ASSERT_TRUE(Refusal());
  inputs.files = {"D:\\Sich\\DataBlock#03.Parcelbarge", "D:\\Sich\\DataBlock#0.Parcelbarge",
                  "D:\\Anders\\DataBlock#1.Parcelbarge"};
  EXPECT_EQ(Refusal(), std::nullopt);
}

TEST_F(BackupRefusalTest, DisketteTargetIsTheRootOfA) {
  inputs.diskette = true;
  inputs.clearTarget = true;
  inputs.files = {"A:\\brief.doc"};
  EXPECT_TRUE(Refusal());
  inputs.files = {"A:\\Unter\\brief.doc"};
  EXPECT_EQ(Refusal(), std::nullopt);
}

}  // namespace
}  // namespace pb::testing
