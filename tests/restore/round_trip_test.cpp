// SPDX-License-Identifier: GPL-3.0-or-later
// Sets written by the backup run come back byte for byte.
#include "../backup/backup_fixture.h"
#include "diskette.h"
#include "restore_fixture.h"

namespace pb {
namespace {

using testing::RandomBytes;

// A tree of real files of the sizes where fragments and volumes are cut.
std::map<std::string, std::string> SourceTree() {
  std::string text;
  while (text.size() < 2500000) text += "Zeile " + std::to_string(text.size()) + " mit etwas Text\n";
  return {
      {"Daten/leer.txt", ""},
      {"Daten/eins", "1"},
      {"Daten/genau.bin", RandomBytes(131072, 71)},
      {"Daten/einsmehr.bin", RandomBytes(131073, 72)},
      {"Daten/Unter/gro\xC3\x9F.bin", RandomBytes(1700000, 73)},
      {"Daten/Unter/Text.txt", text},
      {"Daten/Unter/auch leer", ""},
      {"Daten/z\xC3\xA4hlt.txt", "Gr\xC3\xBC\xC3\x9F" "e"},
  };
}

// Writes the tree below C:\ and lists its files in the selection.
BackupPlan PlanFor(testing::TestDrives& drives, const std::map<std::string, std::string>& tree) {
  BackupPlan plan = testing::TestPlan();
  for (const auto& [relative, bytes] : tree) {
    testing::WriteFile(drives.Root('C') / testing::NativePath(relative), bytes);
    std::string drivePath = "C:\\" + relative;
    std::replace(drivePath.begin(), drivePath.end(), '/', '\\');
    plan.files.push_back(drivePath);
  }
  plan.description = "Rundreise";
  return plan;
}

class RoundTripTest : public testing::RestoreTest {
 protected:
  void DisketteRoundTrip(int64_t limit);
};

TEST_F(RoundTripTest, TreeWithOwnVolumeSize) {
  const std::map<std::string, std::string> tree = SourceTree();
  BackupPlan plan = PlanFor(drives, tree);
  plan.volumeLimit = 1457152;
  std::filesystem::create_directories(SetDir());
  boxes.Then(BoxButton::Ok);
  Runtime runtime{drives.fs(), boxes, host};
  ASSERT_EQ(testing::RunPlan(runtime, plan), BackupOutcome::Complete);
  ASSERT_TRUE(std::filesystem::exists(SetDir() / "DataBlock#2.Parcelbarge"));

  boxes = {};
  EXPECT_EQ(Restore(), RestoreOutcome::Intact);
  EXPECT_TRUE(boxes.shown().empty());
  EXPECT_TRUE(testing::TreeIs(TargetDir(), tree));
}

// Volumes of a few Kbyte put every kind of item last on some volume.
TEST_F(RoundTripTest, TinyVolumesCutEverywhere) {
  std::map<std::string, std::string> tree;
  for (int i = 0; i < 12; ++i) {
    tree["Daten/d" + std::to_string(i)] = i % 3 == 0 ? "" : RandomBytes(static_cast<std::size_t>(i) * 700, 80 + i);
  }
  BackupPlan plan = PlanFor(drives, tree);
  plan.volumeLimit = 1500;
  std::filesystem::create_directories(SetDir());
  boxes.Then(BoxButton::Ok);
  Runtime runtime{drives.fs(), boxes, host};
  ASSERT_EQ(testing::RunPlan(runtime, plan), BackupOutcome::Complete);

  boxes = {};
  EXPECT_EQ(Restore(), RestoreOutcome::Intact);
  EXPECT_TRUE(testing::TreeIs(TargetDir(), tree));
}

// Backup onto diskettes in A:, then the restore from A:, changing diskettes at
// each prompt; with an own volume size, many volumes share a diskette, more
// than its record can list.
TEST_F(RoundTripTest, DisketteChanges) {
  for (const int64_t limit : {int64_t{0}, int64_t{100000}}) {
    SCOPED_TRACE(limit);
    DisketteRoundTrip(limit);
  }
}

void RoundTripTest::DisketteRoundTrip(int64_t limit) {
  probe = {};
  testing::TestDrives disketteDrives(true);
  testing::Diskette diskette(disketteDrives.Root('A'));
  if (!diskette.mounted()) GTEST_SKIP() << "no tmpfs diskette can be mounted here: " << diskette.reason();
  const std::filesystem::path drive = disketteDrives.Root('A');
  std::map<std::string, std::string> tree = SourceTree();
  tree.erase("Daten/Unter/Text.txt");
  tree["Daten/mehr.bin"] = RandomBytes(1200000, 74);

  BackupPlan plan = PlanFor(disketteDrives, tree);
  plan.diskette = true;
  plan.target = "A:\\";
  if (limit > 0) plan.volumeLimit = limit;

  std::vector<std::map<std::string, std::string>> stack;
  const auto takeOut = [&] {
    stack.push_back(testing::TreeOf(drive));
    diskette.Change();
  };
  class Changer : public MessageBoxes {
   public:
    explicit Changer(std::function<void()> change) : change_(std::move(change)) {}
    BoxButton Show(const MessageBox& box) override {
      texts.push_back(box.text);
      if (box.buttons == BoxButtons::OkCancel) change_();
      return BoxButton::Ok;
    }
    std::vector<std::string> texts;

   private:
    std::function<void()> change_;
  };
  Changer backupUser(takeOut);
  Runtime backup{disketteDrives.fs(), backupUser, host};
  ASSERT_EQ(testing::RunPlan(backup, plan), BackupOutcome::Complete);
  takeOut();
  ASSERT_GE(stack.size(), 3u);

  std::size_t next = 0;
  const auto putIn = [&] {
    diskette.Change();
    if (next == stack.size()) throw std::runtime_error("asked for more diskettes than were written");
    for (const auto& [name, bytes] : stack[next]) testing::WriteFile(drive / name, bytes);
    ++next;
  };
  putIn();
  ProbeDisplay view("A:\\");
  ProbeArchive(view, disketteDrives.fs(), probe);
  ASSERT_TRUE(view.restoreEnabled);
  Changer restoreUser(putIn);
  Runtime restore{disketteDrives.fs(), restoreUser, host};
  EXPECT_EQ(ReadArchive(restore, probe, "A:\\", "D:\\Rueck"), RestoreOutcome::Intact);
  EXPECT_EQ(restoreUser.texts, std::vector<std::string>(stack.size() - 1, testing::kNextDiskBox));
  EXPECT_TRUE(testing::TreeIs(disketteDrives.Root('D') / "Rueck", tree));
}

}  // namespace
}  // namespace pb
