// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace pb::testing {

// Writes a set byte by byte, independently of the program's own writer, so
// tests can also build sets no writer would make. Text is given as stored
// (Windows-1252 bytes).
class SetBuilder {
 public:
  SetBuilder() : volumes_(1) {}

  SetBuilder& Raw(const std::string& bytes);
  SetBuilder& Int16(int16_t value);
  SetBuilder& Int32(int32_t value);

  SetBuilder& Header(int32_t fileCount, const std::string& description = "", int16_t minor = 1,
                     int16_t revision = 2, int16_t reserved = 0, int16_t major = 1,
                     const std::string& magic = "ZK's Parcelbarge");
  SetBuilder& File(int32_t length, const std::string& name);
  // One fragment holding data, compressed by zlib.
  SetBuilder& Fragment(const std::string& data);
  SetBuilder& RawFragment(int32_t normalLen, const std::string& payload);
  // A file header followed by fragments of at most fragmentSize bytes.
  SetBuilder& FileWithData(const std::string& name, const std::string& data, std::size_t fragmentSize = 131072);
  // Ends the current volume; what follows goes to the next one.
  SetBuilder& Cut();

  std::vector<std::string>& volumes() { return volumes_; }
  // Writes DataBlock#n.Parcelbarge for every volume into a native directory.
  void WriteTo(const std::filesystem::path& dir) const;

 private:
  std::vector<std::string> volumes_;
};

// The zlib stream of data, as a writer of the format makes it.
std::string Compressed(const std::string& data);

}  // namespace pb::testing
