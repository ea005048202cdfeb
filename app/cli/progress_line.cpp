// SPDX-License-Identifier: GPL-3.0-or-later
#include "progress_line.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ostream>
#include <string>

#include "support/console.h"
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

// Characters, not bytes.
std::size_t Width(const std::string& text) {
  return static_cast<std::size_t>(
      std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
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

int ProgressLine::ErrColumns() { return console::Columns(console::Stream::Err); }

ProgressLine::ProgressLine(std::ostream& out, bool shown, Clock clock, Columns columns)
    : out_(out), shown_(shown), clock_(std::move(clock)), columns_(std::move(columns)), start_(clock_()) {}

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
  const double perSecond = elapsed > 0 ? static_cast<double>(state.bytesDone) / elapsed : 0.0;
  // The parts in the order they are given up when the line is too wide.
  std::string bytes;
  if (state.bytesTotal > 0) {
    const int64_t percent = std::min<int64_t>(100, state.bytesDone * 100 / state.bytesTotal);
    bytes = std::to_string(percent) + " %, " + Megabytes(state.bytesDone) + " von " + Megabytes(state.bytesTotal) + " MB";
  } else {
    bytes = Megabytes(state.bytesDone) + " MB";
  }
  std::string rate = ", " + Megabytes(static_cast<int64_t>(perSecond)) + " MB/s";
  std::string left;
  if (state.bytesTotal > 0 && perSecond > 0) {
    left = ", noch " + Duration(static_cast<double>(state.bytesTotal - state.bytesDone) / perSecond);
  }
  std::string file = ", Datei " + std::to_string(state.fileNumber) + " von " + std::to_string(state.fileCount);
  const std::string volume = state.volume > 0 ? ", Band " + std::to_string(state.volume) : "";
  // The cursor stays in the last column without wrapping only on some terminals.
  const int columns = columns_();
  const std::size_t room = columns > 1 ? static_cast<std::size_t>(columns - 1) : SIZE_MAX;
  std::string line = bytes + rate + left + file + volume;
  for (std::string* part : {&rate, &left, &file}) {
    if (Width(line) <= room) break;
    part->clear();
    line = bytes + rate + left + file + volume;
  }
  if (Width(line) > room) line = line.substr(0, room);
  const std::size_t width = Width(line);
  out_ << '\r' << line << std::string(width < width_ ? width_ - width : 0, ' ') << std::flush;
  width_ = width;
  open_ = true;
}

void ProgressLine::Clear() {
  if (!open_) return;
  out_ << '\r' << std::string(width_, ' ') << '\r' << std::flush;
  open_ = false;
  width_ = 0;
  pending_ = true;
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
    out_ << "Benötigt: Band " << progress_.volume() + 1 << '\n';
  }
  return boxes_.Show(box);
}

bool ReleaseAfterProgress::Release(const std::string& driveRoot) noexcept {
  if (release_ == nullptr || !release_->Release(driveRoot)) return false;
  try {
    progress_.End();
    out_ << "Der Datenträger kann entnommen werden.\n";
  } catch (...) {
    // Only the note is lost; the medium is released all the same.
  }
  return true;
}

}  // namespace pb::cli
