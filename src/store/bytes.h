// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pb {

// Count bytes of Value, least significant first. For the non-negative lengths
// the writer passes this is the plain little-endian form; a negative Value
// gives its two's complement, as the file format's integers are defined.
// Count of 0 or less gives an empty string.
std::string LongToBytes(int32_t Value, int16_t Count);

// Little-endian decoding of a field the reader has just read. The view must
// hold exactly 2 (4) bytes; anything else raises RunTimeError(kInvalidCall).
int16_t Int16FromBytes(std::string_view bytes);
int32_t Int32FromBytes(std::string_view bytes);

}  // namespace pb
