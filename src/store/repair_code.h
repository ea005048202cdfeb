// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace pb {

// The erasure code of the repair volumes: a systematic Reed–Solomon code over
// GF(2^8), from ISA-L. The data volumes of a group are its data shards, each
// taken as padded with zeros to the group's longest; each parity row is one
// repair volume. A row's coefficient for a volume depends only on the row and
// the volume's place in its group, never on how many volumes the group ends
// up with, so the rows can be gathered while the volumes are still written.

// Shards of one group, data and parity together.
inline constexpr int kMaxRepairShards = 255;
// At most this many repair volumes per group.
inline constexpr int kMaxRepairRows = 16;

// False where the program was built without the code (the Windows build).
bool RepairCodeAvailable();

// Data volumes per group with repairRows rows.
inline int RepairGroupSize(int repairRows) { return kMaxRepairShards - repairRows; }

class RepairEncoder {
 public:
  explicit RepairEncoder(int repairRows);

  // Adds length bytes of the data volume at place (0-based within its group)
  // into the same bytes of each of the rows' buffers.
  void Add(int place, const uint8_t* data, std::size_t length, uint8_t* const* rows) const;

 private:
  int rows_;
  std::vector<unsigned char> tables_;
};

// Rebuilds the lost data volumes of a group of count volumes.
class RepairDecoder {
 public:
  // lost: the places of the lost volumes; rows: the rows at hand. nullopt
  // when fewer rows than lost volumes are at hand.
  static std::optional<RepairDecoder> For(int repairRows, int count, std::vector<int> lost, std::vector<int> rows);

  // What Rebuild takes as sources, in this order: the data volumes kept (by
  // place), then the rows used.
  const std::vector<int>& keptPlaces() const { return kept_; }
  const std::vector<int>& usedRows() const { return used_; }
  const std::vector<int>& lostPlaces() const { return lost_; }

  // Fills one buffer per lost place with length bytes from the sources'
  // same bytes.
  void Rebuild(std::size_t length, const uint8_t* const* sources, uint8_t* const* lost) const;

 private:
  RepairDecoder() = default;

  int count_ = 0;
  std::vector<int> kept_;
  std::vector<int> used_;
  std::vector<int> lost_;
  std::vector<unsigned char> tables_;
};

}  // namespace pb
