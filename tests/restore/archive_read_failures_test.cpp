// SPDX-License-Identifier: GPL-3.0-or-later
#include "restore/archive_stream.h"

#include "faulty_file_system.h"
#include "restore_fixture.h"

namespace pb {
namespace {

using testing::Op;
using testing::RandomBytes;
using testing::SetBuilder;

class ArchiveReadFailureTest : public testing::RestoreTest {
 protected:
  void WriteSet() {
    set.Header(3, "Fehler")
        .FileWithData("C:\\a\\eins.bin", one, 100000)
        .File(0, "C:\\a\\leer")
        .Cut()
        .FileWithData("C:\\zwei.txt", "zwei");
    set.WriteTo(SetDir());
  }
  const std::map<std::string, std::string> expected() const {
    return {{"a/eins.bin", one}, {"a/leer", ""}, {"zwei.txt", "zwei"}};
  }

  const std::string one = RandomBytes(250000, 21);
  SetBuilder set;
};

// Whichever read of the set fails once, OK reads it again and the stream stays
// in step.
TEST_F(ArchiveReadFailureTest, EachReadFailingOnceIsRepeatedOnOk) {
  WriteSet();
  testing::FaultyFileSystem counting(drives.fs());
  ASSERT_EQ(Restore(counting), RestoreOutcome::Intact);
  const int reads = counting.calls(Op::Read);
  ASSERT_GT(reads, 10);
  for (int n = 1; n <= reads; ++n) {
    SCOPED_TRACE("read " + std::to_string(n) + " fails");
    std::filesystem::remove_all(TargetDir());
    boxes = {};
    testing::FaultyFileSystem faulty(drives.fs());
    faulty.Fail(Op::Read, n, n % 2 == 0 ? 57 : 71, "Sich");
    boxes.Then(BoxButton::Ok);
    EXPECT_EQ(Restore(faulty), RestoreOutcome::Intact);
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{testing::kArchiveBox});
    EXPECT_EQ(boxes.shown()[0].icon, BoxIcon::Critical);
    EXPECT_EQ(boxes.shown()[0].buttons, BoxButtons::OkCancel);
    EXPECT_TRUE(testing::TreeIs(TargetDir(), expected()));
  }
}

TEST_F(ArchiveReadFailureTest, CancelThenNoAsksAgainAndYesFinishes) {
  WriteSet();
  testing::FaultyFileSystem faulty(drives.fs());
  // The second fragment of eins.bin cannot be read any more.
  faulty.Fail(Op::Read, 7, 57, "Sich", true);
  boxes.Then(BoxButton::Cancel).Then(BoxButton::No).Then(BoxButton::Ok).Then(BoxButton::Cancel).Then(BoxButton::Yes);
  EXPECT_EQ(Restore(faulty), RestoreOutcome::GivenUp);
  EXPECT_EQ(boxes.texts(), (std::vector<std::string>{testing::kArchiveBox, testing::kConfirmBox, testing::kArchiveBox,
                                                     testing::kArchiveBox, testing::kConfirmBox}));
  EXPECT_EQ(boxes.shown()[1].defaultButton, BoxButton::No);
  EXPECT_EQ(host.beeps, 1);
  EXPECT_TRUE(testing::TreeIs(TargetDir(), (std::map<std::string, std::string>{{"a/eins.bin", one.substr(0, 100000)}})));
  EXPECT_EQ(faulty.openFiles(), 0u);
}

}  // namespace
}  // namespace pb
