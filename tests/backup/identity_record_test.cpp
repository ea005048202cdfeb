// SPDX-License-Identifier: GPL-3.0-or-later
// The identity record the backup leaves beside its volumes, and the check of
// each volume read back after writing.
#include "backup_fixture.h"
#include "set_media.h"
#include "store/set_identity.h"

namespace pb::testing {
namespace {

constexpr const char* kFinal = "Die Kopie ist fertig!";
const std::string kOtherSet(32, 'f');

class IdentityRecordTest : public BackupTest {
 protected:
  // Three volumes of about 20 KiB; volume 2 ends one file and begins the next.
  void AddThreeVolumesOfSources() {
    AddSource("eins.bin", RandomBytes(30000, 3));
    AddSource("leer.txt", "");
    AddSource("zwei.bin", RandomBytes(25000, 4));
    plan.volumeLimit = 20000;
  }

  SetIdentity Record() {
    const std::optional<SetIdentity> record =
        ParseIdentityRecord(ReadFile(drives.Native("D:\\Sich\\Parcelbarge-Kennung.txt")));
    if (!record) throw std::runtime_error("no readable record");
    return *record;
  }

  // The record describes exactly the volumes in the target, in these states.
  void ExpectRecordOfVolumes(const std::vector<VolumeState>& states) {
    const SetIdentity record = Record();
    EXPECT_NE(record.setId, kOtherSet);
    const std::vector<std::string> volumes = Volumes();
    ASSERT_EQ(record.volumes.size(), states.size());
    ASSERT_EQ(volumes.size(), states.size());
    EXPECT_EQ(ReadFile(drives.Native("D:\\Sich\\Parcelbarge-Kennung.txt")),
              IdentityRecordOf(volumes, record.setId, 1, static_cast<int>(volumes.size()), states.back()));
    for (std::size_t i = 0; i < states.size(); ++i) EXPECT_EQ(record.volumes[i].state, states[i]) << i;
  }
};

TEST_F(IdentityRecordTest, GivenUpRunMarksItsLastVolume) {
  AddThreeVolumesOfSources();
  AddSource("fehlt.txt", "x");
  faulty.Fail(Op::Open, 1, 70, "fehlt");
  boxes.Then(BoxButton::Cancel).Then(BoxButton::Yes);

  ASSERT_EQ(Run(), BackupOutcome::GivenUp);

  ExpectRecordOfVolumes({VolumeState::More, VolumeState::More, VolumeState::GivenUp});
}

// A volume deleted for want of room takes its entry along.
TEST_F(IdentityRecordTest, VolumeDeletedOnAFullMediumLeavesNoEntry) {
  AddSource("a.bin", RandomBytes(1000, 4));
  faulty.Fail(Op::Write, 2, 61, "DataBlock", true);
  boxes.Then(BoxButton::Cancel).Then(BoxButton::Yes);

  ASSERT_EQ(Run(), BackupOutcome::GivenUp);

  EXPECT_TRUE(Volumes().empty());
  EXPECT_FALSE(std::filesystem::exists(drives.Native("D:\\Sich\\Parcelbarge-Kennung.txt")));
}

struct StaleCase {
  const char* name;
  bool earlierRecord;  // the earlier set left its record
};

void PrintTo(const StaleCase& row, std::ostream* out) { *out << row.name; }

class StaleVolumesTest : public IdentityRecordTest, public ::testing::WithParamInterface<StaleCase> {};

// An earlier, larger set in the target, written over without clearing: the
// record describes the new set only, the earlier set's volumes above the new
// set's last go, so no reader meets a mixed set; files that are no volume of
// that name stay.
TEST_P(StaleVolumesTest, VolumesOfAnEarlierSetAboveTheLastGo) {
  for (int n = 1; n <= 6; ++n) {
    WriteFile(drives.Native("D:\\Sich\\DataBlock#" + std::to_string(n) + ".Parcelbarge"), "alt" + std::to_string(n));
  }
  if (GetParam().earlierRecord) {
    WriteFile(drives.Native("D:\\Sich\\Parcelbarge-Kennung.txt"),
              IdentityRecordOf({"1", "2", "3", "4", "5", "6"}, kOtherSet, 1, 6, VolumeState::GivenUp));
  }
  const std::vector<std::string> others = {"DataBlock#07.Parcelbarge", "DataBlock#8.Parcelbarge.alt", "brief.txt"};
  for (const std::string& name : others) WriteFile(drives.Native("D:\\Sich\\" + name), "bleibt");
  AddThreeVolumesOfSources();
  boxes.Then(BoxButton::Ok);

  ASSERT_EQ(Run(), BackupOutcome::Complete);

  ExpectOnlyFinalMessage();
  ExpectSetHoldsSources();
  ExpectRecordOfVolumes({VolumeState::More, VolumeState::More, VolumeState::Last});
  for (const std::string& name : others) EXPECT_EQ(ReadFile(drives.Native("D:\\Sich\\" + name)), "bleibt") << name;
}

INSTANTIATE_TEST_SUITE_P(Earlier, StaleVolumesTest,
                         ::testing::Values(StaleCase{"WithItsRecord", true}, StaleCase{"WithoutARecord", false}),
                         [](const ::testing::TestParamInfo<StaleCase>& row) { return row.param.name; });

struct VerifyCase {
  const char* name;
  int badReads;  // read-backs of volume 2 that come back with other bytes
  BoxButton answer;
  BackupOutcome outcome;
  int volumesWritten;
  std::vector<std::string> boxes;
};

void PrintTo(const VerifyCase& row, std::ostream* out) { *out << row.name; }

const std::string kVolume2Failed =
    "Band 2 lässt sich nicht so zurücklesen, wie er geschrieben wurde.\rBitte eine andere Diskette einlegen und auf "
    "OK klicken, um ihn neu zu schreiben.";

class VerifyTest : public IdentityRecordTest, public ::testing::WithParamInterface<VerifyCase> {};

TEST_P(VerifyTest, ReadsEachVolumeBackAndWritesAFailedOneAgain) {
  AddThreeVolumesOfSources();
  plan.verifyVolumes = true;
  // A planned fault counts only the calls that no earlier one took.
  for (int i = 0; i < GetParam().badReads; ++i) faulty.Fail(Op::Read, 1, kCorruptRead, "DataBlock#2");
  for (const std::string& text : GetParam().boxes) {
    boxes.Then(text == kVolume2Failed ? GetParam().answer : BoxButton::Ok);
    if (text == kVolume2Failed && GetParam().answer == BoxButton::Cancel) boxes.Then(BoxButton::Yes);
  }

  ASSERT_EQ(Run(), GetParam().outcome);

  std::vector<std::string> expected = GetParam().boxes;
  if (GetParam().answer == BoxButton::Cancel) expected.push_back("Wollen Sie den Vorgang wirklich abbrechen?");
  EXPECT_EQ(boxes.texts(), expected);
  EXPECT_EQ(faulty.calls(Op::DropCache), GetParam().volumesWritten);
  if (GetParam().outcome == BackupOutcome::Complete) {
    ExpectSetHoldsSources();
    ExpectRecordOfVolumes({VolumeState::More, VolumeState::More, VolumeState::Last});
  }
}

INSTANTIATE_TEST_SUITE_P(
    ReadBack, VerifyTest,
    ::testing::Values(VerifyCase{"AllVolumesAsWritten", 0, BoxButton::Ok, BackupOutcome::Complete, 3, {kFinal}},
                      VerifyCase{"Volume2WrittenAgain", 1, BoxButton::Ok, BackupOutcome::Complete, 4,
                                 {kVolume2Failed, kFinal}},
                      VerifyCase{"Volume2FailsTwice", 2, BoxButton::Ok, BackupOutcome::Complete, 5,
                                 {kVolume2Failed, kVolume2Failed, kFinal}},
                      VerifyCase{"GivenUpAtTheFailure", 1, BoxButton::Cancel, BackupOutcome::GivenUp, 2,
                                 {kVolume2Failed}}),
    [](const ::testing::TestParamInfo<VerifyCase>& row) { return row.param.name; });

}  // namespace
}  // namespace pb::testing
