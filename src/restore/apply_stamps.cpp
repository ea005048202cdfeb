// SPDX-License-Identifier: GPL-3.0-or-later
#include "restore/apply_stamps.h"

#include <algorithm>

#include "support/run_time_error.h"

namespace pb {

namespace {

std::string_view LastComponent(std::string_view path) { return path.substr(path.rfind('\\') + 1); }

std::size_t Depth(const std::string& path) { return static_cast<std::size_t>(std::count(path.begin(), path.end(), '\\')); }

}  // namespace

void StampApplier::FileBegun(const std::string& storedName) {
  stamps_.FileBegun(storedName);
  ++fileNumber_;
  storedName_ = storedName;
}

// A stored directory is the target directory that holds the same names below
// it, up to where the target's own directory or the stored drive begins.
void StampApplier::Restored(const std::string& targetPath) {
  files_.emplace_back(fileNumber_, targetPath);
  std::string stored = storedName_;
  std::string target = targetPath;
  for (;;) {
    const std::size_t storedEnd = stored.rfind('\\');
    const std::size_t targetEnd = target.rfind('\\');
    if (storedEnd == std::string::npos || storedEnd <= 2 || targetEnd == std::string::npos ||
        targetEnd < targetDir_.size() || LastComponent(stored) != LastComponent(target)) {
      return;
    }
    stored.resize(storedEnd);
    target.resize(targetEnd);
    if (!directories_.emplace(stored, target).second) return;
  }
}

void StampApplier::Apply(Runtime& runtime, const std::string& sourceDir, int32_t setFileCount, bool complete) {
  if (files_.empty()) return;
  const SetStamps::Found found =
      complete ? stamps_.Load(runtime.fs, sourceDir) : stamps_.LoadBeforeEnd(runtime.fs, sourceDir, setFileCount);
  if (found == SetStamps::Found::Damaged) {
    runtime.boxes.Show(MessageBox{.text = "Die Zeiten und Rechte der Dateien sind beschädigt (" +
                                          std::string(kStampFileName) + "); die Dateien bleiben, wie sie sind.",
                                  .icon = BoxIcon::Information});
  }
  if (found != SetStamps::Found::Fits) return;
  if (const int failed = ApplyRecord(runtime.fs); failed > 0) {
    runtime.boxes.Show(MessageBox{.text = std::to_string(failed) +
                                          " Dateien und Verzeichnisse bekamen ihre Zeit und Rechte nicht zurück.",
                                  .icon = BoxIcon::Information});
  }
}

int StampApplier::ApplyRecord(FileSystem& fs) const {
  const SetStamps& stamps = stamps_;
  int failed = 0;
  const auto apply = [&](const std::string& path, const FileStamp& stamp) {
    try {
      fs.ApplyStamp(path, stamp);
    } catch (const RunTimeError&) {
      ++failed;
    }
  };
  for (const auto& [number, path] : files_) {
    if (const std::optional<FileStamp> stamp = stamps.FileStampOf(number)) apply(path, *stamp);
  }
  std::vector<std::pair<std::string, FileStamp>> directories;
  for (const DirectoryStamp& directory : stamps.record().directories) {
    const auto found = directories_.find(directory.name);
    if (found != directories_.end() && directory.stamp.mode != kStampUnknown) {
      directories.emplace_back(found->second, directory.stamp);
    }
  }
  std::stable_sort(directories.begin(), directories.end(),
                   [](const auto& a, const auto& b) { return Depth(a.first) > Depth(b.first); });
  for (const auto& [path, stamp] : directories) apply(path, stamp);
  return failed;
}

}  // namespace pb
