// SPDX-License-Identifier: GPL-3.0-or-later
#include "progress_line.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ostream>
#include <string>

#include "terminal_boxes.h"

namespace pb::cli {

namespace {

constexpr double kRedrawInterval = 0.1;

// German numbers on the German terminal: a decimal comma.
std::string Megabytes(int64_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", static_cast<double>(bytes) / 1048576.0);
  std::string result = text;
  std::replace(result.begin(), result.end(), '.', ',');
  return result;
}

std::string Duration(double seconds) {
  const auto total = static_cast<long long>(seconds + 0.5);
  char text[32];
  std::snprintf(text, sizeof text, "%lld:%02lld", total / 60, total % 60);
  return text;
}

}  // namespace

double ProgressLine::SteadySeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

ProgressLine::ProgressLine(std::ostream& out, bool shown, Clock clock)
    : out_(out), shown_(shown), clock_(std::move(clock)), start_(clock_()) {}

void ProgressLine::Show(const ProgressState& state) {
  last_ = state;
  if (!shown_) return;
  const double now = clock_();
  pending_ = drawnAt_ >= 0 && now - drawnAt_ < kRedrawInterval;
  if (!pending_) Draw(now);
}

void ProgressLine::Draw(double now) {
  const ProgressState& state = last_;
  drawnAt_ = now;
  pending_ = false;
  const double elapsed = now - start_;
  const double rate = elapsed > 0 ? static_cast<double>(state.bytesDone) / elapsed : 0.0;
  std::string line;
  if (state.bytesTotal > 0) {
    const int64_t percent = std::min<int64_t>(100, state.bytesDone * 100 / state.bytesTotal);
    line += std::to_string(percent) + " %, " + Megabytes(state.bytesDone) + " von " + Megabytes(state.bytesTotal) + " MB";
  } else {
    line += Megabytes(state.bytesDone) + " MB";
  }
  line += ", " + Megabytes(static_cast<int64_t>(rate)) + " MB/s";
  if (state.bytesTotal > 0 && rate > 0) {
    line += ", noch " + Duration(static_cast<double>(state.bytesTotal - state.bytesDone) / rate);
  }
  line += ", Datei " + std::to_string(state.fileNumber) + " von " + std::to_string(state.fileCount);
  if (state.volume > 0) line += ", Datenträger " + std::to_string(state.volume);
  // Characters, not bytes, cover the line before.
  const auto width = static_cast<std::size_t>(
      std::count_if(line.begin(), line.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
  out_ << '\r' << line << std::string(width < width_ ? width_ - width : 0, ' ') << std::flush;
  width_ = width;
  open_ = true;
}

void ProgressLine::End() {
  // The last state may have come too soon after a redraw; the line ends on it.
  if (pending_) Draw(clock_());
  if (open_) out_ << '\n' << std::flush;
  open_ = false;
  drawnAt_ = -1;
  width_ = 0;
}

}  // namespace pb::cli

namespace pb::cli {

BoxButton BoxesAfterProgress::Show(const MessageBox& box) {
  progress_.End();
  if (namesNeededVolume_ && AsksForNextMedium(box)) {
    out_ << "Benötigt: Datenträger " << progress_.volume() + 1 << '\n';
  }
  return boxes_.Show(box);
}

}  // namespace pb::cli
