// SPDX-License-Identifier: GPL-3.0-or-later
#include <sys/stat.h>

#include <map>

#include "backup_fixture.h"
#include "diskette.h"

namespace pb::testing {
namespace {

const char* const kNextDiskette = "Der Datenträger ist voll! Bitte die nächste Diskette\reinlegen und auf OK klicken.";

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

  TestInputs inputs;
  inputs.diskette = true;
  inputs.clearTarget = true;
  inputs.description = "Diskettenlauf";
  const std::vector<std::pair<std::string, std::size_t>> sources = {
      {"C:\\Daten\\gross.bin", 1300000}, {"C:\\Daten\\leer.txt", 0}, {"C:\\Daten\\mittel.bin", 900000},
      {"C:\\Daten\\klein.txt", 4000},    {"C:\\Daten\\rest.bin", 1000000}};
  unsigned seed = 20;
  for (const auto& [path, size] : sources) {
    WriteFile(drives.Native(path), RandomBytes(size, ++seed));
    inputs.files.push_back(path);
  }

  ScriptedBoxes boxes;
  int prompts = 0;
  for (int i = 0; i < 8; ++i) {
    boxes.Then(BoxButton::Ok, [&] {
      if (boxes.shown().back().text != kNextDiskette) return;
      ++prompts;
      user.Change();
    });
  }
  ScriptedHost host;
  Runtime runtime{drives.fs(), boxes, host};

  ASSERT_EQ(WriteArchive(runtime, inputs), BackupOutcome::Complete);
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
  const DecodedSet set = DecodeSet(volumes);
  ASSERT_EQ(set.files.size(), sources.size());
  EXPECT_EQ(set.description, "Diskettenlauf");
  for (std::size_t i = 0; i < sources.size(); ++i) {
    EXPECT_EQ(set.files[i].name, sources[i].first);
    EXPECT_EQ(set.files[i].data, ReadFile(drives.Native(sources[i].first)));
  }
}

}  // namespace
}  // namespace pb::testing
