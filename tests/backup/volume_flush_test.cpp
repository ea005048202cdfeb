// SPDX-License-Identifier: GPL-3.0-or-later
#include <vector>

#include "backup_fixture.h"

namespace pb::testing {
namespace {

constexpr const char* kNotReadyBox = "Auf den Zieldatenträger kann nicht geschrieben werden.\rBitte prüfen und auf OK klicken.";
constexpr const char* kDoneBox = "Die Kopie ist fertig!";

struct FlushCase {
  const char* name;
  std::vector<Fault> faults;
  std::vector<std::string> boxes;
  // Flushes of the target's file system tried when each box came.
  std::vector<int> directoryFlushesAtBoxes;
  int volumeFlushes;  // of single volumes, in the whole run: the last one, and one kept at a change
};

// A directory target with an own volume size: volumes closed at the limit
// are only handed to the device, and flushed together before any box about
// the medium and before the final message.
class VolumeFlushTest : public BackupTest, public ::testing::WithParamInterface<FlushCase> {};

TEST_P(VolumeFlushTest, ClosedVolumesReachTheDeviceBeforeTheNextBox) {
  const FlushCase& c = GetParam();
  AddSource("gross.bin", RandomBytes(20000, 3));
  AddSource("klein.txt", std::string(3000, 'x'));
  plan.volumeLimit = 4096;
  for (const Fault& fault : c.faults) faulty.Fail(fault);
  std::vector<int> flushesAtBoxes;
  for (std::size_t i = 0; i < c.boxes.size(); ++i) {
    boxes.Then(BoxButton::Ok, [&] {
      flushesAtBoxes.push_back(faulty.calls(Op::FlushDirectory));
    });
  }

  ASSERT_EQ(Run(), BackupOutcome::Complete);

  EXPECT_EQ(boxes.texts(), c.boxes);
  EXPECT_EQ(flushesAtBoxes, c.directoryFlushesAtBoxes);
  EXPECT_EQ(faulty.calls(Op::Flush, "DataBlock"), c.volumeFlushes);
  ExpectSetHoldsSources();
  EXPECT_GE(Volumes().size(), 5u);
}

INSTANTIATE_TEST_SUITE_P(
    DirectoryTarget, VolumeFlushTest,
    ::testing::Values(FlushCase{"AtTheEnd", {}, {kDoneBox}, {1}, 1},
                      FlushCase{"NotReadyThenRetried", {{Op::FlushDirectory, 1, 71, ""}}, {kNotReadyBox, kDoneBox}, {1, 2}, 2},
                      // A fragment on volume 3 does not fit even halved to 512 bytes:
                      // the volume is kept and flushed by itself at the change.
                      FlushCase{"BeforeTheNextDiskette",
                                {{Op::Write, 1, 61, "DataBlock#3"},
                                 {Op::Write, 2, 61, "DataBlock#3"},
                                 {Op::Write, 3, 61, "DataBlock#3"},
                                 {Op::Write, 4, 61, "DataBlock#3"}},
                                {kNextDisketteBox, kDoneBox},
                                {1, 2},
                                2}),
    [](const ::testing::TestParamInfo<FlushCase>& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace pb::testing
