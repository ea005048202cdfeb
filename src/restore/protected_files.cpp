// SPDX-License-Identifier: GPL-3.0-or-later
#include "restore/protected_files.h"

#include "store/volume_name.h"
#include "support/run_time_error.h"

namespace pb {

void ProtectedFiles::VolumeOpened(int16_t number) {
  const std::string volume = Identity(SourceDir_ + VolumeFileName(number));
  if (volume.empty() || setFiles_.count(volume) != 0) return;
  setFiles_.insert(volume);
  std::vector<std::string> names;
  try {
    names = fs_.ListDirectory(SourceDir_, kMaskFiles);
  } catch (const RunTimeError&) {
    return;  // the volume itself is known; the reading tells what fails
  }
  for (const std::string& name : names) {
    if (!IsSetFileName(name)) continue;
    const std::string identity = Identity(SourceDir_ + name);
    if (!identity.empty()) setFiles_.insert(identity);
  }
}

TargetCheck ProtectedFiles::Check(const std::string& path) {
  const std::string identity = Identity(path);
  if (identity.empty()) return {};
  if (setFiles_.count(identity) != 0) return {true, "Sie gehört zum Sicherungssatz, der gerade gelesen wird."};
  IdentifyRestored();
  const auto restored = restored_.find(identity);
  // The same name twice in a set is the same file stored twice: the later
  // copy replaces the earlier as it would any file.
  if (restored != restored_.end() && restored->second != path) {
    return {true, "An ihrer Stelle steht schon die eben wiederhergestellte Datei " + restored->second +
                      "; das Ziel unterscheidet die beiden Namen nicht."};
  }
  return {true, ""};
}

// A file is the same as when it was restored: nothing but the restore itself
// writes there, and a later copy of the same name takes its place.
void ProtectedFiles::IdentifyRestored() {
  for (const std::string& path : unidentified_) {
    const std::string identity = Identity(path);
    if (!identity.empty()) restored_[identity] = path;
  }
  unidentified_.clear();
}

std::string ProtectedFiles::Identity(const std::string& path) {
  try {
    return fs_.FileIdentity(path);
  } catch (const RunTimeError&) {
    return "";
  }
}

}  // namespace pb
