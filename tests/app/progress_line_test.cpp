// SPDX-License-Identifier: GPL-3.0-or-later
#include "progress_line.h"

#include <sstream>

#include <gtest/gtest.h>

namespace pb::cli {
namespace {

TEST(ProgressLineTest, RedrawsAtMostTenTimesASecondWithRateAndTimeLeft) {
  double now = 100.0;
  std::ostringstream out;
  ProgressLine line(out, true, [&] { return now; }, [] { return 0; });
  const struct {
    double at;
    ProgressState state;
    std::string drawn;  // "" when no redraw is due
  } steps[] = {
      {100.0, {1, 4, 0, 4194304, 0}, "\r0 %, 0,0 von 4,0 MB, 0,0 MB/s, Datei 1 von 4"},
      {100.05, {1, 4, 524288, 4194304, 1}, ""},
      {101.0, {2, 4, 1048576, 4194304, 1}, "\r25 %, 1,0 von 4,0 MB, 1,0 MB/s, noch 0:03, Datei 2 von 4, Band 1"},
      {101.09, {3, 4, 2097152, 4194304, 2}, ""},
      {102.0, {4, 4, 4194304, 4194304, 2}, "\r100 %, 4,0 von 4,0 MB, 2,0 MB/s, noch 0:00, Datei 4 von 4, Band 2"},
      // A restore does not know its total.
      {103.0, {5, 9, 6291456, 0, 3}, "\r6,0 MB, 2,0 MB/s, Datei 5 von 9, Band 3"},
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
  EXPECT_TRUE(out.str().ends_with("Datei 9 von 9, Band 3\n")) << out.str();
  out.str("");
  line.End();
  EXPECT_EQ(out.str(), "");
}

TEST(ProgressLineTest, ShorterLinesWipeTheLongerOneBefore) {
  double now = 0;
  std::ostringstream out;
  ProgressLine line(out, true, [&] { return now; }, [] { return 80; });
  line.Show({1, 1, 1048576, 0, 12});
  out.str("");
  now = 1;
  line.Show({1, 1, 2097152, 0, 0});
  // As many blanks as ", Band 12" has characters.
  EXPECT_EQ(out.str(), "\r2,0 MB, 2,0 MB/s, Datei 1 von 1" + std::string(9, ' '));
}

// A line of text between two draws takes the progress line's row; the line
// comes back at the next draw, or at the end with the last state.
TEST(ProgressLineTest, ClearedForALineOfText) {
  double now = 0;
  std::ostringstream out;
  ProgressLine line(out, true, [&] { return now; }, [] { return 80; });
  line.Show({1, 2, 1048576, 0, 1});
  out.str("");
  line.Clear();
  EXPECT_EQ(out.str(), "\r" + std::string(39, ' ') + "\r");
  out.str("");
  line.Clear();
  EXPECT_EQ(out.str(), "");
  line.Show({2, 2, 2097152, 0, 1});
  line.End();
  EXPECT_EQ(out.str(), "\r2,0 MB, 0,0 MB/s, Datei 2 von 2, Band 1\n");
}

// A line wider than the terminal would wrap and leave a row behind at every
// redraw: it gives up the rate, the time left and the file, in that order.
TEST(ProgressLineTest, StaysWithinTheTerminalsWidth) {
  const ProgressState state{12, 20000, 52428800, 104857600, 7};
  const struct {
    int columns;
    std::string drawn;
  } cases[] = {
      {0, "50 %, 50,0 von 100,0 MB, 50,0 MB/s, noch 0:01, Datei 12 von 20000, Band 7"},
      {80, "50 %, 50,0 von 100,0 MB, 50,0 MB/s, noch 0:01, Datei 12 von 20000, Band 7"},
      {72, "50 %, 50,0 von 100,0 MB, noch 0:01, Datei 12 von 20000, Band 7"},
      {60, "50 %, 50,0 von 100,0 MB, Datei 12 von 20000, Band 7"},
      {40, "50 %, 50,0 von 100,0 MB, Band 7"},
      {20, "50 %, 50,0 von 100,"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.columns);
    double now = 0;
    std::ostringstream out;
    ProgressLine line(out, true, [&] { return now; }, [&] { return c.columns; });
    now = 1;
    line.Show(state);
    EXPECT_EQ(out.str(), "\r" + c.drawn);
  }
}

}  // namespace
}  // namespace pb::cli
