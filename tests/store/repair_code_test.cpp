// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/repair_code.h"

#include <gtest/gtest.h>

#include <random>

namespace pb {
namespace {

using Bytes = std::vector<uint8_t>;

// Volumes of differing lengths, each taken as padded to the longest.
std::vector<Bytes> Volumes(const std::vector<std::size_t>& lengths, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<Bytes> volumes;
  for (std::size_t length : lengths) {
    Bytes volume(length);
    for (uint8_t& byte : volume) byte = static_cast<uint8_t>(random());
    volumes.push_back(volume);
  }
  return volumes;
}

std::size_t Longest(const std::vector<Bytes>& volumes) {
  std::size_t longest = 0;
  for (const Bytes& volume : volumes) longest = std::max(longest, volume.size());
  return longest;
}

// The rows as the backup gathers them: volume by volume, each in two pieces.
std::vector<Bytes> Rows(const std::vector<Bytes>& volumes, int rows, int firstPlace = 0) {
  const RepairEncoder encoder(rows);
  std::vector<Bytes> parity(static_cast<std::size_t>(rows), Bytes(Longest(volumes), 0));
  for (std::size_t v = 0; v < volumes.size(); ++v) {
    const std::size_t half = volumes[v].size() / 2;
    for (const auto& [start, end] : {std::pair{std::size_t{0}, half}, std::pair{half, volumes[v].size()}}) {
      std::vector<uint8_t*> at;
      for (Bytes& row : parity) at.push_back(row.data() + start);
      encoder.Add(firstPlace + static_cast<int>(v), volumes[v].data() + start, end - start, at.data());
    }
  }
  return parity;
}

struct Loss {
  std::vector<std::size_t> lengths;
  int rows;
  std::vector<int> lost;
  std::vector<int> rowsAtHand;
  bool rebuilt;
};

TEST(RepairCode, LostVolumesComeBackWhileNoMoreAreLostThanRowsAreAtHand) {
  if (!RepairCodeAvailable()) GTEST_SKIP() << "built without the repair code";
  const std::vector<Loss> losses = {
      {{1000, 1000, 1000, 1000, 400}, 1, {2}, {0}, true},
      {{1000, 1000, 1000, 1000, 400}, 1, {4}, {0}, true},   // the short last volume
      {{1000, 1000, 1000, 1000, 400}, 1, {0}, {}, false},   // its row lost too
      {{1000, 999, 17, 1, 33}, 2, {1, 3}, {0, 1}, true},    // lengths below the code's vector width
      {{1000, 999, 17, 1, 33}, 2, {0, 2, 4}, {0, 1}, false},
      {{5000, 5000, 5000}, 3, {0, 1, 2}, {2, 0, 1}, true},  // every data volume, from rows alone
      {{300, 200, 100, 50}, 3, {3}, {2}, true},             // a later row alone
      {{64}, 2, {0}, {1}, true},
  };
  for (const Loss& loss : losses) {
    const std::vector<Bytes> volumes = Volumes(loss.lengths, static_cast<unsigned>(loss.lost.size() * 7 + loss.rows));
    const std::vector<Bytes> parity = Rows(volumes, loss.rows);
    const auto decoder = RepairDecoder::For(loss.rows, static_cast<int>(volumes.size()), loss.lost, loss.rowsAtHand);
    ASSERT_EQ(decoder.has_value(), loss.rebuilt) << loss.lost.size() << " lost of " << volumes.size();
    if (!decoder) continue;
    const std::size_t length = Longest(volumes);
    std::vector<Bytes> padded;
    std::vector<const uint8_t*> sources;
    for (int place : decoder->keptPlaces()) {
      padded.push_back(volumes[static_cast<std::size_t>(place)]);
      padded.back().resize(length, 0);
    }
    for (const Bytes& volume : padded) sources.push_back(volume.data());
    for (int row : decoder->usedRows()) sources.push_back(parity[static_cast<std::size_t>(row)].data());
    std::vector<Bytes> out(decoder->lostPlaces().size(), Bytes(length));
    std::vector<uint8_t*> outs;
    for (Bytes& buffer : out) outs.push_back(buffer.data());
    decoder->Rebuild(length, sources.data(), outs.data());
    for (std::size_t i = 0; i < out.size(); ++i) {
      const Bytes& original = volumes[static_cast<std::size_t>(decoder->lostPlaces()[i])];
      EXPECT_EQ(Bytes(out[i].begin(), out[i].begin() + static_cast<std::ptrdiff_t>(original.size())), original);
      EXPECT_EQ(Bytes(out[i].begin() + static_cast<std::ptrdiff_t>(original.size()), out[i].end()),
                Bytes(length - original.size(), 0));
    }
  }
}

// A group's rows do not depend on how many volumes follow: the rows of the
// first volumes are those of a group that ends there.
TEST(RepairCode, RowsOfAGroupDoNotDependOnItsLaterVolumes) {
  if (!RepairCodeAvailable()) GTEST_SKIP() << "built without the repair code";
  const std::vector<Bytes> volumes = Volumes({500, 500, 500, 500}, 3);
  const std::vector<Bytes> all = Rows(volumes, 2);
  const std::vector<Bytes> zeros(2, Bytes(500, 0));
  std::vector<Bytes> lastOnly = Rows({volumes[3]}, 2, 3);
  std::vector<Bytes> firstThree = Rows({volumes.begin(), volumes.begin() + 3}, 2);
  for (std::size_t row = 0; row < 2; ++row) {
    for (std::size_t i = 0; i < 500; ++i) firstThree[row][i] ^= lastOnly[row][i];
  }
  EXPECT_EQ(firstThree, all);
  EXPECT_NE(all, zeros);
}

}  // namespace
}  // namespace pb
