// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

#include "support/runtime.h"

namespace pb {

// Thrown when the user abandons the prompt for the next volume.
struct VolumeAbandoned {};

// The volumes of a set read back as one stream: at most one volume open, the
// next one opened only when the current one is used up.
class ArchiveVolumes {
 public:
  // SourceDir ends in "\"; ArchiveDataStart is the 1-based position of the
  // first FileHeader in volume 1.
  ArchiveVolumes(Runtime& runtime, std::string SourceDir, int32_t ArchiveDataStart);
  ~ArchiveVolumes();
  ArchiveVolumes(const ArchiveVolumes&) = delete;
  ArchiveVolumes& operator=(const ArchiveVolumes&) = delete;

  // Makes sure a volume with unread bytes is open: closes a used-up one and
  // opens the next, asking for the next disk while it cannot be opened.
  // Throws VolumeAbandoned when the user abandons that prompt.
  void EnsureVolume();
  // The number of the volume opened last; 0 before the first.
  int16_t Number() const { return VolumeNumber_; }
  // Whether the directory holds a volume after the one opened last.
  bool NextVolumeFound();

  // The next count bytes of the open volume. A failed read consumes nothing.
  std::string Read(int64_t count);
  // Bytes of the open volume consumed so far, and those still unread.
  int64_t Position() const { return position_; }
  int64_t Remaining() const { return length_ - position_; }
  // The next read starts at position (0-based) again, as after a failure.
  void Rewind(int64_t position);

  void CloseVolume();

 private:
  void OpenNextVolume();
  bool Found(const std::string& path);
  // Opens the volume at path and stands at its first unread byte.
  void Open(const std::string& path);

  Runtime& runtime_;
  std::string SourceDir_;
  int32_t ArchiveDataStart_;
  bool VolumeOpen_ = false;
  FileNumber VolumeFile_ = 0;
  int16_t VolumeNumber_ = 0;
  int64_t length_ = 0;
  int64_t position_ = 0;
  // The file's own position may differ from position_ after a failure.
  bool reposition_ = false;
};

}  // namespace pb
