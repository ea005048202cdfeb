// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "backup/fragment_cut.h"

namespace pb {

// Where the backup stands in its selection: the file, the offset of its next
// fragment and whether the open volume holds a fragment yet. The run and its
// look-ahead each keep one and move it by these same steps, so the look-ahead
// foresees exactly the fragments the run will ask for.
struct FragmentCursor {
  int file = 0;            // 0-based entry of the selection list
  std::string name;        // that entry
  int32_t fileLength = 0;  // FileLength recorded at opening
  int64_t offset = 0;      // read position of the next fragment
  bool volumeHasFragment = false;

  void BeginFile(int index, std::string entry, int32_t length) {
    file = index;
    name = std::move(entry);
    fileLength = length;
    offset = 0;
  }
  bool FileDone() const { return offset >= fileLength; }
  // The next fragment's length where the volume has room bytes left before
  // its limit; 0: the volume is closed first.
  int32_t Cut(int64_t room) const { return FragmentCut(fileLength - offset, room, volumeHasFragment); }
  void Stored(int32_t length) {
    offset += length;
    volumeHasFragment = true;
  }
  void NextVolume() { volumeHasFragment = false; }
  // The same file bytes, whatever the volume.
  bool SamePlace(const FragmentCursor& other) const {
    return file == other.file && offset == other.offset && fileLength == other.fileLength && name == other.name;
  }
};

}  // namespace pb
