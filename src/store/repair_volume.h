// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "store/set_identity.h"

namespace pb {

// A repair volume holds one row of the code over a group of data volumes
// and says by itself what it repairs, so it serves without any identity
// record: a text head, the row's bytes (as many as the group's longest
// volume has), then the checksum of all bytes before it and a line end.
//
//   Parcelbarge-Reparatur 1
//   Satz <32 hex digits>
//   Zeile 1 von 2
//   Band 00001 0001457182 <32 hex digits> weiter
//   …
//   Daten
//
// A medium that cannot hold a repair volume whole takes its beginning; the
// rest goes on in pieces of the same number on the next media.
inline constexpr std::string_view kRepairFilePrefix = "Reparatur#";
inline constexpr std::size_t kMaxRepairHeadBytes = 64 * 1024;
inline constexpr std::size_t kRepairTrailerBytes = 33;

// Reparatur#3.Parcelbarge for piece 1, Reparatur#3-2.Parcelbarge after it.
std::string RepairFileName(int number, int piece = 1);
// The number and piece of a repair file's name; nullopt for any other name.
std::optional<std::pair<int, int>> ParseRepairFileName(std::string_view name);

struct RepairHead {
  std::string setId;
  int row = 0;   // 0-based
  int rows = 0;  // repair volumes per group
  std::vector<VolumeEntry> volumes;  // the group's data volumes in order

  int16_t FirstVolume() const { return volumes.front().number; }
  // 1-based over the set: the groups' rows one after the other.
  int Number() const;
  int64_t RowLength() const;
};

std::string RepairHeadBytes(const RepairHead& head);
// The head at the start of bytes and its length in bytes; nullopt unless
// bytes begin with a whole, well-formed head.
std::optional<std::pair<RepairHead, std::size_t>> ParseRepairHead(std::string_view bytes);

// The group of data volumes that the volume number belongs to with rows
// repair volumes per group: first volume and place in it.
std::pair<int16_t, int> RepairGroupOf(int16_t number, int rows);

}  // namespace pb
