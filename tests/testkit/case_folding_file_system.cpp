// SPDX-License-Identifier: GPL-3.0-or-later
#include "case_folding_file_system.h"

namespace pb::testing {

std::string CaseFoldingFileSystem::Folded(const std::string& path) const {
  if (path.compare(0, root_.size(), root_) != 0) return path;
  std::string folded = path;
  for (std::size_t i = root_.size(); i < folded.size(); ++i) {
    const auto c = static_cast<unsigned char>(folded[i]);
    if (c >= 'A' && c <= 'Z') folded[i] = static_cast<char>(c + 32);
    // UTF-8 of U+00C0 … U+00DE but the multiplication sign: Latin-1 capitals.
    const auto next = i + 1 < folded.size() ? static_cast<unsigned char>(folded[i + 1]) : 0;
    if (c == 0xC3 && next >= 0x80 && next <= 0x9E && next != 0x97) folded[++i] = static_cast<char>(next + 32);
  }
  return folded;
}

}  // namespace pb::testing
