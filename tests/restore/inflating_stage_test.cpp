// SPDX-License-Identifier: GPL-3.0-or-later
#include "restore/inflating_stage.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "faulty_file_system.h"
#include "restore_fixture.h"

namespace pb::testing {
namespace {

// The boxes and the target's opens and writes, in the order they happened.
using Journal = std::vector<std::string>;

class JournalFileSystem : public FaultyFileSystem {
 public:
  JournalFileSystem(FileSystem& target, Journal& journal) : FaultyFileSystem(target), journal_(journal) {}
  FileNumber Open(const std::string& path, OpenMode mode) override {
    if (mode == OpenMode::BinaryWrite) journal_.push_back("open " + path);
    return FaultyFileSystem::Open(path, mode);
  }
  void Write(FileNumber file, std::string_view bytes) override {
    journal_.push_back("write " + std::to_string(bytes.size()));
    FaultyFileSystem::Write(file, bytes);
  }

 private:
  Journal& journal_;
};

class JournalBoxes : public MessageBoxes {
 public:
  JournalBoxes(MessageBoxes& boxes, Journal& journal) : boxes_(boxes), journal_(journal) {}
  BoxButton Show(const MessageBox& box) override {
    journal_.push_back("box " + box.text);
    return boxes_.Show(box);
  }

 private:
  MessageBoxes& boxes_;
  Journal& journal_;
};

struct Answer {
  BoxButton button;
  bool bringsVolume2 = false;  // the user inserts the disk that holds it
};

struct OrderCase {
  const char* name;
  std::vector<Fault> faults;
  bool volume2Missing;
  std::vector<Answer> answers;
  std::vector<std::string> boxes;  // texts, in order
  RestoreOutcome outcome;
};

// Damaged fragments in three of four files over two volumes; reads 1 to 16
// lie on volume 1, read 15 is b.bin's second fragment header, read 20 c.bin's
// first, and the target's fifth write is b.bin's second fragment.
class RestorePipelineTest : public RestoreTest, public ::testing::WithParamInterface<OrderCase> {
 protected:
  void SetUp() override {
    std::string damaged = Compressed(std::string(3000, 'x'));
    damaged[damaged.size() / 2] ^= 0x55;
    set.Header(4)
        .File(9000, "C:\\a.bin")
        .Fragment(RandomBytes(3000, 1))
        .RawFragment(3000, damaged)
        .Fragment(RandomBytes(3000, 2))
        .File(6000, "C:\\b.bin")
        .RawFragment(3000, damaged)
        .Fragment(RandomBytes(3000, 3))
        .Cut()
        .File(9000, "C:\\c.bin")
        .Fragment(RandomBytes(3000, 4))
        .Fragment(RandomBytes(3000, 5))
        .RawFragment(3000, damaged)
        .FileWithData("C:\\d.bin", RandomBytes(3000, 6));
    set.WriteTo(SetDir());
    ProbeDisplay view("D:\\Sich");
    ProbeArchive(view, drives.fs(), probe);
    ASSERT_TRUE(view.restoreEnabled);
  }

  struct Run {
    Journal journal;
    RestoreOutcome outcome;
    std::map<std::string, std::string> tree;
  };

  Run RestoreWith(int workers) {
    const OrderCase& c = GetParam();
    std::filesystem::remove_all(TargetDir());
    std::filesystem::create_directories(TargetDir());
    const std::filesystem::path volume2 = SetDir() / "DataBlock#2.Parcelbarge";
    const std::filesystem::path away = SetDir().parent_path() / "away";
    if (c.volume2Missing) std::filesystem::rename(volume2, away);
    Run run;
    JournalFileSystem fs(drives.fs(), run.journal);
    for (const Fault& fault : c.faults) fs.Fail(fault);
    ScriptedBoxes scripted;
    for (const Answer& answer : c.answers) {
      scripted.Then(answer.button, [=] {
        if (answer.bringsVolume2) std::filesystem::rename(away, volume2);
      });
    }
    JournalBoxes journalBoxes(scripted, run.journal);
    ScriptedHost scriptedHost;
    Runtime runtime{fs, journalBoxes, scriptedHost};
    run.outcome = ReadArchive(runtime, probe, "D:\\Sich", "C:\\Rueck", workers);
    EXPECT_TRUE(scripted.scriptDone());
    EXPECT_EQ(scriptedHost.beeps, 1);
    EXPECT_EQ(scripted.texts(), c.boxes) << workers << " workers";
    run.tree = TreeOf(TargetDir());
    if (std::filesystem::exists(away)) std::filesystem::rename(away, volume2);
    return run;
  }

  SetBuilder set;
};

TEST_P(RestorePipelineTest, WorkersShowAndWriteWhatOneWorkerDoes) {
  const Run serial = RestoreWith(1);
  EXPECT_EQ(serial.outcome, GetParam().outcome);
  for (const int workers : {2, 4}) {
    const Run parallel = RestoreWith(workers);
    EXPECT_EQ(parallel.journal, serial.journal) << workers << " workers";
    EXPECT_EQ(parallel.outcome, serial.outcome) << workers << " workers";
    EXPECT_EQ(parallel.tree, serial.tree) << workers << " workers";
  }
}

const Answer kOk{BoxButton::Ok};

INSTANTIATE_TEST_SUITE_P(
    DamagedFragments, RestorePipelineTest,
    ::testing::Values(
        OrderCase{"OnlyDamage", {}, false, {kOk, kOk, kOk}, {"-3", "-3", "-3"}, RestoreOutcome::Damaged},
        OrderCase{"ArchiveReadFailsOnce",
                  {{Op::Read, 15, 57, "Sich"}},
                  false,
                  {kOk, kOk, kOk, kOk},
                  {"-3", "-3", kArchiveBox, "-3"},
                  RestoreOutcome::Damaged},
        OrderCase{"NextDiskAsked",
                  {},
                  true,
                  {kOk, kOk, {BoxButton::Ok, true}, kOk},
                  {"-3", "-3", kNextDiskBox, "-3"},
                  RestoreOutcome::Damaged},
        OrderCase{"TargetNotReadyOnce",
                  {{Op::Write, 2, 71, "Rueck"}},
                  false,
                  {kOk, kOk, kOk, kOk},
                  {"-3", kTargetNotReadyBox, "-3", "-3"},
                  RestoreOutcome::Damaged},
        // The reader may be past the failing read when the target fills up:
        // its box must not come.
        OrderCase{"DiskFullBeforeAFailingRead",
                  {{Op::Write, 5, 61, "Rueck"}, {Op::Read, 17, 57, "Sich", true}},
                  false,
                  {kOk, kOk, kOk},
                  {"-3", "-3", kDiskFullBox},
                  RestoreOutcome::TargetFull},
        OrderCase{"GivenUpOnVolume2",
                  {{Op::Read, 20, 57, "Sich", true}},
                  false,
                  {kOk, kOk, {BoxButton::Cancel}, {BoxButton::Yes}},
                  {"-3", "-3", kArchiveBox, kConfirmBox},
                  RestoreOutcome::GivenUp}),
    [](const ::testing::TestParamInfo<OrderCase>& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace pb::testing

namespace pb::testing {
namespace {

class WriteBackCounter : public FileSystemWrapper {
 public:
  using FileSystemWrapper::FileSystemWrapper;
  void StartWriteBack(FileNumber file) noexcept override {
    ++starts;
    FileSystemWrapper::StartWriteBack(file);
  }
  int starts = 0;
};

struct WriteBackCase {
  int32_t fileLength;
  int starts;  // write-backs started early for the file
};

class EarlyWriteBackTest : public RestoreTest, public ::testing::WithParamInterface<WriteBackCase> {};

// Large files go to the device while the run goes on; small ones are left to
// the one flush before the beep.
TEST_P(EarlyWriteBackTest, StartsOnlyForLargeFiles) {
  const std::string data = RandomBytes(static_cast<std::size_t>(GetParam().fileLength), 7);
  SetBuilder set;
  set.Header(1).FileWithData("C:\\f.bin", data);
  set.WriteTo(SetDir());
  WriteBackCounter fs(drives.fs());
  ASSERT_EQ(Restore(fs), RestoreOutcome::Intact);
  EXPECT_EQ(fs.starts, GetParam().starts);
  EXPECT_TRUE(FileIs(TargetDir() / "f.bin", data));
}

INSTANTIATE_TEST_SUITE_P(FileLengths, EarlyWriteBackTest,
                         ::testing::Values(WriteBackCase{0, 0}, WriteBackCase{1000, 0},
                                           WriteBackCase{(1 << 20) - 1, 0}, WriteBackCase{1 << 20, 1},
                                           WriteBackCase{8 << 20, 1}, WriteBackCase{(9 << 20) + 5, 2}));

}  // namespace
}  // namespace pb::testing

namespace pb::testing {
namespace {

// Inflating takes longer than passing stored streams on, so without a bound
// the reader would hold a whole set in memory.
TEST(InflatingStageBound, HoldsAtMostFourFragmentsPerWorker) {
  struct Counting : InflatedSink {
    int received = 0;
    Flow BeginFile(const FileHeader&) override { return Flow::Continue; }
    Flow Fragment(const FragmentHeader&, int, std::string&) override {
      ++received;
      return Flow::Continue;
    }
    Flow EndFile() override { return Flow::Continue; }
  } sink;
  constexpr int kWorkers = 2;
  constexpr int kFragments = 2000;
  InflatingStage stage(kWorkers, sink);
  const std::string stream = Compressed(std::string(131072, 'z'));
  stage.BeginFile(FileHeader{131072 * kFragments, "C:\\null.bin"});
  int peak = 0;
  for (int fed = 1; fed <= kFragments; ++fed) {
    std::string buffer = stream;
    stage.Fragment(FragmentHeader{131072, static_cast<int32_t>(stream.size())}, buffer);
    peak = std::max(peak, fed - sink.received);
  }
  stage.EndFile();
  EXPECT_TRUE(stage.Drain());
  EXPECT_EQ(sink.received, kFragments);
  EXPECT_LE(peak, 4 * kWorkers);
}

}  // namespace
}  // namespace pb::testing
