// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>

#include "support/medium_release.h"
#include "support/message_boxes.h"

namespace pb::cli {

struct ProgressState {
  int fileNumber = 0;
  int fileCount = 0;
  int64_t bytesDone = 0;
  int64_t bytesTotal = 0;  // 0: not known beforehand
  int volume = 0;          // the volume written or read now; 0 before the first
};

// One line on a terminal, rewritten as a run goes on: percent of the bytes,
// rate, time left, file and volume. At most ten redraws a second. The line
// stays within the terminal's width, leaving out the rate, then the time
// left, then the file, so it never wraps onto a new row.
class ProgressLine {
 public:
  using Clock = std::function<double()>;  // seconds since any fixed point
  using Columns = std::function<int()>;   // the terminal's width; 0 when unknown
  ProgressLine(std::ostream& out, bool shown, Clock clock = SteadySeconds, Columns columns = ErrColumns);

  void Show(const ProgressState& state);
  // Draws the last state when a redraw of it was held back, then ends the
  // line, so what follows starts on a line of its own.
  void End();
  // Erases the line, so a line of text may take its row; the next Show draws
  // it again below that text.
  void Clear();
  // The volume shown last.
  int volume() const { return last_.volume; }

  static double SteadySeconds();
  static int ErrColumns();

 private:
  void Draw(double now);

  std::ostream& out_;
  bool shown_;
  Clock clock_;
  Columns columns_;
  double start_;
  double drawnAt_ = -1;
  bool open_ = false;
  bool pending_ = false;  // last_ is newer than the line shows
  std::size_t width_ = 0;
  ProgressState last_;
};

// A run's boxes, each on a line of its own after the progress line. For a
// restore, a prompt for the next volume is preceded by its number.
class BoxesAfterProgress : public MessageBoxes {
 public:
  BoxesAfterProgress(MessageBoxes& boxes, ProgressLine& progress, std::ostream& out, bool namesNeededVolume)
      : boxes_(boxes), progress_(progress), out_(out), namesNeededVolume_(namesNeededVolume) {}
  BoxButton Show(const MessageBox& box) override;

 private:
  MessageBoxes& boxes_;
  ProgressLine& progress_;
  std::ostream& out_;
  bool namesNeededVolume_;
};

// The release of a full medium, told on a line of its own after the progress
// line when the medium may be taken out.
class ReleaseAfterProgress : public MediumRelease {
 public:
  ReleaseAfterProgress(MediumRelease* release, ProgressLine& progress, std::ostream& out)
      : release_(release), progress_(progress), out_(out) {}
  bool Release(const std::string& driveRoot) noexcept override;

 private:
  MediumRelease* release_;
  ProgressLine& progress_;
  std::ostream& out_;
};

}  // namespace pb::cli
