// SPDX-License-Identifier: GPL-3.0-or-later
// The build without ISA-L: every caller asks RepairCodeAvailable first.
#include "store/repair_code.h"

#include <stdexcept>

namespace pb {

namespace {

[[noreturn]] void Unavailable() { throw std::logic_error("built without the repair code"); }

}  // namespace

bool RepairCodeAvailable() { return false; }

RepairEncoder::RepairEncoder(int repairRows) : rows_(repairRows) { Unavailable(); }

void RepairEncoder::Add(int, const uint8_t*, std::size_t, uint8_t* const*) const { Unavailable(); }

std::optional<RepairDecoder> RepairDecoder::For(int, int, std::vector<int>, std::vector<int>) { Unavailable(); }

void RepairDecoder::Rebuild(std::size_t, const uint8_t* const*, uint8_t* const*) const { Unavailable(); }

}  // namespace pb
