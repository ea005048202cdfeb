// SPDX-License-Identifier: GPL-3.0-or-later
#include "set_media.h"

#include "temp_dir.h"

namespace pb::testing {

std::string IdentityRecordOf(const std::vector<std::string>& volumes, const std::string& setId, int first, int last,
                             VolumeState lastState) {
  SetIdentity identity{setId, {}};
  for (int n = first; n <= last; ++n) {
    const std::string& bytes = volumes.at(static_cast<std::size_t>(n - 1));
    VolumeChecksum checksum;
    checksum.Update(bytes);
    const bool lastOfSet = n == static_cast<int>(volumes.size());
    identity.volumes.push_back({static_cast<int16_t>(n), lastOfSet ? lastState : VolumeState::More,
                                static_cast<int64_t>(bytes.size()), checksum.Hex()});
  }
  return IdentityRecordBytes(identity);
}

Medium DisketteOf(const std::vector<std::string>& volumes, const std::string& setId, int n) {
  return {{"DataBlock#" + std::to_string(n) + ".Parcelbarge", volumes.at(static_cast<std::size_t>(n - 1))},
          {std::string(kIdentityFileName), IdentityRecordOf(volumes, setId, n, n)}};
}

void PutInDrive(const std::filesystem::path& drive, const Medium& medium) {
  std::filesystem::create_directories(drive);
  for (const auto& entry : std::filesystem::directory_iterator(drive)) {
    if (entry.is_regular_file()) std::filesystem::remove(entry.path());
  }
  for (const auto& [name, bytes] : medium) WriteFile(drive / name, bytes);
}

}  // namespace pb::testing
