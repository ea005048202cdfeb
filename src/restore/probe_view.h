// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

namespace pb {

// The read page as the set probe sees it.
class ProbeView {
 public:
  virtual ~ProbeView() = default;
  virtual std::string SourceDirectory() const = 0;             // DirList(1) path, drive form
  virtual void SetRestoreEnabled(bool enabled) = 0;            // Command1(5)
  virtual void SetRestoreInfo(const std::string& text) = 0;    // RestoreInfoLabel
  virtual void SetDescription(const std::string& text) = 0;    // ArchivBeschreibungTextBox(1)
};

// Results of the last probe that found a set; kept for the whole program start.
struct ProbeResults {
  int32_t ArchiveFileCount = 0;
  std::string ArchiveDescription;
  int32_t ArchiveDataStart = 0;  // 1-based position of the first FileHeader in volume 1
};

}  // namespace pb
