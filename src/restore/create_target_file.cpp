// SPDX-License-Identifier: GPL-3.0-or-later
#include "restore/create_target_file.h"

#include <vector>

#include "support/run_time_error.h"

namespace pb {

namespace {

// FileName is UTF-8, so a character may take several bytes.
std::string WithoutFirstCharacters(const std::string& utf8, int count) {
  std::size_t pos = 0;
  for (int i = 0; i < count && pos < utf8.size(); ++i) {
    ++pos;
    while (pos < utf8.size() && (static_cast<unsigned char>(utf8[pos]) & 0xC0) == 0x80) ++pos;
  }
  return utf8.substr(pos);
}

bool Exists(FileSystem& fs, const std::string& path) {
  try {
    return !fs.FindEntry(path, kMaskAll).empty();
  } catch (const RunTimeError&) {
    return false;
  }
}

}  // namespace

std::string TargetPathFor(const std::string& targetDir, const std::string& FileName) {
  return targetDir + WithoutFirstCharacters(FileName, 3);
}

int32_t CreateTargetFile(FileSystem& fs, const std::string& Path) {
  std::vector<std::string> directories;  // from the drive root down
  for (std::size_t p = Path.find('\\'); p != std::string::npos; p = Path.find('\\', p + 1)) {
    directories.push_back(Path.substr(0, p));
  }
  // The file's own directory almost always exists already, and then so does
  // everything above it: look from there upwards. A look that fails is made
  // again on the way down, where it fails as it would from the top.
  std::size_t first = directories.size();
  while (first > 0 && !Exists(fs, directories[first - 1])) --first;
  try {
    for (std::size_t i = first; i < directories.size(); ++i) {
      if (fs.FindEntry(directories[i], kMaskAll).empty()) fs.CreateDirectory(directories[i]);
    }
    fs.Close(fs.Open(Path, OpenMode::Output));
    return 0;
  } catch (const RunTimeError& error) {
    return error.code();
  }
}

}  // namespace pb
