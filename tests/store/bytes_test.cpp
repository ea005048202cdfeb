// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/bytes.h"

#include <gtest/gtest.h>

#include <climits>

#include "store/volume_name.h"
#include "support/run_time_error.h"

namespace pb {
namespace {

TEST(LongToBytes, WritesLeastSignificantByteFirst) {
  EXPECT_EQ(LongToBytes(131072, 4), std::string("\x00\x00\x02\x00", 4));
  EXPECT_EQ(LongToBytes(300, 4), std::string("\x2C\x01\x00\x00", 4));
  EXPECT_EQ(LongToBytes(300, 2), std::string("\x2C\x01", 2));
  EXPECT_EQ(LongToBytes(INT32_MAX, 4), "\xFF\xFF\xFF\x7F");
}

TEST(LongToBytes, CountBoundsTheResult) {
  EXPECT_EQ(LongToBytes(0x12345678, 1), "\x78");
  EXPECT_EQ(LongToBytes(300, 0), "");
  EXPECT_EQ(LongToBytes(300, -1), "");
  EXPECT_EQ(LongToBytes(1, 6), std::string("\x01\x00\x00\x00\x00\x00", 6));
}

TEST(LongToBytes, NegativeValueGivesTwosComplement) {
  EXPECT_EQ(LongToBytes(-1, 4), "\xFF\xFF\xFF\xFF");
  EXPECT_EQ(LongToBytes(-300, 4), "\xD4\xFE\xFF\xFF");
}

TEST(IntFromBytes, DecodesWhatLongToBytesWrote) {
  for (const int32_t value : {0, 1, 255, 256, 131072, INT32_MAX, -1, INT32_MIN}) {
    EXPECT_EQ(Int32FromBytes(LongToBytes(value, 4)), value) << value;
  }
  for (const int16_t value : {int16_t{0}, int16_t{500}, int16_t{INT16_MAX}, int16_t{-1}, int16_t{INT16_MIN}}) {
    EXPECT_EQ(Int16FromBytes(LongToBytes(value, 2)), value) << value;
  }
  EXPECT_EQ(Int16FromBytes("\x2C\x01"), 300);
  EXPECT_EQ(Int32FromBytes(std::string("\x00\x00\x02\x00", 4)), 131072);
}

TEST(IntFromBytes, WrongFieldSizeIsAnInvalidCall) {
  for (const std::string_view bytes : {std::string_view(""), std::string_view("\x01"), std::string_view("\x01\x02\x03")}) {
    try {
      Int16FromBytes(bytes);
      ADD_FAILURE() << "no error for " << bytes.size() << " bytes";
    } catch (const RunTimeError& e) {
      EXPECT_EQ(e.code(), kInvalidCall);
    }
  }
  EXPECT_THROW(Int32FromBytes("\x01\x02"), RunTimeError);
  EXPECT_THROW(Int32FromBytes("\x01\x02\x03\x04\x05"), RunTimeError);
}

TEST(VolumeFileName, PlainDecimalWithoutPadding) {
  EXPECT_EQ(VolumeFileName(1), "DataBlock#1.Parcelbarge");
  EXPECT_EQ(VolumeFileName(10), "DataBlock#10.Parcelbarge");
  EXPECT_EQ(VolumeFileName(12), "DataBlock#12.Parcelbarge");
  EXPECT_EQ(VolumeFileName(32767), "DataBlock#32767.Parcelbarge");
}

}  // namespace
}  // namespace pb
