// SPDX-License-Identifier: GPL-3.0-or-later
#include "progress_line.h"

#include <sstream>

#include <gtest/gtest.h>

namespace pb::cli {
namespace {

TEST(ProgressLineTest, RedrawsAtMostTenTimesASecondWithRateAndTimeLeft) {
  double now = 100.0;
  std::ostringstream out;
  ProgressLine line(out, true, [&] { return now; });
  const struct {
    double at;
    ProgressState state;
    std::string drawn;  // "" when no redraw is due
  } steps[] = {
      {100.0, {1, 4, 0, 4194304, 0}, "\r0 %, 0,0 von 4,0 MB, 0,0 MB/s, Datei 1 von 4"},
      {100.05, {1, 4, 524288, 4194304, 1}, ""},
      {101.0, {2, 4, 1048576, 4194304, 1}, "\r25 %, 1,0 von 4,0 MB, 1,0 MB/s, noch 0:03, Datei 2 von 4, Datenträger 1"},
      {101.09, {3, 4, 2097152, 4194304, 2}, ""},
      {102.0, {4, 4, 4194304, 4194304, 2}, "\r100 %, 4,0 von 4,0 MB, 2,0 MB/s, noch 0:00, Datei 4 von 4, Datenträger 2"},
      // A restore does not know its total.
      {103.0, {5, 9, 6291456, 0, 3}, "\r6,0 MB, 2,0 MB/s, Datei 5 von 9, Datenträger 3"},
      {103.05, {9, 9, 8388608, 0, 3}, ""},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.at);
    out.str("");
    now = step.at;
    line.Show(step.state);
    if (step.drawn.empty()) {
      EXPECT_EQ(out.str(), "");
    } else {
      EXPECT_EQ(out.str().rfind(step.drawn, 0), 0u) << out.str();
    }
  }
  EXPECT_EQ(line.volume(), 3);
  out.str("");
  line.End();
  // The run's end state, held back above, is drawn before the line ends.
  EXPECT_EQ(out.str().rfind("\r8,0 MB, ", 0), 0u) << out.str();
  EXPECT_TRUE(out.str().ends_with("Datei 9 von 9, Datenträger 3\n")) << out.str();
  out.str("");
  line.End();
  EXPECT_EQ(out.str(), "");
}

TEST(ProgressLineTest, ShorterLinesWipeTheLongerOneBefore) {
  double now = 0;
  std::ostringstream out;
  ProgressLine line(out, true, [&] { return now; });
  line.Show({1, 1, 1048576, 0, 12});
  out.str("");
  now = 1;
  line.Show({1, 1, 2097152, 0, 0});
  // As many blanks as ", Datenträger 12" has characters.
  EXPECT_EQ(out.str(), "\r2,0 MB, 2,0 MB/s, Datei 1 von 1" + std::string(16, ' '));
}

}  // namespace
}  // namespace pb::cli
