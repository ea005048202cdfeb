// SPDX-License-Identifier: GPL-3.0-or-later
#include "restore/create_target_file.h"

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

}  // namespace

std::string TargetPathFor(const std::string& targetDir, const std::string& FileName) {
  return targetDir + WithoutFirstCharacters(FileName, 3);
}

int32_t CreateTargetFile(FileSystem& fs, const std::string& Path) {
  try {
    for (std::size_t p = Path.find('\\'); p != std::string::npos; p = Path.find('\\', p + 1)) {
      const std::string prefix = Path.substr(0, p);
      if (fs.FindEntry(prefix, kMaskAll).empty()) fs.CreateDirectory(prefix);
    }
    fs.Close(fs.Open(Path, OpenMode::Output));
    return 0;
  } catch (const RunTimeError& error) {
    return error.code();
  }
}

}  // namespace pb
