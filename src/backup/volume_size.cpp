// SPDX-License-Identifier: GPL-3.0-or-later
#include "backup/volume_size.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "store/records.h"

namespace pb {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t SkipDigits(const std::string& text, std::size_t pos) {
  while (pos < text.size() && IsDigit(text[pos])) ++pos;
  return pos;
}

// The leading decimal number of text after blanks, with optional sign,
// fraction and exponent; 0 when the text does not start with one.
double LeadingNumber(const std::string& text) {
  std::size_t begin = text.find_first_not_of(" \t\r\n");
  if (begin == std::string::npos) return 0;
  std::size_t pos = begin;
  const bool negative = text[pos] == '-';
  if (text[pos] == '+' || text[pos] == '-') ++pos;
  const std::size_t digitsBegin = pos;
  pos = SkipDigits(text, pos);
  std::size_t digits = pos - digitsBegin;
  if (pos < text.size() && text[pos] == '.') {
    const std::size_t fractionEnd = SkipDigits(text, pos + 1);
    digits += fractionEnd - pos - 1;
    pos = fractionEnd;
  }
  if (digits == 0) return 0;
  // An exponent counts only when digits follow it.
  if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
    std::size_t exponent = pos + 1;
    if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) ++exponent;
    const std::size_t exponentEnd = SkipDigits(text, exponent);
    if (exponentEnd > exponent) pos = exponentEnd;
  }
  double value = 0;
  const std::from_chars_result parsed = std::from_chars(text.data() + digitsBegin, text.data() + pos, value);
  if (parsed.ec == std::errc::result_out_of_range) value = std::numeric_limits<double>::infinity();
  return negative ? -value : value;
}

}  // namespace

int64_t VolumeSizeLimit(bool own, const std::string& text, int unitIndex) {
  return own ? VolumeSizeBytes(LeadingNumber(text), unitIndex) : kDefaultVolumeSize;
}

int64_t VolumeSizeBytes(double number, int unitIndex) {
  const double bytes = std::nearbyint(number * std::pow(1024.0, unitIndex + 1));
  // Out-of-range sizes are clamped so the conversion stays defined; the
  // refusal check rejects them anyway.
  constexpr double kLimit = 9.0e18;
  if (!(bytes < kLimit)) return std::numeric_limits<int64_t>::max();
  if (!(bytes > -kLimit)) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(bytes);
}

int64_t MinimumVolumeCount(int64_t fileBytes, int fileCount, int64_t limit) {
  // A fragment's header and the shortest zlib stream of a non-empty input.
  constexpr int64_t kSmallestFragmentItem = 8 + 8;
  // File bytes a volume can take when its first fragment finds room.
  int64_t perVolume = 0;
  for (int64_t free = limit; free > 0 && perVolume < fileBytes; free -= kSmallestFragmentItem) {
    perVolume += std::min<int64_t>(free, kFragmentSize);
  }
  // A volume whose leading records reach the limit gets one short fragment;
  // only volume 1 and a volume that begins with a file's header can.
  const int64_t shortVolumes = int64_t{fileCount} + 1;
  int64_t rest = fileBytes;
  if (perVolume < kMinimumFragment) rest = std::max<int64_t>(0, fileBytes - shortVolumes * kMinimumFragment);
  if (fileBytes == 0) return 0;
  if (perVolume <= 0) return std::numeric_limits<int64_t>::max();
  return std::max<int64_t>(1, (rest + perVolume - 1) / perVolume);
}

}  // namespace pb
