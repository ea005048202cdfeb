// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/volume_name.h"

#include <algorithm>
#include <cctype>

#include "store/repair_volume.h"
#include "store/set_identity.h"
#include "store/stamp_record.h"

namespace pb {

namespace {

constexpr std::string_view kVolumePrefix = "DataBlock#";
constexpr std::string_view kVolumeSuffix = ".Parcelbarge";

}  // namespace

std::string VolumeFileName(int16_t VolumeNumber) {
  return std::string(kVolumePrefix) + std::to_string(VolumeNumber) + std::string(kVolumeSuffix);
}

std::optional<int16_t> VolumeNumberOf(std::string_view name) {
  if (!IsSetFileName(name) || !name.starts_with(kVolumePrefix)) return std::nullopt;
  const std::string_view digits =
      name.substr(kVolumePrefix.size(), name.size() - kVolumePrefix.size() - kVolumeSuffix.size());
  if (digits.size() > 5) return std::nullopt;
  const int number = std::stoi(std::string(digits));
  if (number < 1 || number > INT16_MAX || VolumeFileName(static_cast<int16_t>(number)) != name) return std::nullopt;
  return static_cast<int16_t>(number);
}

bool IsSetFileName(std::string_view name) {
  if (name == kIdentityFileName || name == kStampFileName || ParseRepairFileName(name)) return true;
  if (!name.starts_with(kVolumePrefix) || !name.ends_with(kVolumeSuffix)) return false;
  const std::string_view number =
      name.substr(kVolumePrefix.size(), name.size() - kVolumePrefix.size() - kVolumeSuffix.size());
  return !number.empty() &&
         std::all_of(number.begin(), number.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

}  // namespace pb
