// SPDX-License-Identifier: GPL-3.0-or-later
// A real full medium: a diskette-sized tmpfs as the target.
#include "diskette.h"
#include "restore_fixture.h"

namespace pb {
namespace {

using testing::RestoreTest;

TEST_F(RestoreTest, FullMediumEndsTheRestoreAndKeepsWhatWasWritten) {
  std::filesystem::create_directories(TargetDir());
  testing::Diskette diskette(TargetDir());
  if (!diskette.mounted()) GTEST_SKIP() << "no tmpfs diskette can be mounted here: " << diskette.reason();
  const std::string first = testing::RandomBytes(1000000, 51);
  const std::string second = testing::RandomBytes(1000000, 52);
  testing::SetBuilder set;
  set.Header(3).FileWithData("C:\\eins.bin", first).FileWithData("C:\\zwei.bin", second).FileWithData(
      "C:\\drei.txt", "drei");
  set.WriteTo(SetDir());
  boxes.Then(BoxButton::Ok);
  EXPECT_EQ(Restore(), RestoreOutcome::TargetFull);
  EXPECT_EQ(boxes.texts(), std::vector<std::string>{testing::kDiskFullBox});
  EXPECT_EQ(host.beeps, 1);
  EXPECT_TRUE(testing::FileIs(TargetDir() / "eins.bin", first));
  const std::string partial = testing::ReadFile(TargetDir() / "zwei.bin");
  EXPECT_GT(partial.size(), 0u);
  EXPECT_LT(partial.size(), second.size());
  EXPECT_TRUE(partial == second.substr(0, partial.size())) << "the partly written file is not a prefix";
  EXPECT_FALSE(std::filesystem::exists(TargetDir() / "drei.txt"));
}

}  // namespace
}  // namespace pb
