// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/set_identity.h"
#include "support/file_system.h"

namespace pb {

// The times and permissions of a set's files and of the directories above
// them. The format has no room for them and its volumes stay as they are, so
// they lie in a companion record beside the set's last volume, written once
// the set is complete. It begins with text a reader can make out:
//
//   Parcelbarge-Zeiten 1
//   Satz <the identity record's set identity, or ->
//   Dateien <file count> <32 hex digits, NamesChecksum of the stored names>
//   Daten <packed length> <length> <32 hex digits, XXH3-128 of the packed bytes>
//
// and goes on with one zlib stream. Inflated, it holds for each file in the
// set's order, then for each directory after its count and stored name, the
// seconds as the difference to the entry before, the nanoseconds and the
// mode, each a variable-length number of 7 bits a byte: files of one tree
// cost a few bytes each.
inline constexpr std::string_view kStampFileName = "Parcelbarge-Zeiten.dat";

// The mode of an entry whose stamp could not be taken: a restore leaves it as
// it makes it.
inline constexpr int kStampUnknown = 010000;

struct DirectoryStamp {
  std::string name;  // stored form, as a file's header holds its name
  FileStamp stamp;
  friend bool operator==(const DirectoryStamp&, const DirectoryStamp&) = default;
};

struct StampRecord {
  std::string setId;          // "" when the set has no identity record
  std::string namesChecksum;  // of the set's stored file names, in order
  std::vector<FileStamp> files;  // one per file of the set, in its order
  std::vector<DirectoryStamp> directories;
  friend bool operator==(const StampRecord&, const StampRecord&) = default;
};

// Binds a record to the set whose file names, fed in the set's order, it was
// made for.
class NamesChecksum {
 public:
  void Add(std::string_view storedName);
  std::string Hex() const { return checksum_.Hex(); }

 private:
  VolumeChecksum checksum_;
};

std::string StampRecordBytes(const StampRecord& record);
// nullopt for anything but a whole, well-formed record of a version this
// program knows.
std::optional<StampRecord> ParseStampRecord(std::string_view bytes);

}  // namespace pb
