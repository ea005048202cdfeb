// SPDX-License-Identifier: GPL-3.0-or-later
// What a backup leaves in its identity record is what test then says of the
// set, however the run ended; and the record costs the same per volume however
// many volumes the set has.
#include <sstream>

#include "../backup/backup_fixture.h"
#include "commands.h"
#include "store/set_identity.h"
#include "terminal_boxes.h"

namespace pb::testing {
namespace {

constexpr const char* kRecord = "D:\\Sich\\Parcelbarge-Kennung.txt";

class RecordTruthTest : public BackupTest {
 protected:
  // Volumes of about 2 KiB out of sources that do not compress.
  void AddSources(int volumes) {
    plan.volumeLimit = 2000;
    AddSource("a.bin", RandomBytes(static_cast<std::size_t>(volumes) * 1900, 5));
    AddSource("leer.txt", "");
  }

  std::vector<VolumeState> RecordStates() {
    const std::optional<SetIdentity> record = ParseIdentityRecord(ReadFile(drives.Native(kRecord)));
    std::vector<VolumeState> states;
    if (record) {
      for (const VolumeEntry& entry : record->volumes) states.push_back(entry.state);
    }
    return states;
  }

  // test of the set in D:\Sich, with no answer to any question.
  int Test(FileSystem& fs) {
    std::istringstream in;
    std::ostringstream terminal;
    TerminalBoxes terminalBoxes(in, terminal);
    Runtime reader{fs, terminalBoxes, host};
    cli::CliContext context{reader, testOut, testOut, false, false, [&] { return terminalBoxes.GiveUpStatus(); }};
    cli::ReadOptions options;
    options.source = "D:\\Sich";
    return cli::RunTestCommand(context, options);
  }

  std::ostringstream testOut;
};

struct EndCase {
  const char* name;
  std::function<void(ScriptedHost&, FaultyFileSystem&, ScriptedBoxes&)> arrange;
};

void PrintTo(const EndCase& row, std::ostream* out) { *out << row.name; }

class RunEndTest : public RecordTruthTest, public ::testing::WithParamInterface<EndCase> {};

// However it ends early, the run's last volume says so, and test calls the set
// incomplete instead of asking for a volume that never comes.
TEST_P(RunEndTest, RecordSaysTheSetEndsWhereTheRunStopped) {
  AddSources(6);
  GetParam().arrange(host, faulty, boxes);

  try {
    EXPECT_EQ(Run(), BackupOutcome::GivenUp);
  } catch (const ProgramEnded&) {
  }

  const std::vector<VolumeState> states = RecordStates();
  ASSERT_GE(states.size(), 2u);
  EXPECT_EQ(states.back(), VolumeState::GivenUp);
  for (std::size_t i = 0; i + 1 < states.size(); ++i) EXPECT_EQ(states[i], VolumeState::More) << i;
  EXPECT_EQ(Volumes().size(), states.size());
  EXPECT_EQ(Test(drives.fs()), cli::kExitProblems) << testOut.str();
  EXPECT_NE(testOut.str().find("Der Sicherungssatz ist unvollständig: die Sicherung wurde nach Band " +
                               std::to_string(states.size()) + " nicht zu Ende geführt."),
            std::string::npos)
      << testOut.str();
}

INSTANTIATE_TEST_SUITE_P(
    Ends, RunEndTest,
    ::testing::Values(
        // Ctrl+C or SIGTERM: the tool ends at the next yield, after the tidy-up.
        EndCase{"Interrupted",
                [](ScriptedHost& host, FaultyFileSystem&, ScriptedBoxes&) {
                  host.onYield = [&host](int yield) {
                    if (yield != 4) return;
                    if (host.tidy) host.tidy();
                    throw ProgramEnded{130};
                  };
                }},
        // "Der Datenträger ist voll!" given up, the volume before kept.
        EndCase{"FullMediumGivenUp",
                [](ScriptedHost&, FaultyFileSystem& faulty, ScriptedBoxes& boxes) {
                  faulty.Fail(Op::Write, 1, 61, "DataBlock#3", true);
                  boxes.Then(BoxButton::Cancel).Then(BoxButton::Yes);
                }},
        // A write-error prompt given up in the middle of a volume.
        EndCase{"WriteErrorGivenUp",
                [](ScriptedHost&, FaultyFileSystem& faulty, ScriptedBoxes& boxes) {
                  faulty.Fail(Op::Write, 1, 71, "DataBlock#3", true);
                  boxes.Then(BoxButton::Cancel).Then(BoxButton::Yes);
                }}),
    [](const ::testing::TestParamInfo<EndCase>& row) { return row.param.name; });

// The backup writes each volume's line when it changes and no more; a reader
// reads the record once for the medium, not once for each volume.
TEST_F(RecordTruthTest, RecordCostsTheSamePerVolumeForAnyNumberOfVolumes) {
  struct Cost {
    int volumes = 0;
    int64_t bytesWritten = 0;
    int recordOpens = 0;
  };
  std::vector<Cost> costs;
  for (const int count : {8, 64}) {
    SCOPED_TRACE(count);
    std::filesystem::remove_all(drives.Native("D:\\Sich"));
    std::filesystem::create_directories(drives.Native("D:\\Sich"));
    plan.files.clear();
    AddSources(count);
    boxes = {};
    boxes.Then(BoxButton::Ok);
    FaultyFileSystem counting(drives.fs());
    Runtime backup{counting, boxes, host};
    ASSERT_EQ(WriteArchive(backup, plan, progress), BackupOutcome::Complete);
    const int volumes = static_cast<int>(Volumes().size());

    FaultyFileSystem reading(drives.fs());
    ASSERT_EQ(Test(reading), kExitComplete) << testOut.str();
    costs.push_back({volumes, counting.written("Kennung"), reading.calls(Op::Open, "Kennung")});
  }
  ASSERT_GT(costs[1].volumes, 6 * costs[0].volumes);
  const std::size_t line = VolumeLine(VolumeEntry{1, VolumeState::Open, 0, ""}).size() + 1;
  for (const Cost& cost : costs) {
    SCOPED_TRACE(cost.volumes);
    // Each line written when reserved and when completed, and the head once.
    EXPECT_LE(cost.bytesWritten, static_cast<int64_t>(2 * line) * cost.volumes + 100);
  }
  // What the set is, its volumes, its stamps: each reads it once.
  EXPECT_LE(costs[1].recordOpens, 3);
  EXPECT_EQ(costs[1].recordOpens, costs[0].recordOpens);
}

}  // namespace
}  // namespace pb::testing
