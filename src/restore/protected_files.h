// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "support/file_system.h"

namespace pb {

// What a restore finds at a file's target before creating it.
struct TargetCheck {
  bool exists = false;  // a regular file lies there, to be replaced
  std::string refusal;  // why it must not be, or ""
};

// The files a restore must never write over, told apart by their identity,
// so no other name (a hard link, a letter case the file system ignores)
// reaches them: the files of the set it reads on the medium it reads from,
// and the files it restored itself.
class ProtectedFiles {
 public:
  ProtectedFiles(FileSystem& fs, std::string SourceDir) : fs_(fs), SourceDir_(std::move(SourceDir)) {}

  // A volume not seen before may lie on another medium, beside other files
  // of the set: they are learnt anew.
  void VolumeOpened(int16_t number);
  TargetCheck Check(const std::string& path);
  // path holds a complete restored file. Its identity is taken only when a
  // later check finds something in a file's place, which in a fresh target
  // never happens.
  void Restored(const std::string& path) { unidentified_.push_back(path); }

 private:
  void IdentifyRestored();
  // "" for nothing there, or for what cannot be looked at: creating it will
  // tell whether the place can be written.
  std::string Identity(const std::string& path);

  FileSystem& fs_;
  std::string SourceDir_;
  std::set<std::string> setFiles_;
  std::map<std::string, std::string> restored_;  // identity -> target path
  std::vector<std::string> unidentified_;         // restored, in their order
};

}  // namespace pb
