// SPDX-License-Identifier: GPL-3.0-or-later
#include "restore/archive_volumes.h"

#include "faulty_file_system.h"
#include "restore_fixture.h"

namespace pb {
namespace {

using testing::Op;
using testing::RandomBytes;
using testing::SetBuilder;

class NextVolumeTest : public testing::RestoreTest {
 protected:
  // Three volumes: the first file's fragments spread over all of them.
  void WriteThreeVolumes() {
    set.volumes() = testing::ThreeVolumeSet(data);
    set.WriteTo(SetDir());
  }
  std::filesystem::path Volume(int n) { return SetDir() / ("DataBlock#" + std::to_string(n) + ".Parcelbarge"); }

  const std::string data = RandomBytes(300000, 11);
  SetBuilder set;
};

TEST_F(NextVolumeTest, MissingVolumeIsAskedForUntilItIsThere) {
  WriteThreeVolumes();
  const std::filesystem::path away = TargetDir().parent_path() / "weg";
  std::filesystem::create_directories(away);
  std::filesystem::rename(Volume(2), away / "2");
  // OK while the volume is still missing asks again; so does No after Cancel.
  boxes.Then(BoxButton::Ok)
      .Then(BoxButton::Cancel)
      .Then(BoxButton::No)
      .Then(BoxButton::Ok, [&] { std::filesystem::rename(away / "2", Volume(2)); });
  EXPECT_EQ(Restore(), RestoreOutcome::Intact);
  EXPECT_EQ(boxes.texts(), (std::vector<std::string>{testing::kNextDiskBox, testing::kNextDiskBox,
                                                     testing::kConfirmBox, testing::kNextDiskBox}));
  EXPECT_EQ(boxes.shown()[0].icon, BoxIcon::Information);
  EXPECT_EQ(boxes.shown()[0].buttons, BoxButtons::OkCancel);
  EXPECT_TRUE(testing::FileIs(TargetDir() / "gross.bin", data));
}

// A diskette drive: every volume lies in the same place, one at a time.
TEST_F(NextVolumeTest, DiskettesAreChangedInTheSameDirectory) {
  WriteThreeVolumes();
  const std::filesystem::path stack = TargetDir().parent_path() / "Stapel";
  std::filesystem::create_directories(stack);
  for (int n : {2, 3}) std::filesystem::rename(Volume(n), stack / std::to_string(n));
  const auto insert = [&](int n) {
    return [&, n] {
      std::filesystem::remove(Volume(n - 1));
      std::filesystem::rename(stack / std::to_string(n), Volume(n));
    };
  };
  boxes.Then(BoxButton::Ok, insert(2)).Then(BoxButton::Ok, insert(3));
  EXPECT_EQ(Restore(), RestoreOutcome::Intact);
  EXPECT_EQ(boxes.texts(), (std::vector<std::string>{testing::kNextDiskBox, testing::kNextDiskBox}));
  EXPECT_TRUE(testing::FileIs(TargetDir() / "gross.bin", data));
  EXPECT_TRUE(testing::FileIs(TargetDir() / "klein.txt", "klein"));
}

TEST_F(NextVolumeTest, AbandoningThePromptEndsTheProgramWithoutBeep) {
  WriteThreeVolumes();
  std::filesystem::remove(Volume(3));
  boxes.Then(BoxButton::Cancel).Then(BoxButton::Yes);
  EXPECT_EQ(EndingRestore(), kExitGivenUp);
  EXPECT_EQ(host.beeps, 0);
  EXPECT_EQ(boxes.texts(), (std::vector<std::string>{testing::kNextDiskBox, testing::kConfirmBox}));
  // What was written before stays.
  EXPECT_TRUE(testing::FileIs(TargetDir() / "gross.bin", data.substr(0, 262144)));
}

TEST_F(NextVolumeTest, Volume1GoneAfterTheProbeIsAskedFor) {
  WriteThreeVolumes();
  ProbeDisplay view("D:\\Sich");
  ProbeArchive(view, drives.fs(), probe);
  const std::string volume1 = testing::ReadFile(Volume(1));
  std::filesystem::remove(Volume(1));
  boxes.Then(BoxButton::Ok, [&] { testing::WriteFile(Volume(1), volume1); });
  Runtime runtime{drives.fs(), boxes, host};
  EXPECT_EQ(ReadArchive(runtime, probe, "D:\\Sich", "C:\\Rueck"), RestoreOutcome::Intact);
  EXPECT_EQ(boxes.texts(), std::vector<std::string>{testing::kNextDiskBox});
  EXPECT_TRUE(testing::FileIs(TargetDir() / "gross.bin", data));
}

TEST_F(NextVolumeTest, UnreadableOrEmptyVolumes) {
  WriteThreeVolumes();
  // An empty file under the next name carries nothing and is passed over.
  std::filesystem::rename(Volume(3), SetDir() / "DataBlock#4.Parcelbarge");
  testing::WriteFile(Volume(3), "");
  testing::FaultyFileSystem faulty(drives.fs());
  faulty.Fail(Op::Open, 1, 70, "DataBlock#2");
  boxes.Then(BoxButton::Ok);
  EXPECT_EQ(Restore(faulty), RestoreOutcome::Intact);
  EXPECT_EQ(boxes.texts(), std::vector<std::string>{testing::kNextDiskBox});
  EXPECT_TRUE(testing::FileIs(TargetDir() / "gross.bin", data));
}

}  // namespace
}  // namespace pb
