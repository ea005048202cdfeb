// SPDX-License-Identifier: GPL-3.0-or-later
#include "backup/directory_walk.h"

#include "support/paths.h"
#include "support/run_time_error.h"

namespace pb {

namespace {

// Names the file system cannot represent come back with "?", which no path
// may hold; querying them would fail anyway.
bool Addressable(const std::string& name) { return name.find('?') == std::string::npos; }

}  // namespace

std::string ReasonNotTaken(int attributes) {
  if (attributes & kAttrNoTarget) return "Verknüpfung ohne Ziel";
  if (attributes & kAttrLoop) return "führt zurück in ein Verzeichnis darüber";
  if (attributes & kAttrSpecial) return "keine gewöhnliche Datei";
  return "";
}

void CollectDirectoryFiles(FileSystem& fs, Host& host, const std::string& directory, bool reset,
                           std::vector<std::string>& foundFiles, SelectionReport* report, bool includeHidden) {
  std::vector<std::string> subdirectories;
  if (reset) foundFiles.clear();
  const std::string prefix = WithTrailingBackslash(directory);
  const auto leaveOut = [&](const std::string& name, const std::string& reason) {
    if (report) report->leftOut.push_back({name, reason});
  };
  std::vector<DirectoryEntry> entries;
  try {
    entries = fs.ListEntries(prefix, kMaskWalk);
  } catch (const RunTimeError& error) {
    leaveOut(directory, error.description());
  }
  for (const auto& [name, attributes, error] : entries) {
    const std::string full = prefix + name;
    if (name.front() == '.' && !includeHidden) {
      if (report) ++report->dotNames;
      continue;
    }
    if (!Addressable(name)) {
      leaveOut(full, "Der Name enthält Zeichen, die ein Sicherungssatz nicht speichern kann");
      continue;
    }
    if (error != 0) {
      leaveOut(full, ErrorDescription(error));
      continue;
    }
    if (const std::string reason = ReasonNotTaken(attributes); !reason.empty()) {
      leaveOut(full, reason);
    } else if (attributes & kAttrDirectory) {
      subdirectories.push_back(full);
    } else {
      foundFiles.push_back(full);
    }
  }
  host.Yield();
  while (!subdirectories.empty()) {
    CollectDirectoryFiles(fs, host, subdirectories.back(), false, foundFiles, report, includeHidden);
    subdirectories.pop_back();
  }
}

}  // namespace pb
