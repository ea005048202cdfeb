#pragma once

#include <string>

#include "restore/probe_view.h"

namespace pb::testing {

// The read page reduced to what the probe reads and sets.
class RecordingProbeView : public ProbeView {
 public:
  explicit RecordingProbeView(std::string source) : source_(std::move(source)) {}
  std::string SourceDirectory() const override { return source_; }
  void SetRestoreEnabled(bool enabled) override { restoreEnabled = enabled; }
  void SetRestoreInfo(const std::string& text) override { info = text; }
  void SetDescription(const std::string& text) override { description = text; }

  void SetSource(std::string source) { source_ = std::move(source); }

  bool restoreEnabled = true;  // the probe must set it either way
  std::string info = "unset";
  std::string description = "unset";

 private:
  std::string source_;
};

}  // namespace pb::testing
