// SPDX-License-Identifier: GPL-3.0-or-later
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <set>
#include <tuple>

#include "backup_fixture.h"
#include "diskette.h"
#include "set_media.h"

namespace pb::testing {
namespace {


// A user at drive A: who, at each prompt, takes the full diskette out (keeping
// its volumes) and puts in a fresh one with some old files on it.
class DisketteUser {
 public:
  DisketteUser(Diskette& diskette, std::filesystem::path root) : diskette_(diskette), root_(std::move(root)) {
    PutOldFiles();
  }

  void Change() {
    TakeOut();
    diskette_.Change();
    PutOldFiles();
  }

  // Keeps the volumes of the diskette in the drive and checks it was emptied.
  void TakeOut() {
    ++diskettes;
    records.push_back(std::filesystem::exists(root_ / "Parcelbarge-Kennung.txt")
                          ? ReadFile(root_ / "Parcelbarge-Kennung.txt")
                          : "");
    for (const auto& entry : std::filesystem::directory_iterator(root_)) {
      const std::string name = entry.path().filename();
      if (name.rfind("DataBlock#", 0) != 0) continue;
      const int number = std::stoi(name.substr(10));
      EXPECT_EQ(volumes.count(number), 0u) << name << " on two diskettes";
      volumes[number] = ReadFile(entry.path());
      sizes.push_back(volumes[number].size());
    }
    EXPECT_TRUE(std::filesystem::exists(root_ / ".versteckt"));
    EXPECT_FALSE(std::filesystem::exists(root_ / "nur-lesen.txt"));
    EXPECT_TRUE(std::filesystem::exists(root_ / "Ordner" / "bleibt.txt"));
  }

  std::map<int, std::string> volumes;
  std::vector<std::string> records;  // the identity record of each diskette
  std::vector<std::size_t> sizes;
  int diskettes = 0;

 private:
  void PutOldFiles() {
    WriteFile(root_ / ".versteckt", "alt");
    WriteFile(root_ / "nur-lesen.txt", "alt");
    chmod((root_ / "nur-lesen.txt").c_str(), 0444);
    WriteFile(root_ / "Ordner" / "bleibt.txt", "alt");
  }

  Diskette& diskette_;
  std::filesystem::path root_;
};

TEST(DisketteRun, FillsEachDisketteAndAsksForTheNextAndTheVolumesHoldEveryFile) {
  TestDrives drives(true);
  Diskette diskette(drives.Root('A'));
  if (!diskette.mounted()) GTEST_SKIP() << "no tmpfs diskette can be mounted here: " << diskette.reason();
  DisketteUser user(diskette, drives.Root('A'));

  BackupPlan plan = TestPlan(true);
  plan.clearTarget = true;
  plan.description = "Diskettenlauf";
  const std::vector<std::pair<std::string, std::size_t>> sources = {
      {"C:\\Daten\\gross.bin", 1300000}, {"C:\\Daten\\leer.txt", 0}, {"C:\\Daten\\mittel.bin", 900000},
      {"C:\\Daten\\klein.txt", 4000},    {"C:\\Daten\\rest.bin", 1000000}};
  unsigned seed = 20;
  for (const auto& [path, size] : sources) {
    WriteFile(drives.Native(path), RandomBytes(size, ++seed));
    plan.files.push_back(path);
  }

  ScriptedBoxes boxes;
  int prompts = 0;
  for (int i = 0; i < 8; ++i) {
    boxes.Then(BoxButton::Ok, [&] {
      if (boxes.shown().back().text != kNextDisketteBox) return;
      ++prompts;
      user.Change();
    });
  }
  ScriptedHost host;
  Runtime runtime{drives.fs(), boxes, host};

  ASSERT_EQ(RunPlan(runtime, plan), BackupOutcome::Complete);
  EXPECT_EQ(boxes.texts().back(), "Die Kopie ist fertig!");
  user.TakeOut();

  EXPECT_GE(prompts, 2);
  EXPECT_EQ(user.diskettes, prompts + 1);
  ASSERT_EQ(user.volumes.size(), static_cast<std::size_t>(user.diskettes));  // one volume per diskette
  for (std::size_t i = 0; i + 1 < user.sizes.size(); ++i) {
    EXPECT_GT(user.sizes[i], 1400u * 1024) << "diskette " << i + 1 << " was not filled";
  }
  std::vector<std::string> volumes;
  for (const auto& [number, bytes] : user.volumes) {
    ASSERT_EQ(number, static_cast<int>(volumes.size()) + 1);
    volumes.push_back(bytes);
  }
  // Every diskette holds its volume and the record describing it, and only it.
  const std::optional<SetIdentity> first = ParseIdentityRecord(user.records.front());
  ASSERT_TRUE(first);
  for (std::size_t n = 1; n <= volumes.size(); ++n) {
    EXPECT_LE(user.records[n - 1].size(), 512u);
    EXPECT_EQ(user.records[n - 1], DisketteOf(volumes, first->setId, static_cast<int>(n)).at("Parcelbarge-Kennung.txt"))
        << "diskette " << n;
  }
  const DecodedSet set = DecodeSet(volumes);
  ASSERT_EQ(set.files.size(), sources.size());
  EXPECT_EQ(set.description, "Diskettenlauf");
  for (std::size_t i = 0; i < sources.size(); ++i) {
    EXPECT_EQ(set.files[i].name, sources[i].first);
    EXPECT_EQ(set.files[i].data, ReadFile(drives.Native(sources[i].first)));
  }
}

// With the clear-target option, a diskette asked for by a repair volume is
// emptied of an earlier set's files as a volume's is: its volumes, repair
// volumes and times record. Cleared, each repair volume fits on one diskette.
// The times record lies beside the last volume, where a restore looks for it.
TEST(DisketteRun, RepairDiskettesAreClearedOfAnEarlierSet) {
  TestDrives drives(/*disketteMustBeMounted=*/true);
  Diskette diskette(drives.Root('A'));
  if (!diskette.mounted()) GTEST_SKIP() << "no tmpfs diskette can be mounted here: " << diskette.reason();
  const std::filesystem::path root = drives.Root('A');
  const std::vector<std::string> earlier = {"DataBlock#7.Parcelbarge", "Reparatur#2.Parcelbarge",
                                            "Reparatur#1-2.Parcelbarge", "Parcelbarge-Zeiten.dat", "alt.bin"};
  const auto putEarlierSet = [&] {
    for (const std::string& name : earlier) WriteFile(root / name, std::string(120000, 'a'));
  };
  std::vector<std::set<std::string>> media;
  const auto takeOut = [&] {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(root)) names.insert(entry.path().filename());
    media.push_back(names);
  };

  BackupPlan plan = TestPlan(true);
  plan.clearTarget = true;
  plan.repairVolumes = 2;
  WriteFile(drives.Native("C:\\Daten\\gross.bin"), RandomBytes(2000000, 77));
  plan.files = {"C:\\Daten\\gross.bin"};
  ScriptedBoxes boxes;
  for (int i = 0; i < 8; ++i) {
    boxes.Then(BoxButton::Ok, [&] {
      const std::string text = boxes.shown().back().text;
      if (text != kNextDisketteBox && !text.starts_with("Bitte eine leere Diskette für Reparaturband")) return;
      takeOut();
      diskette.Change();
      putEarlierSet();
    });
  }
  putEarlierSet();
  ScriptedHost host;
  Runtime runtime{drives.fs(), boxes, host};
  ASSERT_EQ(RunPlan(runtime, plan), BackupOutcome::Complete);
  takeOut();

  const std::vector<std::set<std::string>> expected = {
      {"DataBlock#1.Parcelbarge", "Parcelbarge-Kennung.txt"},
      {"DataBlock#2.Parcelbarge", "Parcelbarge-Kennung.txt", "Parcelbarge-Zeiten.dat"},
      {"Reparatur#1.Parcelbarge", "Parcelbarge-Kennung.txt"},
      {"Reparatur#2.Parcelbarge", "Parcelbarge-Kennung.txt"},
  };
  EXPECT_EQ(media, expected);
  EXPECT_EQ(boxes.texts().back(), "Die Kopie ist fertig!");
  // Each repair diskette's record lists what it holds.
  const std::optional<SetIdentity> record = ParseIdentityRecord(ReadFile(root / "Parcelbarge-Kennung.txt"));
  ASSERT_TRUE(record);
  ASSERT_EQ(record->repairFiles.size(), 1u);
  EXPECT_EQ(record->repairFiles[0].name, "Reparatur#2.Parcelbarge");
}

// The diskette pulled in the middle of a volume: OK with it back in the drive
// continues the volume where it was confirmed written; another diskette put
// in instead gets the volume written again from its start.
TEST(DisketteRun, PulledAndPutBackContinuesOnOk) {
  const char* const kNotReady =
      "Auf den Zieldatenträger kann nicht geschrieben werden.\rBitte prüfen und auf OK klicken.";
  for (const int othersFirst : {0, 1}) {
    SCOPED_TRACE(std::to_string(othersFirst) + " other diskettes instead");
    TestDrives drives(true);
    Diskette diskette(drives.Root('A'));
    if (!diskette.mounted()) GTEST_SKIP() << "no tmpfs diskette can be mounted here: " << diskette.reason();
    const std::filesystem::path volume = drives.Root('A') / "DataBlock#1.Parcelbarge";
    BackupPlan plan = TestPlan(true);
    plan.files = {"C:\\Daten\\a.bin"};
    WriteFile(drives.Native(plan.files[0]), RandomBytes(600000, 50));
    std::string written;
    ScriptedHost host;
    host.onYield = [&](int yield) {
      if (yield != 3) return;
      written = ReadFile(volume);
      diskette.Remove();
    };
    ScriptedBoxes boxes;
    if (othersFirst == 1) {
      boxes.Then(BoxButton::Ok, [&] { diskette.Insert(); });
    } else {
      boxes.Then(BoxButton::Ok, [&] {
        diskette.Remove();
        diskette.Insert();
        WriteFile(volume, written);
      });
    }
    boxes.Then(BoxButton::Ok);
    Runtime runtime{drives.fs(), boxes, host};

    ASSERT_EQ(RunPlan(runtime, plan), BackupOutcome::Complete);

    const std::vector<std::string> expected = {kNotReady, "Die Kopie ist fertig!"};
    EXPECT_EQ(boxes.texts(), expected);
    const DecodedSet set = DecodeSet(ReadVolumes(drives.Root('A')));
    ASSERT_EQ(set.files.size(), 1u);
    EXPECT_EQ(set.files[0].data, ReadFile(drives.Native(plan.files[0])));
  }
}

// What the user puts into drive A: when the run asks for something.
enum class Offer { Fresh, Same, Full, Unrelated, None };

// A user who answers every box with OK after offering the next medium of a
// list, in turn, and who keeps the volumes of every diskette taken out.
class SweepUser {
 public:
  SweepUser(Diskette& diskette, std::filesystem::path root, std::vector<Offer> offers)
      : diskette_(diskette), root_(std::move(root)), offers_(std::move(offers)) {}

  void OfferNext() {
    const Offer offer = offers_[next_++ % offers_.size()];
    if (offer == Offer::Same) {
      sameAgain = sameAgain || diskette_.mounted();
      return;
    }
    TakeOut();
    if (offer == Offer::None) return;
    diskette_.Insert();
    if (offer == Offer::Full) FillUp();
    if (offer == Offer::Unrelated) {
      WriteFile(root_ / "brief.txt", "alt");
      WriteFile(root_ / ".versteckt", "alt");
      WriteFile(root_ / "Ordner" / "bleibt.txt", "alt");
      WriteFile(root_ / "nur-lesen.txt", RandomBytes(200000, 7));
      chmod((root_ / "nur-lesen.txt").c_str(), 0444);
    }
  }

  // Keeps the volumes of the diskette in the drive, if there is one.
  void TakeOut() {
    if (!diskette_.mounted()) return;
    std::map<int, std::string> volumes;
    for (const auto& entry : std::filesystem::directory_iterator(root_)) {
      const std::string name = entry.path().filename();
      if (name.rfind("DataBlock#", 0) == 0) volumes[std::stoi(name.substr(10))] = ReadFile(entry.path());
    }
    media.push_back(std::move(volumes));
    diskette_.Remove();
  }

  std::vector<std::map<int, std::string>> media;
  bool sameAgain = false;  // a diskette was left in the drive at a box

 private:
  void FillUp() {
    const int fd = open((root_ / "voll.bin").c_str(), O_WRONLY | O_CREAT, 0644);
    const std::string block(65536, 'v');
    while (write(fd, block.data(), block.size()) > 0) {
    }
    while (write(fd, block.data(), 1) > 0) {
    }
    close(fd);
  }

  Diskette& diskette_;
  std::filesystem::path root_;
  std::vector<Offer> offers_;
  std::size_t next_ = 0;
};

struct SweepCase {
  const char* name;
  std::vector<Offer> offers;
};

void PrintTo(const SweepCase& c, std::ostream* os) { *os << c.name; }

class DisketteChangeSweep : public ::testing::TestWithParam<std::tuple<SweepCase, bool>> {};

// Whatever is offered at each prompt, a run that says "Die Kopie ist fertig!"
// leaves volumes, gathered from all diskettes, that hold every source file.
TEST_P(DisketteChangeSweep, SuccessIsOnlyClaimedForASetThatHoldsTheSources) {
  const auto& [sweep, clear] = GetParam();
  TestDrives drives(true);
  Diskette diskette(drives.Root('A'));
  if (!diskette.mounted()) GTEST_SKIP() << "no tmpfs diskette can be mounted here: " << diskette.reason();
  SweepUser user(diskette, drives.Root('A'), sweep.offers);

  BackupPlan plan = TestPlan(true);
  plan.clearTarget = clear;
  const std::vector<std::pair<std::string, std::size_t>> sources = {
      {"C:\\Daten\\gross.bin", 1300000}, {"C:\\Daten\\leer.txt", 0},  {"C:\\Daten\\mittel.bin", 900000},
      {"C:\\Daten\\klein.txt", 4000},    {"C:\\Daten\\leer2.txt", 0}, {"C:\\Daten\\rest.bin", 300000}};
  unsigned seed = 40;
  for (const auto& [path, size] : sources) {
    WriteFile(drives.Native(path), RandomBytes(size, ++seed));
    plan.files.push_back(path);
  }
  ScriptedBoxes boxes;
  for (int i = 0; i < 60; ++i) {
    boxes.Then(BoxButton::Ok, [&] {
      if (boxes.shown().back().text != "Die Kopie ist fertig!") user.OfferNext();
    });
  }
  ScriptedHost host;
  Runtime runtime{drives.fs(), boxes, host};

  const BackupOutcome outcome = RunPlan(runtime, plan);
  user.TakeOut();

  ASSERT_EQ(outcome, BackupOutcome::Complete);
  // A diskette of this run is never cleared: the user is told and asked again.
  const std::vector<std::string> texts = boxes.texts();
  const bool told = std::count(texts.begin(), texts.end(),
                               "Diese Diskette enthält schon einen Teil dieser Sicherung.\rBitte die nächste "
                               "Diskette einlegen und auf OK klicken.") > 0;
  EXPECT_EQ(told, clear && user.sameAgain);
  std::map<int, std::string> gathered;
  for (const auto& medium : user.media) {
    for (const auto& [number, bytes] : medium) {
      EXPECT_TRUE(gathered.emplace(number, bytes).second) << "volume " << number << " on two diskettes";
    }
  }
  std::vector<std::string> volumes;
  for (const auto& [number, bytes] : gathered) {
    ASSERT_EQ(number, static_cast<int>(volumes.size()) + 1) << "a volume is missing";
    volumes.push_back(bytes);
  }
  const DecodedSet set = DecodeSet(volumes);
  ASSERT_EQ(set.files.size(), sources.size());
  for (std::size_t i = 0; i < sources.size(); ++i) {
    EXPECT_EQ(set.files[i].name, sources[i].first);
    EXPECT_EQ(set.files[i].data, ReadFile(drives.Native(sources[i].first))) << sources[i].first;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Offers, DisketteChangeSweep,
    ::testing::Combine(
        ::testing::Values(SweepCase{"Fresh", {Offer::Fresh}}, SweepCase{"SameThenFresh", {Offer::Same, Offer::Fresh}},
                          SweepCase{"FullThenFresh", {Offer::Full, Offer::Fresh}},
                          SweepCase{"Unrelated", {Offer::Unrelated}},
                          SweepCase{"NoneThenFresh", {Offer::None, Offer::Fresh}},
                          SweepCase{"EveryKindInTurn",
                                    {Offer::Fresh, Offer::Same, Offer::Full, Offer::Unrelated, Offer::None}},
                          SweepCase{"SameFullNoneUnrelated", {Offer::Same, Offer::Full, Offer::None, Offer::Unrelated}}),
        ::testing::Bool()),
    [](const ::testing::TestParamInfo<std::tuple<SweepCase, bool>>& param) {
      return std::string(std::get<0>(param.param).name) + (std::get<1>(param.param) ? "Clearing" : "");
    });

}  // namespace
}  // namespace pb::testing
