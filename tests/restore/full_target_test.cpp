// A real full medium: a diskette-sized tmpfs in a private mount namespace.
#include <sched.h>
#include <sys/mount.h>

#include <cerrno>
#include <cstring>

#include "restore_fixture.h"

namespace pb {
namespace {

class FullTargetTest : public testing::RestoreTest {
 protected:
  void TearDown() override {
    if (mounted_) umount2(TargetDir().c_str(), MNT_DETACH);
  }
  // Mounts a 1440 KiB tmpfs on the target directory; false with a reason when
  // this machine does not allow it.
  bool MountDiskette(std::string& reason) {
    std::filesystem::create_directories(TargetDir());
    if (unshare(CLONE_NEWNS) != 0) {
      reason = std::string("no private mount namespace: ") + std::strerror(errno);
      return false;
    }
    if (mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount("tmpfs", TargetDir().c_str(), "tmpfs", 0, "size=1440k") != 0) {
      reason = std::string("mounting refused: ") + std::strerror(errno);
      return false;
    }
    mounted_ = true;
    return true;
  }

 private:
  bool mounted_ = false;
};

TEST_F(FullTargetTest, FullMediumEndsTheRestoreAndKeepsWhatWasWritten) {
  std::string reason;
  if (!MountDiskette(reason)) GTEST_SKIP() << reason;
  const std::string first = testing::RandomBytes(1000000, 51);
  const std::string second = testing::RandomBytes(1000000, 52);
  testing::SetBuilder set;
  set.Header(3).FileWithData("C:\\eins.bin", first).FileWithData("C:\\zwei.bin", second).FileWithData(
      "C:\\drei.txt", "drei");
  set.WriteTo(SetDir());
  boxes.Then(BoxButton::Ok);
  EXPECT_EQ(Restore(), RestoreOutcome::Incomplete);
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
