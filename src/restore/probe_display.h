// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "restore/probe_view.h"

namespace pb {

// A read page without a window: keeps what the probe shows, for the
// command-line tool and the tests.
class ProbeDisplay : public ProbeView {
 public:
  explicit ProbeDisplay(std::string sourceDirectory) : sourceDirectory_(std::move(sourceDirectory)) {}
  std::string SourceDirectory() const override { return sourceDirectory_; }
  void SetRestoreEnabled(bool enabled) override { restoreEnabled = enabled; }
  void SetRestoreInfo(const std::string& text) override { restoreInfo = text; }
  void SetDescription(const std::string& text) override { description = text; }

  bool restoreEnabled = false;
  std::string restoreInfo;
  std::string description;

 private:
  std::string sourceDirectory_;
};

}  // namespace pb
