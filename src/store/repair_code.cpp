// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/repair_code.h"

#include <isa-l/erasure_code.h>

#include <algorithm>
#include <stdexcept>

namespace pb {

namespace {

// The Cauchy rows for a group of RepairGroupSize(rows) data volumes: any
// square part of them can be inverted, so any lost volumes up to the rows'
// number come back. Row r of the result holds its coefficient per place.
std::vector<unsigned char> CauchyRows(int rows) {
  const int size = RepairGroupSize(rows);
  std::vector<unsigned char> matrix(static_cast<std::size_t>(kMaxRepairShards) * size);
  gf_gen_cauchy1_matrix(matrix.data(), kMaxRepairShards, size);
  return {matrix.begin() + static_cast<std::ptrdiff_t>(size) * size, matrix.end()};
}

void CheckRows(int rows) {
  if (rows < 1 || rows > kMaxRepairRows) throw std::invalid_argument("repair rows");
}

}  // namespace

bool RepairCodeAvailable() { return true; }

RepairEncoder::RepairEncoder(int repairRows) : rows_(repairRows) {
  CheckRows(repairRows);
  std::vector<unsigned char> coefficients = CauchyRows(repairRows);
  const int size = RepairGroupSize(repairRows);
  tables_.resize(32 * static_cast<std::size_t>(size) * repairRows);
  ec_init_tables(size, repairRows, coefficients.data(), tables_.data());
}

void RepairEncoder::Add(int place, const uint8_t* data, std::size_t length, uint8_t* const* rows) const {
  if (length == 0) return;
  ec_encode_data_update(static_cast<int>(length), RepairGroupSize(rows_), rows_, place, const_cast<unsigned char*>(tables_.data()),
                        const_cast<unsigned char*>(data), const_cast<unsigned char**>(rows));
}

std::optional<RepairDecoder> RepairDecoder::For(int repairRows, int count, std::vector<int> lost,
                                                std::vector<int> rows) {
  CheckRows(repairRows);
  std::sort(lost.begin(), lost.end());
  if (count < 1 || count > RepairGroupSize(repairRows) || lost.empty() || rows.size() < lost.size()) {
    return std::nullopt;
  }
  RepairDecoder decoder;
  decoder.count_ = count;
  decoder.lost_ = lost;
  for (int place = 0; place < count; ++place) {
    if (!std::binary_search(lost.begin(), lost.end(), place)) decoder.kept_.push_back(place);
  }
  decoder.used_.assign(rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(lost.size()));

  // Each source as a combination of the data volumes; inverted, its rows of
  // the lost places give them from the sources.
  const std::vector<unsigned char> cauchy = CauchyRows(repairRows);
  const int size = RepairGroupSize(repairRows);
  const auto n = static_cast<std::size_t>(count);
  std::vector<unsigned char> sources(n * n, 0);
  std::size_t at = 0;
  for (int place : decoder.kept_) sources[at++ * n + static_cast<std::size_t>(place)] = 1;
  for (int row : decoder.used_) {
    std::copy_n(cauchy.begin() + static_cast<std::ptrdiff_t>(row) * size, count, sources.begin() + static_cast<std::ptrdiff_t>(at++ * n));
  }
  std::vector<unsigned char> inverse(n * n);
  if (gf_invert_matrix(sources.data(), inverse.data(), count) != 0) return std::nullopt;
  std::vector<unsigned char> wanted;
  for (int place : lost) {
    wanted.insert(wanted.end(), inverse.begin() + static_cast<std::ptrdiff_t>(place * n),
                  inverse.begin() + static_cast<std::ptrdiff_t>((place + 1) * n));
  }
  decoder.tables_.resize(32 * n * lost.size());
  ec_init_tables(count, static_cast<int>(lost.size()), wanted.data(), decoder.tables_.data());
  return decoder;
}

void RepairDecoder::Rebuild(std::size_t length, const uint8_t* const* sources, uint8_t* const* lost) const {
  if (length == 0) return;
  ec_encode_data(static_cast<int>(length), count_, static_cast<int>(lost_.size()),
                 const_cast<unsigned char*>(tables_.data()), const_cast<unsigned char**>(sources),
                 const_cast<unsigned char**>(lost));
}

}  // namespace pb
