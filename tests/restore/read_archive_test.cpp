// SPDX-License-Identifier: GPL-3.0-or-later
#include "restore/read_archive.h"

#include "faulty_file_system.h"
#include "restore_fixture.h"

namespace pb {
namespace {

using testing::Op;
using testing::RandomBytes;
using testing::SetBuilder;

class ReadArchiveTest : public testing::RestoreTest {};

TEST_F(ReadArchiveTest, RestoresVersion10SetBelowTheTarget) {
  const std::string brief = RandomBytes(5000, 1);
  SetBuilder set;
  set.Header(2, "", 0, -9, 1234).FileWithData("C:\\Daten\\Brief.doc", brief).FileWithData("E:\\x.txt", "kurz");
  set.WriteTo(SetDir());
  EXPECT_EQ(Restore(), RestoreOutcome::Intact);
  EXPECT_TRUE(testing::TreeIs(TargetDir(), (std::map<std::string, std::string>{{"Daten/Brief.doc", brief}, {"x.txt", "kurz"}})));
  EXPECT_TRUE(boxes.shown().empty());
  EXPECT_EQ(host.beeps, 1);
}

// Volumes may be cut after any item: after the header, after a FileHeader
// (also one of an empty file), after any fragment.
TEST_F(ReadArchiveTest, VolumesCutAtEveryAllowedPlace) {
  const std::string big = RandomBytes(3 * 1000 + 17, 2);
  const std::string small = "klein";
  const auto buildCutAfter = [&](const std::vector<int>& cuts) {
    SetBuilder set;
    int item = 0;
    const auto next = [&] {
      if (std::find(cuts.begin(), cuts.end(), item++) != cuts.end()) set.Cut();
    };
    set.Header(3, "Teile");
    next();
    set.File(static_cast<int32_t>(big.size()), "C:\\A\\B\\gross.bin");
    next();
    for (std::size_t pos = 0; pos < big.size(); pos += 1000) {
      set.Fragment(big.substr(pos, 1000));
      next();
    }
    set.File(0, "C:\\A\\leer");
    next();
    set.FileWithData("C:\\klein.txt", small);
    return set;
  };
  const std::map<std::string, std::string> expected = {
      {"A/B/gross.bin", big}, {"A/leer", ""}, {"klein.txt", small}};
  for (int cut = 0; cut <= 6; ++cut) {
    SCOPED_TRACE("cut after item " + std::to_string(cut));
    std::filesystem::remove_all(SetDir());
    std::filesystem::remove_all(TargetDir());
    buildCutAfter({cut}).WriteTo(SetDir());
    EXPECT_EQ(Restore(), RestoreOutcome::Intact);
    EXPECT_TRUE(testing::TreeIs(TargetDir(), expected));
  }
  SCOPED_TRACE("a cut after every item, fragments over five volumes");
  std::filesystem::remove_all(SetDir());
  std::filesystem::remove_all(TargetDir());
  SetBuilder everywhere = buildCutAfter({0, 1, 2, 3, 4, 5, 6});
  everywhere.WriteTo(SetDir());
  ASSERT_EQ(everywhere.volumes().size(), 8u);
  EXPECT_EQ(Restore(), RestoreOutcome::Intact);
  EXPECT_TRUE(testing::TreeIs(TargetDir(), expected));
  EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(ReadArchiveTest, ExistingFilesAreReplacedAndEmptied) {
  testing::WriteFile(TargetDir() / "Daten" / "voll.txt", "alter Inhalt, lang");
  testing::WriteFile(TargetDir() / "Daten" / "neu.txt", "alter Inhalt, viel l\xC3\xA4nger als der neue");
  SetBuilder set;
  set.Header(2).File(0, "C:\\Daten\\voll.txt").FileWithData("C:\\Daten\\neu.txt", "neu");
  set.WriteTo(SetDir());
  EXPECT_EQ(Restore(), RestoreOutcome::Intact);
  EXPECT_TRUE(testing::FileIs(TargetDir() / "Daten" / "voll.txt", ""));
  EXPECT_TRUE(testing::FileIs(TargetDir() / "Daten" / "neu.txt", "neu"));
}

TEST_F(ReadArchiveTest, Windows1252NamesBecomeNativeNames) {
  SetBuilder set;
  set.Header(1).FileWithData("C:\\B\xFCro\\Gr\xFC\xDF\x65 \x80.txt", "Hallo");
  set.WriteTo(SetDir());
  EXPECT_EQ(Restore(), RestoreOutcome::Intact);
  EXPECT_TRUE(testing::FileIs(TargetDir() / testing::NativePath("Büro/Grüße €.txt"), "Hallo"));
}

TEST_F(ReadArchiveTest, DriveRootTargetHasNoDoubledBackslash) {
  SetBuilder set;
  set.Header(1).FileWithData("C:\\Daten\\Brief.doc", "Brief");
  set.WriteTo(SetDir());
  EXPECT_EQ(Restore(drives.fs(), "C:\\"), RestoreOutcome::Intact);
  EXPECT_TRUE(testing::FileIs(drives.Root('C') / "Daten" / "Brief.doc", "Brief"));
}

TEST_F(ReadArchiveTest, ReadOnlyTargetIsSkippedAndTheRestRestored) {
  testing::WriteFile(TargetDir() / "gesperrt.txt", "bleibt");
  std::filesystem::permissions(TargetDir() / "gesperrt.txt", std::filesystem::perms::owner_read |
                                                                 std::filesystem::perms::group_read);
  SetBuilder set;
  set.Header(2)
      .FileWithData("C:\\gesperrt.txt", RandomBytes(300000, 3))
      .FileWithData("C:\\frei.txt", "frei");
  set.WriteTo(SetDir());
  boxes.Then(BoxButton::Ok);
  EXPECT_EQ(Restore(), RestoreOutcome::Damaged);
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].text, "Die Datei C:\\Rueck\\gesperrt.txt konnte nicht angelegt werden ...");
  EXPECT_EQ(boxes.shown()[0].icon, BoxIcon::Critical);
  EXPECT_EQ(boxes.shown()[0].buttons, BoxButtons::Ok);
  EXPECT_TRUE(testing::FileIs(TargetDir() / "gesperrt.txt", "bleibt"));
  EXPECT_TRUE(testing::FileIs(TargetDir() / "frei.txt", "frei"));
  EXPECT_EQ(host.beeps, 1);
}

TEST_F(ReadArchiveTest, DamagedFragmentsAreReportedAndZeroFilled) {
  const std::string first = RandomBytes(1000, 4);
  const std::string last = RandomBytes(700, 5);
  std::string damaged = testing::Compressed(std::string(1000, 'x'));
  damaged[damaged.size() / 2] ^= 0x55;
  SetBuilder set;
  set.Header(2)
      .File(2700, "C:\\kaputt.bin")
      .Fragment(first)
      .RawFragment(1000, damaged)
      .Fragment(last)
      // zlib reports success, but with one byte fewer than announced
      .File(10, "C:\\kurz.bin")
      .RawFragment(10, testing::Compressed("123456789"));
  set.WriteTo(SetDir());
  boxes.Then(BoxButton::Ok).Then(BoxButton::Ok);
  EXPECT_EQ(Restore(), RestoreOutcome::Damaged);
  ASSERT_EQ(boxes.shown().size(), 2u);
  EXPECT_EQ(boxes.shown()[0].text, "-3");
  EXPECT_EQ(boxes.shown()[0].title, testing::kDecompressTitle);
  EXPECT_EQ(boxes.shown()[0].icon, BoxIcon::Critical);
  EXPECT_EQ(boxes.shown()[1].text, "-3");
  EXPECT_TRUE(testing::FileIs(TargetDir() / "kaputt.bin", first + std::string(1000, '\0') + last));
  EXPECT_TRUE(testing::FileIs(TargetDir() / "kurz.bin", std::string(10, '\0')));
  EXPECT_EQ(host.beeps, 1);
}

TEST_F(ReadArchiveTest, TargetNotReadyIsRetriedOrGivenUp) {
  const std::string data = RandomBytes(400000, 6);
  SetBuilder set;
  set.Header(2).FileWithData("C:\\a.bin", data).FileWithData("C:\\b.bin", "b");
  set.WriteTo(SetDir());

  testing::FaultyFileSystem faulty(drives.fs());
  faulty.Fail(Op::Write, 2, 71, "Rueck").Fail(Op::Write, 1, 71, "b.bin");
  boxes.Then(BoxButton::Ok).Then(BoxButton::Cancel).Then(BoxButton::No).Then(BoxButton::Ok);
  EXPECT_EQ(Restore(faulty), RestoreOutcome::Intact);
  EXPECT_EQ(boxes.texts(), (std::vector<std::string>{testing::kTargetNotReadyBox, testing::kTargetNotReadyBox,
                                                     testing::kConfirmBox, testing::kTargetNotReadyBox}));
  EXPECT_TRUE(testing::FileIs(TargetDir() / "a.bin", data));
  EXPECT_TRUE(testing::FileIs(TargetDir() / "b.bin", "b"));

  std::filesystem::remove_all(TargetDir());
  testing::FaultyFileSystem failing(drives.fs());
  failing.Fail(Op::Write, 3, 71, "Rueck");
  testing::ScriptedBoxes giveUp;
  giveUp.Then(BoxButton::Cancel).Then(BoxButton::Yes);
  Runtime runtime{failing, giveUp, host};
  EXPECT_EQ(ReadArchive(runtime, probe, "D:\\Sich", "C:\\Rueck"), RestoreOutcome::GivenUp);
  EXPECT_TRUE(testing::FileIs(TargetDir() / "a.bin", data.substr(0, 2 * 131072)));
  EXPECT_FALSE(std::filesystem::exists(TargetDir() / "b.bin"));
  EXPECT_EQ(host.beeps, 2);
}

// Each restored file is opened once, new or in place of an old one: the
// open that creates it is the one its bytes are written through.
TEST_F(ReadArchiveTest, EachRestoredFileIsOpenedOnce) {
  struct TargetOpens : FileSystemWrapper {
    using FileSystemWrapper::FileSystemWrapper;
    FileNumber Open(const std::string& path, OpenMode mode) override {
      const FileNumber file = FileSystemWrapper::Open(path, mode);
      if (path.find("Rueck") != std::string::npos) ++opens;
      return file;
    }
    int opens = 0;
  };
  SetBuilder set;
  set.Header(3).FileWithData("C:\\a.bin", RandomBytes(300000, 8)).FileWithData("C:\\b.bin", "b").File(0, "C:\\leer");
  set.WriteTo(SetDir());
  testing::WriteFile(TargetDir() / "b.bin", "alt und lang");
  TargetOpens counting(drives.fs());
  EXPECT_EQ(Restore(counting), RestoreOutcome::Intact);
  EXPECT_EQ(counting.opens, 3);
  EXPECT_TRUE(testing::FileIs(TargetDir() / "b.bin", "b"));
}

TEST_F(ReadArchiveTest, DiskFullEndsTheRunAndKeepsThePartlyWrittenFile) {
  const std::string data = RandomBytes(400000, 7);
  SetBuilder set;
  set.Header(2).FileWithData("C:\\a.bin", data).FileWithData("C:\\b.bin", "b");
  set.WriteTo(SetDir());
  testing::FaultyFileSystem faulty(drives.fs());
  faulty.Fail(Op::Write, 3, 61, "Rueck");
  boxes.Then(BoxButton::Ok);
  EXPECT_EQ(Restore(faulty), RestoreOutcome::TargetFull);
  EXPECT_EQ(boxes.texts(), std::vector<std::string>{testing::kDiskFullBox});
  EXPECT_EQ(boxes.shown()[0].buttons, BoxButtons::Ok);
  EXPECT_TRUE(testing::FileIs(TargetDir() / "a.bin", data.substr(0, 2 * 131072)));
  EXPECT_FALSE(std::filesystem::exists(TargetDir() / "b.bin"));
  EXPECT_EQ(host.beeps, 1);
  EXPECT_EQ(faulty.openFiles(), 0u);
}

// The run flushes the target's file system once, before the beep, and that
// flush is a guarded target write like any other.
TEST_F(ReadArchiveTest, RestoredFilesReachTheDeviceBeforeTheBeep) {
  SetBuilder set;
  set.Header(3).FileWithData("C:\\a.bin", "abc").File(0, "C:\\leer").FileWithData("C:\\b.bin", "b");
  set.WriteTo(SetDir());
  testing::FaultyFileSystem faulty(drives.fs());
  faulty.Fail(Op::FlushDirectory, 1, 71);
  boxes.Then(BoxButton::Ok);
  EXPECT_EQ(Restore(faulty), RestoreOutcome::Intact);
  EXPECT_EQ(boxes.texts(), std::vector<std::string>{testing::kTargetNotReadyBox});
  EXPECT_EQ(faulty.calls(Op::FlushDirectory), 2);
  EXPECT_EQ(faulty.calls(Op::Flush), 0);
  EXPECT_EQ(host.beeps, 1);

  std::filesystem::remove_all(TargetDir());
  testing::FaultyFileSystem full(drives.fs());
  full.Fail(Op::FlushDirectory, 1, 61);
  boxes.Then(BoxButton::Ok);
  EXPECT_EQ(Restore(full), RestoreOutcome::TargetFull);
  EXPECT_EQ(boxes.texts().back(), testing::kDiskFullBox);
  EXPECT_EQ(host.beeps, 2);
}

TEST_F(ReadArchiveTest, OtherTargetFailuresAreFatal) {
  SetBuilder set;
  set.Header(1).FileWithData("C:\\a.bin", "abc");
  set.WriteTo(SetDir());
  testing::FaultyFileSystem faulty(drives.fs());
  faulty.Fail(Op::Write, 1, 57, "Rueck");
  boxes.Then(BoxButton::Ok);
  EXPECT_EQ(EndingRestore(faulty), kExitFatal);
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].text.rfind("Es kam in Modul RESTORE zu folgendem Fehler:\r", 0), 0u);
  EXPECT_NE(boxes.shown()[0].text.find(" /57\r"), std::string::npos);
  EXPECT_EQ(host.beeps, 0);
}

}  // namespace
}  // namespace pb
