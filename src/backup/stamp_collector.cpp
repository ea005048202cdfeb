// SPDX-License-Identifier: GPL-3.0-or-later
#include "backup/stamp_collector.h"

#include <memory>
#include <set>

#include "support/run_time_error.h"

namespace pb {

void StampCollector::Opened(int number, const std::string& storedName, const ReadableFile& source) {
  const auto at = static_cast<std::size_t>(number - 1);
  names_[at] = storedName;
  try {
    record_.files[at] = source.Stamp();
  } catch (const RunTimeError&) {
    // Only the time and permissions are lost; the file's bytes are not.
    record_.files[at] = {0, 0, kStampUnknown};
  }
}

void StampCollector::Write(FileSystem& fs, const std::string& target, const std::string& setId) {
  NamesChecksum names;
  std::set<std::string> directories;
  for (const std::string& name : names_) {
    names.Add(name);
    // Every directory a restore makes for the file, the drive root aside.
    for (std::size_t end = name.rfind('\\'); end != std::string::npos && end > 2; end = name.rfind('\\', end - 1)) {
      if (!directories.insert(name.substr(0, end)).second) break;
    }
  }
  record_.setId = setId;
  record_.namesChecksum = names.Hex();
  record_.directories.clear();
  for (const std::string& directory : directories) {
    FileStamp stamp{0, 0, kStampUnknown};
    try {
      stamp = fs.StampAt(directory);
    } catch (const RunTimeError&) {
    }
    record_.directories.push_back({directory, stamp});
  }
  const std::string path = target + std::string(kStampFileName);
  const std::string bytes = StampRecordBytes(record_);
  try {
    const std::unique_ptr<WritableFile> file = fs.OpenWritable(path);
    file->Write(bytes);
    file->Flush();
    file->Close();
  } catch (const RunTimeError&) {
    try {
      if (!fs.FindEntry(path, kMaskFiles).empty()) fs.DeleteFile(path);
    } catch (const RunTimeError&) {
    }
    throw;
  }
}

}  // namespace pb
