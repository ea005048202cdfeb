// SPDX-License-Identifier: GPL-3.0-or-later
#include <zlib.h>

#include "backup_fixture.h"

namespace pb::testing {
namespace {

std::string Le(uint32_t value, int count) {
  std::string bytes;
  for (int i = 0; i < count; ++i, value >>= 8) bytes.push_back(static_cast<char>(value & 0xFF));
  return bytes;
}

std::string ZlibStream(const std::string& data) {
  uLongf length = compressBound(static_cast<uLong>(data.size()));
  std::string out(length, '\0');
  compress(reinterpret_cast<Bytef*>(out.data()), &length, reinterpret_cast<const Bytef*>(data.data()),
           static_cast<uLong>(data.size()));
  out.resize(length);
  return out;
}

using WriteArchiveTest = BackupTest;

TEST_F(WriteArchiveTest, EmptyListCreatesNoVolumeAndClearsNothing) {
  WriteFile(drives.Native("D:\\Sich\\alt.txt"), "bleibt");
  plan.clearTarget = true;
  boxes.Then(BoxButton::Ok);

  EXPECT_EQ(Run(), BackupOutcome::Complete);

  ExpectOnlyFinalMessage();
  EXPECT_TRUE(Volumes().empty());
  EXPECT_TRUE(std::filesystem::exists(drives.Native("D:\\Sich\\alt.txt")));
  EXPECT_EQ(progress.percents, std::vector<int>{0});
}

TEST_F(WriteArchiveTest, SmallSetHasExactlyTheBytesOfTheFormat) {
  AddSource("a.txt", "hello");
  AddSource("leer.txt", "");
  plan.description = "Test";
  boxes.Then(BoxButton::Ok);

  ASSERT_EQ(Run(), BackupOutcome::Complete);

  const std::string stream = ZlibStream("hello");
  const std::string expected = std::string("ZK's Parcelbarge") + Le(1, 2) + Le(1, 2) + Le(2, 2) + Le(0, 2) +
                               Le(2, 4) + Le(4, 2) + "Test" +                      //
                               Le(5, 4) + Le(14, 2) + "C:\\Daten\\a.txt" +        //
                               Le(5, 4) + Le(static_cast<uint32_t>(stream.size()), 4) + stream +  //
                               Le(0, 4) + Le(17, 2) + "C:\\Daten\\leer.txt";
  const std::vector<std::string> volumes = Volumes();
  ASSERT_EQ(volumes.size(), 1u);
  EXPECT_EQ(volumes[0], expected);
  ExpectOnlyFinalMessage();
}

TEST_F(WriteArchiveTest, FragmentsAreAtMost128KiBAndOneYieldPrecedesEach) {
  AddSource("genau.bin", RandomBytes(131072, 1));
  AddSource("leer.bin", "");
  AddSource("eins-mehr.bin", RandomBytes(131073, 2));
  boxes.Then(BoxButton::Ok);

  ASSERT_EQ(Run(), BackupOutcome::Complete);

  ExpectSetHoldsSources();
  const DecodedSet set = Decoded();
  EXPECT_EQ(set.files[0].fragments, std::vector<int32_t>{131072});
  EXPECT_TRUE(set.files[1].fragments.empty());
  EXPECT_EQ(set.files[2].fragments, (std::vector<int32_t>{131072, 1}));
  EXPECT_EQ(host.yields, 3);
  EXPECT_EQ(progress.percents, (std::vector<int>{33, 67, 100, 0}));
}

TEST_F(WriteArchiveTest, OwnSizeStartsNextVolumeWithoutPromptAtTheLimit) {
  AddSource("gross.bin", RandomBytes(20000, 3));
  AddSource("klein.txt", std::string(3000, 'x'));
  plan.volumeLimit = 4096;
  boxes.Then(BoxButton::Ok);

  ASSERT_EQ(Run(), BackupOutcome::Complete);

  ExpectOnlyFinalMessage();
  ExpectSetHoldsSources();
  const std::vector<std::string> volumes = Volumes();
  ASSERT_GE(volumes.size(), 5u);
  for (std::size_t i = 0; i + 1 < volumes.size(); ++i) {
    EXPECT_GE(volumes[i].size(), 4096u) << "volume " << i + 1;
    // Over the limit only by the header of the last fragment and what
    // compression adds to random bytes.
    EXPECT_LE(volumes[i].size(), 4096u + 8 + 64) << "volume " << i + 1;
  }
}

TEST_F(WriteArchiveTest, FileHeaderThatFillsTheVolumeStaysAndIsNotRepeated) {
  const std::string first = RandomBytes(1000, 4);
  AddSource("eins.bin", first);
  AddSource("zwei.bin", RandomBytes(700, 5));
  const int64_t header = 30;
  const int64_t firstItems = 6 + 17 + 8 + static_cast<int64_t>(ZlibStream(first).size());
  const int64_t secondHeader = 6 + 17;
  plan.volumeLimit = header + firstItems + secondHeader;
  boxes.Then(BoxButton::Ok);

  ASSERT_EQ(Run(), BackupOutcome::Complete);

  ExpectSetHoldsSources();
  const std::vector<std::string> volumes = Volumes();
  ASSERT_EQ(volumes.size(), 2u);
  EXPECT_EQ(static_cast<int64_t>(volumes[0].size()), header + firstItems + secondHeader);
  const DecodedSet set = Decoded();
  EXPECT_EQ(set.files[1].volume, 1);
  EXPECT_EQ(set.files[1].fragments, std::vector<int32_t>{700});
}

TEST_F(WriteArchiveTest, LimitBelowTheLeadingRecordsStillMakesProgress) {
  AddSource("leer.txt", "");
  AddSource("daten.bin", RandomBytes(1500, 6));
  plan.volumeLimit = 40;
  boxes.Then(BoxButton::Ok);

  ASSERT_EQ(Run(), BackupOutcome::Complete);

  ExpectSetHoldsSources();
  const DecodedSet set = Decoded();
  // Volume 1's records reach the limit: it still gets one short fragment,
  // every later volume fragments of what is free.
  EXPECT_EQ(set.files[1].fragments.front(), 512);
  EXPECT_EQ(set.files[1].fragments.at(1), 40);
}

TEST_F(WriteArchiveTest, FullMediumHalvesTheFragmentAtTheSamePosition) {
  AddSource("daten.bin", RandomBytes(131072, 7));
  // The first two attempts at the fragment find the medium full.
  faulty.Fail(Op::Write, 3, 61, "DataBlock", true);
  host.onYield = [&](int yield) {
    if (yield == 3) faulty.Heal();
  };
  boxes.Then(BoxButton::Ok);

  ASSERT_EQ(Run(), BackupOutcome::Complete);

  ExpectOnlyFinalMessage();
  ExpectSetHoldsSources();
  EXPECT_EQ(Decoded().files[0].fragments, (std::vector<int32_t>{32768, 98304}));
  EXPECT_EQ(host.yields, 4);  // also before each retry
}

// The halving goes down to 512 bytes exactly; only what falls below asks for
// the next disk.
TEST_F(WriteArchiveTest, HalvingTriesAFragmentOfExactly512Bytes) {
  const struct {
    int length;
    std::vector<int32_t> fragments;
    std::size_t prompts;
  } cases[] = {{1024, {512, 512}, 0}, {1023, {1023}, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.length);
    std::filesystem::remove_all(drives.Native("D:\\Sich"));
    std::filesystem::create_directories(drives.Native("D:\\Sich"));
    plan.files.clear();
    AddSource("daten.bin", RandomBytes(static_cast<std::size_t>(c.length), 8));
    // ArchiveHeader, FileHeader, then the whole fragment finds the medium full.
    faulty.Heal();
    faulty.Fail(Op::Write, 3, 61, "DataBlock");
    boxes = {};
    for (std::size_t i = 0; i <= c.prompts; ++i) boxes.Then(BoxButton::Ok);

    ASSERT_EQ(Run(), BackupOutcome::Complete);

    EXPECT_EQ(boxes.texts().size(), c.prompts + 1);
    ExpectSetHoldsSources();
    EXPECT_EQ(Decoded().files[0].fragments, c.fragments);
  }
}

TEST_F(WriteArchiveTest, FullMediumBelow512AsksForNextDiskAndKeepsVolumeWithFragments) {
  AddSource("eins.txt", std::string(2000, 'a'));
  AddSource("zwei.txt", std::string(1000, 'b'));
  // Writes: ArchiveHeader, FileHeader, fragment, FileHeader, then zwei's
  // fragment of 1000 bytes fails and 500 is below the minimum.
  faulty.Fail(Op::Write, 5, 61, "DataBlock");
  boxes.Then(BoxButton::Ok).Then(BoxButton::Ok);

  ASSERT_EQ(Run(), BackupOutcome::Complete);

  ASSERT_EQ(boxes.texts().size(), 2u);
  EXPECT_EQ(boxes.shown()[0].text, "Der Datenträger ist voll! Bitte die nächste Diskette\reinlegen und auf OK klicken.");
  EXPECT_EQ(boxes.shown()[0].icon, BoxIcon::Information);
  EXPECT_EQ(boxes.shown()[0].buttons, BoxButtons::OkCancel);
  ExpectSetHoldsSources();
  const DecodedSet set = Decoded();
  ASSERT_EQ(Volumes().size(), 2u);
  EXPECT_EQ(set.files[1].volume, 1);  // its header is not repeated on volume 2
}

TEST_F(WriteArchiveTest, VolumeFullBeforeItsFirstFragmentIsRecreatedWithItsHeaders) {
  AddSource("leer1.txt", "");
  AddSource("leer2.txt", "");
  AddSource("daten.bin", RandomBytes(1000, 8));
  // Writes 1 to 4 are the records; every fragment write fails until the new
  // diskette is in.
  faulty.Fail(Op::Write, 5, 61, "DataBlock", true);
  boxes.Then(BoxButton::Ok, [&] { faulty.Heal(); }).Then(BoxButton::Ok);

  ASSERT_EQ(Run(), BackupOutcome::Complete);

  const std::vector<std::string> volumes = Volumes();
  ASSERT_EQ(volumes.size(), 1u);
  // The empty files' headers came back with the ArchiveHeader.
  ExpectSetHoldsSources();
  EXPECT_EQ(faulty.calls(Op::Write, "DataBlock"), 5 + 5);
}

// A drive that is not ready: OK repeats the step, on a volume opened again at
// what was confirmed written when the handle died with the medium, and asks
// again while the medium in the drive does not hold that much of it.
struct NotReadyCase {
  const char* name;
  std::vector<Fault> faults;
  std::size_t boxes;
};

void PrintTo(const NotReadyCase& c, std::ostream* os) { *os << c.name; }

class DriveNotReady : public BackupTest, public ::testing::WithParamInterface<NotReadyCase> {};

TEST_P(DriveNotReady, OkContinuesOnceTheMediumIsBack) {
  AddSource("a.bin", RandomBytes(300000, 11));
  for (const Fault& fault : GetParam().faults) faulty.Fail(fault);
  for (std::size_t i = 0; i <= GetParam().boxes; ++i) boxes.Then(BoxButton::Ok);

  ASSERT_EQ(Run(), BackupOutcome::Complete);

  std::vector<std::string> expected(GetParam().boxes,
                                    "Auf den Zieldatenträger kann nicht geschrieben werden.\rBitte prüfen und auf OK klicken.");
  expected.push_back("Die Kopie ist fertig!");
  EXPECT_EQ(boxes.texts(), expected);
  EXPECT_EQ(boxes.shown()[0].icon, BoxIcon::Critical);
  ExpectSetHoldsSources();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DriveNotReady,
    ::testing::Values(
        NotReadyCase{"HandleKept", {Fault{Op::Write, 2, 71, "DataBlock"}}, 1},
        NotReadyCase{"HandleLostInAWrite", {Fault{Op::Write, 3, 71, "DataBlock", false, true}}, 1},
        NotReadyCase{"HandleLostInAFlush", {Fault{Op::Flush, 1, 71, "DataBlock", false, true}}, 1},
        // Written again from its start on the medium in the drive.
        NotReadyCase{"OtherMediumFirst",
                     {Fault{Op::Write, 4, 71, "DataBlock", false, true}, Fault{Op::Reopen, 1, 53, "DataBlock"}}, 1},
        NotReadyCase{"MediumStillOut",
                     {Fault{Op::Write, 4, 71, "DataBlock", false, true}, Fault{Op::Reopen, 1, 71, "DataBlock"}}, 2}),
    [](const ::testing::TestParamInfo<NotReadyCase>& param) { return std::string(param.param.name); });

// On a directory target the clearing of each new disk leaves the volumes this
// run wrote there, also after the medium was full and nothing was changed.
TEST_F(WriteArchiveTest, ClearingAfterAFullMediumKeepsTheRunsOwnVolumes) {
  AddSource("a.bin", RandomBytes(300000, 12));
  WriteFile(drives.Native("D:\\Sich\\alt.txt"), "x");
  plan.clearTarget = true;
  // The second fragment finds the medium full down to the shortest one.
  faulty.Fail(Op::Write, 4, 61, "DataBlock", true);
  boxes.Then(BoxButton::Ok, [&] { faulty.Heal(); }).Then(BoxButton::Ok);

  ASSERT_EQ(Run(), BackupOutcome::Complete);

  EXPECT_EQ(boxes.texts().back(), "Die Kopie ist fertig!");
  ASSERT_EQ(Volumes().size(), 2u);
  ExpectSetHoldsSources();
}

TEST_F(WriteArchiveTest, OtherWriteErrorIsReportedAsFatal) {
  AddSource("a.txt", "abc");
  faulty.Fail(Op::Write, 3, 57, "DataBlock");
  boxes.Then(BoxButton::Ok);

  try {
    Run();
    FAIL() << "the program should have ended";
  } catch (const ProgramEnded& end) {
    EXPECT_EQ(end.exitStatus, kExitFatal);
  }
  ASSERT_EQ(boxes.texts().size(), 1u);
  EXPECT_EQ(boxes.texts()[0].rfind("Es kam in Modul PUT zu folgendem Fehler:\rFehler beim Geräte-E/A /57\r", 0), 0u);
}

TEST_F(WriteArchiveTest, FailedFlushBeforeTheFinalMessageGoesThroughTheWriteGroup) {
  AddSource("a.txt", "abc");
  faulty.Fail(Op::Flush, 1, 71, "DataBlock");
  boxes.Then(BoxButton::Ok).Then(BoxButton::Ok);

  ASSERT_EQ(Run(), BackupOutcome::Complete);

  EXPECT_EQ(faulty.calls(Op::Flush, "DataBlock"), 2);
  EXPECT_EQ(boxes.texts().back(), "Die Kopie ist fertig!");
}

TEST_F(WriteArchiveTest, UnreadableSourceCanOnlyBeRetried) {
  AddSource("a.txt", "abc");
  faulty.Fail(Op::Open, 1, 70, "Daten");
  boxes.Then(BoxButton::Ok).Then(BoxButton::Ok);

  ASSERT_EQ(Run(), BackupOutcome::Complete);

  EXPECT_EQ(boxes.shown()[0].text, "Auf die zu kopierende Datei kann nicht zugegriffen werden.\rBitte überprüfen und OK drücken.");
  EXPECT_EQ(boxes.shown()[0].buttons, BoxButtons::OkCancel);
  ExpectSetHoldsSources();
}

// A file that reached 2 GiB after the refusal, or that the refusal could not
// open, would be stored with a wrapped length: the run checks it again.
TEST_F(WriteArchiveTest, FileOf2GiBAtOpeningCanOnlyBeRetriedWhenSmaller) {
  const std::string path = AddSource("waechst.bin", "klein");
  std::filesystem::resize_file(drives.Native(path), std::uintmax_t{1} << 31);
  boxes.Then(BoxButton::Ok, [&] { std::filesystem::resize_file(drives.Native(path), 5); }).Then(BoxButton::Ok);

  ASSERT_EQ(Run(), BackupOutcome::Complete);

  EXPECT_EQ(boxes.texts()[0], "Auf die zu kopierende Datei kann nicht zugegriffen werden.\rBitte überprüfen und OK drücken.");
  ExpectSetHoldsSources();
}

TEST_F(WriteArchiveTest, FileThatShrinksWhileSavedFailsItsReadAndCanBeRetried) {
  const std::string bytes = RandomBytes(200000, 9);
  const std::string path = AddSource("wandert.bin", bytes);
  host.onYield = [&](int yield) {
    if (yield == 2) WriteFile(drives.Native(path), bytes.substr(0, 100000));
  };
  boxes.Then(BoxButton::Ok, [&] { WriteFile(drives.Native(path), bytes); }).Then(BoxButton::Ok);

  ASSERT_EQ(Run(), BackupOutcome::Complete);

  EXPECT_EQ(boxes.texts()[0], "Auf die zu kopierende Datei kann nicht zugegriffen werden.\rBitte überprüfen und OK drücken.");
  ExpectSetHoldsSources();
}

TEST_F(WriteArchiveTest, BytesAFileGainsWhileSavedAreNotStored) {
  const std::string bytes = RandomBytes(140000, 10);
  const std::string path = AddSource("waechst.bin", bytes);
  host.onYield = [&](int yield) {
    if (yield == 2) WriteFile(drives.Native(path), bytes + "mehr");
  };
  boxes.Then(BoxButton::Ok);

  ASSERT_EQ(Run(), BackupOutcome::Complete);

  EXPECT_EQ(Decoded().files[0].data, bytes);
}

TEST_F(WriteArchiveTest, ClearingTheTargetRemovesReadOnlyFilesButNotDotNamesOrDirectories) {
  const auto target = drives.Native("D:\\Sich");
  WriteFile(target / ".versteckt", "h");
  WriteFile(target / "schreibgeschuetzt.txt", "r");
  MakeReadOnly(target / "schreibgeschuetzt.txt");
  WriteFile(target / "DataBlock#7.Parcelbarge", "alt");
  WriteFile(target / "Unter" / "bleibt.txt", "k");
  AddSource("a.txt", "abc");
  plan.clearTarget = true;
  boxes.Then(BoxButton::Ok);

  ASSERT_EQ(Run(), BackupOutcome::Complete);

  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(target)) left.push_back(entry.path().filename().string());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{".versteckt", "DataBlock#1.Parcelbarge", "Parcelbarge-Kennung.txt",
                                            "Parcelbarge-Zeiten.dat", "Unter"}));
  EXPECT_TRUE(std::filesystem::exists(target / "Unter" / "bleibt.txt"));
  EXPECT_EQ(host.yields, 2 + 1);  // one per deleted file, one per fragment
}

// Links planted in the target: clearing and replacing an old volume remove a
// link itself and never touch what it points to.
TEST_F(WriteArchiveTest, PlantedLinksAreRemovedWithoutTouchingWhatTheyPointTo) {
  if (std::string reason; !CanPlantLinks(&reason)) GTEST_SKIP() << reason;
  const struct {
    const char* what;
    const char* link;  // in D:\Sich
    const char* points;
    bool clear;
    bool linkStays;
  } cases[] = {
      {"file link, cleared", "link.txt", "../Draussen/fest.txt", true, false},
      {"directory link, cleared", "ordner", "../Draussen", true, true},
      {"link as volume 1", "DataBlock#1.Parcelbarge", "../Draussen/fest.txt", false, false},
      {"link as volume 1, cleared", "DataBlock#1.Parcelbarge", "../Draussen/fremd.txt", true, false},
  };
  AddSource("a.txt", "abc");
  const auto target = drives.Native("D:\\Sich");
  const auto outside = drives.Native("D:\\Draussen");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove_all(target);
    std::filesystem::remove_all(outside);
    std::filesystem::create_directories(target);
    WriteFile(outside / "fremd.txt", "fremd");
    WriteFile(outside / "fest.txt", "fest");
    MakeReadOnly(outside / "fest.txt");
    PlantLink(c.points, target / c.link);
    plan.clearTarget = c.clear;
    boxes = {};
    boxes.Then(BoxButton::Ok);

    ASSERT_EQ(Run(), BackupOutcome::Complete);

    ExpectSetHoldsSources();
    EXPECT_EQ(std::filesystem::is_symlink(target / c.link), c.linkStays);
    EXPECT_EQ(ReadFile(outside / "fremd.txt"), "fremd");
    EXPECT_EQ(ReadFile(outside / "fest.txt"), "fest");
    EXPECT_EQ(std::filesystem::status(outside / "fest.txt").permissions() & std::filesystem::perms::owner_write,
              std::filesystem::perms::none);
  }
}

TEST_F(WriteArchiveTest, ReadOnlyOldVolumeIsReplacedWithoutItsTail) {
  const auto old = drives.Native("D:\\Sich\\DataBlock#1.Parcelbarge");
  WriteFile(old, std::string(5000, 'Z'));
  MakeReadOnly(old);
  AddSource("a.txt", "abc");
  boxes.Then(BoxButton::Ok);

  ASSERT_EQ(Run(), BackupOutcome::Complete);

  ExpectSetHoldsSources();  // the reader refuses bytes after the last item
}

// Each guarded step's box, answered Cancel, then No (the box comes back), then
// Cancel and Yes: the run gives up without the final message.
struct CancelCase {
  const char* name;
  Fault fault;
  const char* text;
};

class CancelInEachBox : public BackupTest, public ::testing::WithParamInterface<CancelCase> {};

TEST_P(CancelInEachBox, GivesUpOnlyAfterConfirmationAndKeepsWhatWasWritten) {
  AddSource("eins.txt", std::string(3000, 'a'));
  AddSource("zwei.txt", std::string(3000, 'b'));
  WriteFile(drives.Native("D:\\Sich\\alt.txt"), "x");
  plan.clearTarget = true;
  faulty.Fail(GetParam().fault);
  boxes.Then(BoxButton::Cancel).Then(BoxButton::No).Then(BoxButton::Cancel).Then(BoxButton::Yes);

  EXPECT_EQ(Run(), BackupOutcome::GivenUp);

  const std::vector<std::string> texts = boxes.texts();
  ASSERT_EQ(texts.size(), 4u);
  EXPECT_EQ(texts[0], GetParam().text);
  EXPECT_EQ(texts[1], "Wollen Sie den Vorgang wirklich abbrechen?");
  EXPECT_EQ(texts[2], GetParam().text);
  EXPECT_EQ(progress.percents.back(), 0);
}

const char* const kFull = "Der Datenträger ist voll! Bitte die nächste Diskette\reinlegen und auf OK klicken.";

INSTANTIATE_TEST_SUITE_P(
    Boxes, CancelInEachBox,
    ::testing::Values(
        CancelCase{"SourceAccess", Fault{Op::Read, 2, 57, "Daten"},
                   "Auf die zu kopierende Datei kann nicht zugegriffen werden.\rBitte überprüfen und OK drücken."},
        CancelCase{"Clearing", Fault{Op::DeleteFile, 1, 70, "alt"},
                   "Das Zielverzeichnis kann nicht gelöscht werden.\rBitte überprüfen und OK drücken."},
        CancelCase{"VolumeManagement", Fault{Op::Open, 1, 70, "DataBlock"},
                   "Auf den Zieldatenträger kann nicht geschrieben werden.\rBitte überprüfen und OK drücken."},
        CancelCase{"MediumFull", Fault{Op::Write, 4, 61, "DataBlock"}, kFull},
        CancelCase{"DriveNotReady", Fault{Op::Write, 4, 71, "DataBlock"},
                   "Auf den Zieldatenträger kann nicht geschrieben werden.\rBitte prüfen und auf OK klicken."}),
    [](const ::testing::TestParamInfo<CancelCase>& param) { return std::string(param.param.name); });

TEST_F(WriteArchiveTest, CancelledRunLeavesTheVolumesWritten) {
  AddSource("eins.txt", std::string(3000, 'a'));
  AddSource("zwei.txt", std::string(3000, 'b'));
  faulty.Fail(Op::Open, 2, 70, "Daten");
  boxes.Then(BoxButton::Cancel).Then(BoxButton::Yes);

  ASSERT_EQ(Run(), BackupOutcome::GivenUp);

  const std::vector<std::string> volumes = Volumes();
  ASSERT_EQ(volumes.size(), 1u);
  // Volume 1 holds eins.txt whole; the set promises one file more.
  EXPECT_THROW(DecodeSet(volumes), std::runtime_error);
  EXPECT_GT(volumes[0].size(), 30u + 6 + 16);
}

}  // namespace
}  // namespace pb::testing
