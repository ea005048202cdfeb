// SPDX-License-Identifier: GPL-3.0-or-later
#include "size_argument.h"

#include <regex>

namespace pb::cli {

std::optional<VolumeSizeText> ParseVolumeSize(const std::string& argument) {
  static const std::regex size(R"(([0-9]+)(?:[.,]([0-9]+))?(K|k|KiB|M|m|MiB))");
  std::smatch match;
  if (!std::regex_match(argument, match, size)) return std::nullopt;
  VolumeSizeText text;
  text.number = match[1].str();
  if (match[2].matched) {
    // Appended piece by piece: GCC 12 warns falsely about "." + string.
    text.number += '.';
    text.number += match[2].str();
  }
  const char unit = match[3].str().front();
  text.unitIndex = unit == 'K' || unit == 'k' ? 0 : 1;
  return text;
}

}  // namespace pb::cli
