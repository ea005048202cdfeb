// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace pb::testing {

// A backup set decoded by a reader written from the format description alone,
// independent of the program's store code. Any deviation from the format
// (split item, bad stream, lengths that do not add up, bytes left over) throws
// std::runtime_error naming it.
struct DecodedFile {
  std::string name;                 // as stored, Windows-1252 bytes
  std::string data;
  int volume = 0;                   // 1-based volume holding the FileHeader
  std::vector<int32_t> fragments;   // NormalLen of each fragment
};

struct DecodedSet {
  int16_t major = 0, minor = 0, revision = 0, reserved = 0;
  int32_t fileCount = 0;
  std::string description;          // Windows-1252 bytes
  std::vector<DecodedFile> files;
};

DecodedSet DecodeSet(const std::vector<std::string>& volumes);

// The contents of DataBlock#1.Parcelbarge, #2, ... in a native directory, up
// to the first number that is missing.
std::vector<std::string> ReadVolumes(const std::filesystem::path& directory);

}  // namespace pb::testing
