// SPDX-License-Identifier: GPL-3.0-or-later
#include "size_argument.h"

#include <charconv>
#include <limits>
#include <regex>

#include "backup/volume_size.h"

namespace pb::cli {

std::optional<int64_t> ParseVolumeSize(const std::string& argument) {
  static const std::regex size(R"(([0-9]+)(?:[.,]([0-9]+))?(K|k|KiB|M|m|MiB))");
  std::smatch match;
  if (!std::regex_match(argument, match, size)) return std::nullopt;
  std::string number = match[1].str();
  if (match[2].matched) {
    // Appended piece by piece: GCC 12 warns falsely about "." + string.
    number += '.';
    number += match[2].str();
  }
  double value = 0;
  if (std::from_chars(number.data(), number.data() + number.size(), value).ec != std::errc{}) {
    value = std::numeric_limits<double>::infinity();  // too many digits: refused as too large
  }
  const char unit = match[3].str().front();
  return VolumeSizeBytes(value, unit == 'K' || unit == 'k' ? 0 : 1);
}

}  // namespace pb::cli
