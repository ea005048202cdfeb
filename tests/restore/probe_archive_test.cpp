// SPDX-License-Identifier: GPL-3.0-or-later
#include "restore/probe_archive.h"

#include <gtest/gtest.h>

#include "faulty_file_system.h"
#include "restore/probe_display.h"
#include "set_builder.h"
#include "test_drives.h"

namespace pb {
namespace {

using testing::Op;

constexpr const char* kNoSet = "(Kein Archiv in diesem Verzeichnis gefunden)";

// Hides one name from queries that do not ask for hidden files, as the format's
// home platform does for a file with the hidden attribute.
class HidingFileSystem : public FileSystemWrapper {
 public:
  HidingFileSystem(FileSystem& target, std::string hiddenName)
      : FileSystemWrapper(target), hiddenName_(std::move(hiddenName)) {}
  std::string FindEntry(const std::string& path, int mask) override {
    const std::string name = FileSystemWrapper::FindEntry(path, mask);
    return name == hiddenName_ && (mask & kAttrHidden) == 0 ? "" : name;
  }

 private:
  std::string hiddenName_;
};

class ProbeArchiveTest : public ::testing::Test {
 protected:
  std::filesystem::path SetDir() { return drives.Native("D:\\Sich"); }
  void Write(testing::SetBuilder& set) { set.WriteTo(SetDir()); }
  void Probe(FileSystem& fs) { ProbeArchive(view, fs, results); }
  void Probe() { Probe(drives.fs()); }
  void ExpectNoSet() {
    EXPECT_FALSE(view.restoreEnabled);
    EXPECT_EQ(view.restoreInfo, kNoSet);
    EXPECT_EQ(view.description, "");
  }

  testing::TestDrives drives;
  ProbeDisplay view{"D:\\Sich"};
  ProbeResults results;
};

TEST_F(ProbeArchiveTest, Version10SetWithEmptyDescription) {
  testing::SetBuilder set;
  set.Header(3, "", 0, 77, -1).File(0, "C:\\a");
  Write(set);
  Probe();
  EXPECT_TRUE(view.restoreEnabled);
  EXPECT_EQ(view.restoreInfo, "(3 Dateien, V1.0)");
  EXPECT_EQ(view.description, "");
  EXPECT_EQ(results.ArchiveFileCount, 3);
  EXPECT_EQ(results.ArchiveDescription, "");
  EXPECT_EQ(results.ArchiveDataStart, 31);
}

TEST_F(ProbeArchiveTest, DescriptionIsDecodedAndDataStartFollowsIt) {
  testing::SetBuilder set;
  const std::string description = "Fotos f\xFCr Oma 2026!!";  // 20 bytes in Windows-1252
  ASSERT_EQ(description.size(), 20u);
  set.Header(12, description);
  Write(set);
  view = ProbeDisplay("D:\\Sich\\");  // with or without the trailing backslash
  Probe();
  EXPECT_TRUE(view.restoreEnabled);
  EXPECT_EQ(view.restoreInfo, "(12 Dateien, V1.1)");
  EXPECT_EQ(view.description, "Fotos für Oma 2026!!");
  EXPECT_EQ(results.ArchiveDescription, "Fotos für Oma 2026!!");
  EXPECT_EQ(results.ArchiveDataStart, 51);
}

TEST_F(ProbeArchiveTest, OnlyMajor1WithMinor0Or1IsASet) {
  const struct {
    int16_t major, minor;
    bool isSet;
  } cases[] = {{1, 0, true}, {1, 1, true}, {1, 2, false}, {2, 0, false}, {0, 1, false}, {1, -1, false}};
  for (const auto& c : cases) {
    testing::SetBuilder set;
    set.Header(1, "x", c.minor, 2, 0, c.major);
    Write(set);
    results = {};
    Probe();
    EXPECT_EQ(view.restoreEnabled, c.isSet) << c.major << "." << c.minor;
    EXPECT_EQ(results.ArchiveFileCount, c.isSet ? 1 : 0);
  }
}

TEST_F(ProbeArchiveTest, MagicAndVolumeNameMustMatchWithCase) {
  testing::SetBuilder otherMagic;
  otherMagic.Header(1, "", 1, 2, 0, 1, "ZK's parcelbarge");
  Write(otherMagic);
  Probe();
  ExpectNoSet();

  std::filesystem::remove(SetDir() / "DataBlock#1.Parcelbarge");
  testing::SetBuilder set;
  set.Header(1);
  testing::WriteFile(SetDir() / "datablock#1.parcelbarge", set.volumes()[0]);
  Probe();
  ExpectNoSet();
}

TEST_F(ProbeArchiveTest, HiddenVolume1OrOnlyLaterVolumesIsNoSet) {
  testing::SetBuilder set;
  set.Header(1).File(1, "C:\\a").Cut().Fragment("a");
  Write(set);
  HidingFileSystem hiding(drives.fs(), "DataBlock#1.Parcelbarge");
  Probe(hiding);
  ExpectNoSet();

  std::filesystem::remove(SetDir() / "DataBlock#1.Parcelbarge");
  Probe();
  ExpectNoSet();
}

TEST_F(ProbeArchiveTest, ChangingToADirectoryWithoutSetKeepsTheResults) {
  testing::SetBuilder set;
  set.Header(5, "Urlaub");
  Write(set);
  Probe();
  ASSERT_TRUE(view.restoreEnabled);
  const ProbeDisplay shown = view;
  view = ProbeDisplay("D:\\");
  view.restoreEnabled = shown.restoreEnabled;
  view.description = shown.description;
  Probe();
  ExpectNoSet();
  EXPECT_EQ(results.ArchiveFileCount, 5);
  EXPECT_EQ(results.ArchiveDescription, "Urlaub");
  EXPECT_EQ(results.ArchiveDataStart, 37);
}

// Damaged heads and failing file systems all end in the no-set display, with
// the results untouched and volume 1 closed again.
TEST_F(ProbeArchiveTest, FailuresWhileProbingShowNoSet) {
  const auto expectNoSetAfter = [&](FileSystem& fs, const std::string& what) {
    results = {7, "alt", 40};
    view = ProbeDisplay("D:\\Sich");
    // What an earlier probe showed must go.
    view.restoreEnabled = true;
    view.description = "alt";
    Probe(fs);
    SCOPED_TRACE(what);
    ExpectNoSet();
    EXPECT_EQ(results.ArchiveFileCount, 7);
    EXPECT_EQ(results.ArchiveDescription, "alt");
    EXPECT_EQ(results.ArchiveDataStart, 40);
  };

  testing::SetBuilder negative;
  negative.Header(2).volumes()[0][28] = '\xFF';  // description length -1
  negative.volumes()[0][29] = '\xFF';
  Write(negative);
  expectNoSetAfter(drives.fs(), "negative description length");

  testing::SetBuilder truncated;
  truncated.Header(2, "eine lange Beschreibung");
  truncated.volumes()[0].resize(40);
  Write(truncated);
  expectNoSetAfter(drives.fs(), "description cut short");

  testing::SetBuilder good;
  good.Header(2);
  Write(good);
  for (const Op op : {Op::FindEntry, Op::Open, Op::Read, Op::Seek}) {
    testing::FaultyFileSystem faulty(drives.fs());
    faulty.Fail(op, 1, op == Op::FindEntry ? 71 : 70);
    expectNoSetAfter(faulty, "failing operation " + std::to_string(static_cast<int>(op)));
    EXPECT_EQ(faulty.calls(Op::Open) - (op == Op::Open ? 1 : 0), faulty.calls(Op::Close));
  }
}

TEST_F(ProbeArchiveTest, HeadIsReadWithoutTouchingTheRest) {
  testing::SetBuilder set;
  set.Header(1, "d").Raw("garbage that is not a file header");
  Write(set);
  Probe();
  EXPECT_TRUE(view.restoreEnabled);
  EXPECT_EQ(view.restoreInfo, "(1 Dateien, V1.1)");
}

}  // namespace
}  // namespace pb
