// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <set>
#include <utility>

namespace pb {

// Which files of a set were read from a volume found damaged. A volume is
// found damaged when it is opened (its length) or only once it has been read
// to its end (its checksum), so a file is settled only when the volume after
// its last one is opened, or the reading has ended. Files are settled in
// stream order, each with the first damaged volume it was read from, or 0.
template <typename File>
class DamageSpans {
 public:
  using Settle = std::function<void(File& file, int16_t damagedVolume)>;
  explicit DamageSpans(Settle settle) : settle_(std::move(settle)) {}

  // Stream order: every volume opened, every file begun and ended.
  void VolumeOpened(int16_t number) {
    volume_ = number;
    if (inFile_) pending_.back().last = number;
    while (!pending_.empty() && pending_.front().last < number) SettleFront();
  }
  void FileBegun(File file) {
    pending_.push_back({std::move(file), volume_, volume_});
    inFile_ = true;
  }
  void FileEnded() { inFile_ = false; }
  // Whenever it is found, even ahead of the stream.
  void VolumeDamaged(int16_t number) { damaged_.insert(number); }
  // The file begun last.
  File& Current() { return pending_.back().file; }

  // After the reading ended, the file begun last included.
  void SettleAll() {
    while (!pending_.empty()) SettleFront();
    inFile_ = false;
  }

 private:
  struct Span {
    File file;
    int16_t first;
    int16_t last;
  };

  void SettleFront() {
    Span span = std::move(pending_.front());
    pending_.pop_front();
    const auto damaged = damaged_.lower_bound(span.first);
    settle_(span.file, damaged != damaged_.end() && *damaged <= span.last ? *damaged : int16_t{0});
  }

  Settle settle_;
  std::deque<Span> pending_;
  std::set<int16_t> damaged_;
  int16_t volume_ = 0;
  bool inFile_ = false;
};

}  // namespace pb
