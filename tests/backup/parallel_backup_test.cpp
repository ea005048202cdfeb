// SPDX-License-Identifier: GPL-3.0-or-later
// The backup with several workers writes the very bytes of the run with one,
// in the cases where the run's own rules decide where a fragment ends.
#include <map>

#include "backup_fixture.h"
#include "diskette.h"
#include "store/records.h"
#include "support/run_time_error.h"

namespace pb::testing {
namespace {

std::string FileText(std::size_t n, unsigned seed) {
  const std::string random = RandomBytes(n / 6 + 1, seed);
  std::string text;
  for (std::size_t i = 0; text.size() < n; ++i) {
    text += i % 11 == 0 ? "Sicherung " : "Datei ";
    text += std::to_string(static_cast<unsigned char>(random[i]) % 40);
    text += ' ';
  }
  text.resize(n);
  return text;
}

struct RunRecord {
  BackupOutcome outcome = BackupOutcome::GivenUp;
  bool ended = false;
  std::vector<std::string> volumes;
  std::vector<std::string> boxes;
  int yields = 0;
  int sourceOpens = 0;
};

class ParallelBackupTest : public BackupTest {
 protected:
  void AddMixedSources() {
    AddSource("leer1.txt", "");
    AddSource("text.txt", FileText(200000, 1));
    AddSource("leer2.txt", "");
    AddSource("zufall.bin", RandomBytes(140000, 2));
    AddSource("genau.bin", FileText(131072, 3));
    for (unsigned i = 0; i < 12; ++i) AddSource("klein" + std::to_string(i) + ".txt", FileText(900 * i, i));
    AddSource("leer3.txt", "");
    AddSource("gemischt.bin", FileText(60000, 4) + RandomBytes(90000, 5));
  }

  // One run on an empty target; script prepares boxes and host.
  RunRecord RunWith(int workers, const std::function<void(ScriptedBoxes&, ScriptedHost&)>& script = {}) {
    std::filesystem::remove_all(drives.Native("D:\\Sich"));
    std::filesystem::create_directories(drives.Native("D:\\Sich"));
    ScriptedBoxes runBoxes;
    ScriptedHost runHost;
    if (script) script(runBoxes, runHost);
    runBoxes.Then(BoxButton::Ok);  // the final message
    Runtime runRuntime{faulty, runBoxes, runHost};
    RunRecord record;
    const int opensBefore = faulty.calls(Op::Open, "C:\\Daten\\");
    try {
      record.outcome = RunPlan(runRuntime, plan, workers);
    } catch (const ProgramEnded&) {
      record.ended = true;
    }
    faulty.CloseAll();
    record.volumes = Volumes();
    record.boxes = runBoxes.texts();
    record.yields = runHost.yields;
    record.sourceOpens = faulty.calls(Op::Open, "C:\\Daten\\") - opensBefore;
    return record;
  }

  void ExpectSameRun(const RunRecord& serial, const RunRecord& parallel, const std::string& what) {
    EXPECT_EQ(parallel.outcome, serial.outcome) << what;
    EXPECT_EQ(parallel.ended, serial.ended) << what;
    EXPECT_EQ(parallel.boxes, serial.boxes) << what;
    EXPECT_EQ(parallel.yields, serial.yields) << what << ": one yield before every fragment";
    ASSERT_EQ(parallel.volumes.size(), serial.volumes.size()) << what;
    for (std::size_t v = 0; v < serial.volumes.size(); ++v) {
      EXPECT_TRUE(parallel.volumes[v] == serial.volumes[v]) << what << ": volume " << v + 1 << " differs";
    }
  }
};

// Limits that cut fragments at every kind of place: inside a fragment, right
// after a file's header, at a header of an empty file, at exactly 128 KiB.
TEST_F(ParallelBackupTest, LimitInsideFragmentsAndEmptyFilesGiveTheSameVolumes) {
  AddMixedSources();
  int workers = 2;
  for (const int64_t limit : {int64_t{6000}, int64_t{40000}, int64_t{131072}, int64_t{131128}, int64_t{250000}}) {
    plan.volumeLimit = limit;
    const RunRecord serial = RunWith(1);
    ASSERT_EQ(serial.outcome, BackupOutcome::Complete);
    ASSERT_GT(serial.volumes.size(), 1u);
    const RunRecord parallel = RunWith(workers);
    const std::string what = "limit " + std::to_string(limit) + ", " + std::to_string(workers) + " workers";
    ExpectSameRun(serial, parallel, what);
    // The run takes the file the look-ahead opened, whatever the cuts.
    EXPECT_EQ(parallel.sourceOpens, static_cast<int>(plan.files.size())) << what;
    workers = workers == 2 ? 3 : 2;
  }
  ExpectSetHoldsSources();
}

// A full medium during a fragment halves it and retries; when even 512 bytes
// do not fit the next diskette is asked for.
TEST_F(ParallelBackupTest, MediumFullWithHalvingGivesTheSameVolumes) {
  AddMixedSources();
  auto fullAfterSomeFragments = [&](ScriptedBoxes& runBoxes, ScriptedHost&) {
    faulty.Heal();
    faulty.Fail(Op::Write, 5, kMediumFull, "DataBlock");
    faulty.Fail(Op::Write, 9, kMediumFull, "DataBlock", true);
    runBoxes.Then(BoxButton::Ok, [&] { faulty.Heal(); });
  };
  const RunRecord serial = RunWith(1, fullAfterSomeFragments);
  ASSERT_EQ(serial.outcome, BackupOutcome::Complete);
  ASSERT_EQ(serial.boxes.front(), kNextDisketteBox);
  ExpectSameRun(serial, RunWith(2, fullAfterSomeFragments), "medium full");
  ExpectSetHoldsSources();
  // The text's second fragment met the full medium and went in two halves.
  constexpr int32_t kHalf = (200000 - kFragmentSize) / 2;
  EXPECT_EQ(Decoded().files[1].fragments, (std::vector<int32_t>{kFragmentSize, kHalf, kHalf}));
}

// The cancel button ends the program while the run yields: what is on the
// target then is what the single-threaded run would have left.
TEST_F(ParallelBackupTest, ProgramEndMidFileLeavesTheSameVolumes) {
  AddMixedSources();
  plan.volumeLimit = 100000;
  for (const int endAt : {1, 3, 9}) {
    auto endAtYield = [&](ScriptedBoxes&, ScriptedHost& runHost) {
      runHost.onYield = [endAt](int yield) {
        if (yield == endAt) throw ProgramEnded{kExitGivenUp};
      };
    };
    const RunRecord serial = RunWith(1, endAtYield);
    ASSERT_TRUE(serial.ended);
    ExpectSameRun(serial, RunWith(2, endAtYield), "end at yield " + std::to_string(endAt));
  }
}

// Real diskettes: a 1440 KiB medium that fills up, changed at each prompt.
TEST(ParallelDisketteRun, GivesTheSameDiskettesAsOneWorker) {
  TestDrives drives(true);
  Diskette diskette(drives.Root('A'));
  if (!diskette.mounted()) GTEST_SKIP() << "no tmpfs diskette can be mounted here: " << diskette.reason();
  BackupPlan plan = TestPlan(true);
  const std::vector<std::pair<std::string, std::string>> sources = {
      {"C:\\Daten\\gross.bin", RandomBytes(1300000, 1)}, {"C:\\Daten\\leer.txt", ""},
      {"C:\\Daten\\text.txt", FileText(2500000, 2)}, {"C:\\Daten\\rest.bin", RandomBytes(2000000, 3)}};
  for (const auto& [path, bytes] : sources) {
    WriteFile(drives.Native(path), bytes);
    plan.files.push_back(path);
  }

  auto run = [&](int workers) {
    std::map<std::string, std::string> taken;  // "diskette n/volume name" -> bytes
    int disk = 1;
    auto takeOut = [&] {
      for (const auto& entry : std::filesystem::directory_iterator(drives.Root('A'))) {
        // Each run has an identity of its own, which both records name; the
        // volumes must be the same.
        if (entry.path().filename() == "Parcelbarge-Kennung.txt" || entry.path().filename() == "Parcelbarge-Zeiten.dat") {
          continue;
        }
        taken[std::to_string(disk) + "/" + entry.path().filename().string()] = ReadFile(entry.path());
      }
      ++disk;
    };
    ScriptedBoxes boxes;
    for (int i = 0; i < 10; ++i) {
      boxes.Then(BoxButton::Ok, [&] {
        if (boxes.shown().back().text != kNextDisketteBox) return;
        takeOut();
        diskette.Change();
      });
    }
    ScriptedHost host;
    Runtime runtime{drives.fs(), boxes, host};
    EXPECT_EQ(RunPlan(runtime, plan, workers), BackupOutcome::Complete);
    takeOut();
    diskette.Change();
    return taken;
  };
  const auto serial = run(1);
  EXPECT_GE(serial.size(), 3u);
  EXPECT_TRUE(run(2) == serial);
}

}  // namespace
}  // namespace pb::testing
