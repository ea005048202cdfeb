// SPDX-License-Identifier: GPL-3.0-or-later
#include <cstdint>
#include <filesystem>

#include "backup/backup_refusal.h"
#include "backup_fixture.h"
#include "support/run_time_error.h"

namespace pb::testing {
namespace {

class BackupRefusalTest : public BackupTest {
 protected:
  std::optional<std::string> Refusal() {
    const CheckedPlan checked = BackupRefusal(runtime.fs, plan);
    if (const std::string* refusal = std::get_if<std::string>(&checked)) return *refusal;
    EXPECT_EQ(std::get<BackupPlan>(checked).files, plan.files);
    return std::nullopt;
  }

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
  plan.volumeLimit = int64_t{2047} << 20;
  EXPECT_EQ(Refusal(), std::nullopt);
}

TEST_F(BackupRefusalTest, VolumeSizeMustBePositiveAndFitInt32) {
  for (const int64_t limit : {int64_t{0}, int64_t{-5120}, int64_t{2048} << 20, INT64_MIN}) {
    plan.volumeLimit = limit;
    const std::optional<std::string> refusal = Refusal();
    ASSERT_TRUE(refusal) << limit;
    EXPECT_NE(refusal->find("Größe der Teilblöcke"), std::string::npos);
  }
  for (const int64_t limit : {int64_t{1}, int64_t{INT32_MAX}}) {
    plan.volumeLimit = limit;
    EXPECT_EQ(Refusal(), std::nullopt) << limit;
  }
}

TEST_F(BackupRefusalTest, SizesThatNeedMoreThan32767VolumesAreRefusedBeforeAnythingIsWritten) {
  plan.volumeLimit = 51;
  AddSparseSource("ein-mbyte.bin", 1 << 20);
  EXPECT_EQ(Refusal(), std::nullopt) << "its zeros might fit";
  AddSparseSource("vier-mbyte.bin", 4 << 20);
  ASSERT_TRUE(Refusal());
  EXPECT_EQ(*Refusal(), "Bei dieser Größe der Teilblöcke wären mehr als 32767 Teilblöcke nötig.\r"
                        "Die Sicherung wird nicht gestartet.");
  plan.volumeLimit = 1457152;
  EXPECT_EQ(Refusal(), std::nullopt);
  EXPECT_TRUE(Volumes().empty());
}

TEST_F(BackupRefusalTest, AtMost32767Files) {
  plan.files.assign(32768, "C:\\Daten\\fehlt.txt");
  ASSERT_TRUE(Refusal());
  EXPECT_NE(Refusal()->find("32767 Dateien"), std::string::npos);
  plan.files.pop_back();
  EXPECT_EQ(Refusal(), std::nullopt);
}

// The window's box and the command line both give their description here.
TEST_F(BackupRefusalTest, DescriptionsKeepToWhatASetCanStore) {
  AddSource("a.txt", "abc");
  const struct {
    std::string description;
    bool refused;
  } cases[] = {
      {"Gr\xC3\xBC\xC3\x9F\xE2\x82\xAC\r\n\xE2\x80\x9E\xC3\xA0\xE2\x80\x9C", false},  // ü, ß, €, „à“
      {"Fotos \xE6\x97\xA5\xE6\x9C\xAC", true},                                                // CJK
      {"\xF0\x9F\x98\x80", true},                                                               // an emoji
      {"kaputt \xFF", true},                                                                     // no UTF-8
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.description);
    plan.description = c.description;
    const std::optional<std::string> refusal = Refusal();
    EXPECT_EQ(refusal.has_value(), c.refused);
    if (refusal) {
      EXPECT_EQ(refusal->find("Die Beschreibung enthält Zeichen"), 0u) << *refusal;
    }
  }
}

TEST_F(BackupRefusalTest, TextsMustFitTheirLengthFields) {
  plan.description = std::string(32767, 'x');
  EXPECT_EQ(Refusal(), std::nullopt);
  plan.description = std::string(32767, 'x') + "\xC3\xA4";  // "ä" is one byte in the set
  ASSERT_TRUE(Refusal());
  EXPECT_NE(Refusal()->find("Beschreibung"), std::string::npos);

  plan.description.clear();
  plan.files = {"C:\\" + std::string(32764, 'n')};
  EXPECT_EQ(Refusal(), std::nullopt);
  plan.files = {"C:\\" + std::string(32765, 'n')};
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
  plan.volumeLimit = 51;
  const struct {
    const char* name;
    std::uintmax_t length;
  } rows[] = {{"gross.bin", 2147483648}, {"vier-mbyte.bin", 4 << 20}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    plan.files.clear();
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
  plan.files = {inTarget};
  EXPECT_EQ(Refusal(), std::nullopt);
  plan.clearTarget = true;
  ASSERT_TRUE(Refusal());
  EXPECT_NE(Refusal()->find(inTarget), std::string::npos);

  plan.clearTarget = false;
  plan.files = {"D:\\Sich\\DataBlock#3.Parcelbarge"};
  ASSERT_TRUE(Refusal());
  plan.files = {"D:\\Sich\\DataBlock#03.Parcelbarge", "D:\\Sich\\DataBlock#0.Parcelbarge",
                  "D:\\Anders\\DataBlock#1.Parcelbarge"};
  EXPECT_EQ(Refusal(), std::nullopt);
}

TEST_F(BackupRefusalTest, DisketteTargetIsTheRootOfA) {
  plan = TestPlan(true);
  plan.clearTarget = true;
  plan.files = {"A:\\brief.doc"};
  EXPECT_TRUE(Refusal());
  plan.files = {"A:\\Unter\\brief.doc"};
  EXPECT_EQ(Refusal(), std::nullopt);
}

}  // namespace
}  // namespace pb::testing
