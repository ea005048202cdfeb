// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/bytes.h"

#include "support/run_time_error.h"

namespace pb {

namespace {

uint32_t LittleEndian(std::string_view bytes, std::size_t size) {
  if (bytes.size() != size) Raise(kInvalidCall);
  uint32_t value = 0;
  for (std::size_t i = size; i-- > 0;) value = (value << 8) | static_cast<unsigned char>(bytes[i]);
  return value;
}

}  // namespace

std::string LongToBytes(int32_t Value, int16_t Count) {
  std::string result;
  int64_t rest = Value;
  for (int16_t i = 0; i < Count; ++i) {
    result.push_back(static_cast<char>(rest & 0xFF));
    rest >>= 8;  // arithmetic shift: equals the division by 256 for lengths
  }
  return result;
}

int16_t Int16FromBytes(std::string_view bytes) {
  return static_cast<int16_t>(static_cast<uint16_t>(LittleEndian(bytes, 2)));
}

int32_t Int32FromBytes(std::string_view bytes) { return static_cast<int32_t>(LittleEndian(bytes, 4)); }

}  // namespace pb
