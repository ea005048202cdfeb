// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/zlib_interface.h"

#include <gtest/gtest.h>

#include <climits>

#include "store/records.h"
#include "support/run_time_error.h"
#include "temp_dir.h"

namespace pb {
namespace {

using pb::testing::RandomBytes;

constexpr int kDataError = -3;
constexpr int kBufError = -5;

int32_t CapacityErrorCode(int32_t n) {
  try {
    ZlibOutputCapacity(n);
  } catch (const RunTimeError& e) {
    return e.code();
  }
  return 0;
}

std::string Compressed(std::string data) {
  EXPECT_EQ(ZlibCompressString(data), 0);
  return data;
}

TEST(ZlibOutputCapacity, SlackGrowsWithEveryFullBlock) {
  EXPECT_EQ(ZlibOutputCapacity(0), 27);
  EXPECT_EQ(ZlibOutputCapacity(32767), 32794);
  EXPECT_EQ(ZlibOutputCapacity(32768), 32800);
  EXPECT_EQ(ZlibOutputCapacity(131072), 131119);
  EXPECT_EQ(ZlibOutputCapacity(2147155990), INT32_MAX);
}

TEST(ZlibOutputCapacity, OverflowAndNegativeCapacityRaise) {
  EXPECT_EQ(CapacityErrorCode(2147155991), kOverflow);
  EXPECT_EQ(CapacityErrorCode(INT32_MAX), kOverflow);
  EXPECT_EQ(ZlibOutputCapacity(-27), 0);
  EXPECT_EQ(CapacityErrorCode(-28), kInvalidCall);
  EXPECT_EQ(CapacityErrorCode(-40000), kInvalidCall);
}

TEST(ZlibCompressString, EmptyBufferRoundTrips) {
  std::string buffer;
  ASSERT_EQ(ZlibCompressString(buffer), 0);
  EXPECT_FALSE(buffer.empty());
  EXPECT_LT(buffer.size(), 16u);
  ASSERT_EQ(ZlibDecompressString(buffer, 0), 0);
  EXPECT_EQ(buffer, "");
}

TEST(ZlibCompressString, IncompressibleDataGrowsSlightly) {
  for (const std::size_t size : {std::size_t{1}, std::size_t{32768}, std::size_t{131071}, std::size_t{131072}}) {
    const std::string input = RandomBytes(size, 7);
    std::string buffer = input;
    ASSERT_EQ(ZlibCompressString(buffer), 0) << size;
    EXPECT_GT(buffer.size(), input.size());
    EXPECT_LT(buffer.size(), input.size() + input.size() / 1000 + 64);
    ASSERT_EQ(ZlibDecompressString(buffer, static_cast<int32_t>(size)), 0);
    EXPECT_EQ(buffer, input);
  }
}

TEST(ZlibCompressString, EveryByteValueRoundTrips) {
  std::string input;
  for (int round = 0; round < 3; ++round) {
    for (int b = 0; b < 256; ++b) input.push_back(static_cast<char>(b));
  }
  std::string buffer = input;
  ASSERT_EQ(ZlibCompressString(buffer), 0);
  EXPECT_NE(buffer, input);
  ASSERT_EQ(ZlibDecompressString(buffer, static_cast<int32_t>(input.size())), 0);
  EXPECT_EQ(buffer, input);
}

TEST(ZlibDecompressString, DamagedStreamsGiveDataErrorAndKeepTheBuffer) {
  const std::string good = Compressed("Ein Brief, der gesichert werden soll. Ein Brief, der gesichert werden soll.");
  std::string header = good;
  header[0] = static_cast<char>(header[0] ^ 0x01);  // header check fails
  std::string data = good;
  data[2] = static_cast<char>(data[2] | 0x06);  // reserved block type
  std::string adler = good;
  adler.back() = static_cast<char>(adler.back() ^ 0xFF);
  for (const std::string& damaged : {header, data, adler}) {
    std::string buffer = damaged;
    EXPECT_EQ(ZlibDecompressString(buffer, kFragmentSize), kDataError);
    EXPECT_EQ(buffer, damaged);
  }
}

TEST(ZlibDecompressString, NormalLenTooSmallGivesBufErrorAndKeepsTheBuffer) {
  const std::string input = RandomBytes(20000, 3);
  const std::string stream = Compressed(input);
  std::string buffer = stream;
  EXPECT_EQ(ZlibDecompressString(buffer, 1000), kBufError);
  EXPECT_EQ(buffer, stream);
  // The slack of 27 bytes below 32768 is exact: one byte less room fails.
  buffer = stream;
  EXPECT_EQ(ZlibDecompressString(buffer, 20000 - 28), kBufError);
  EXPECT_EQ(buffer, stream);
  ASSERT_EQ(ZlibDecompressString(buffer, 20000 - 27), 0);
  EXPECT_EQ(buffer, input);
}

TEST(ZlibDecompressString, NormalLenTooLargeGivesTheRealData) {
  const std::string input = RandomBytes(100, 5);
  std::string buffer = Compressed(input);
  ASSERT_EQ(ZlibDecompressString(buffer, kFragmentSize), 0);
  EXPECT_EQ(buffer, input);
  // The largest length the capacity allows still works without reserving it.
  buffer = Compressed(input);
  ASSERT_EQ(ZlibDecompressString(buffer, 2147155990), 0);
  EXPECT_EQ(buffer, input);
}

TEST(ZlibDecompressString, HighlyCompressibleDataFitsItsCapacity) {
  // Near deflate's largest expansion, where a too tight output area would show.
  for (const std::size_t size : {std::size_t{131072}, std::size_t{16} << 20}) {
    const std::string input(size, '\0');
    std::string buffer = Compressed(input);
    ASSERT_LT(buffer.size() * 500, size);
    ASSERT_EQ(ZlibDecompressString(buffer, static_cast<int32_t>(size)), 0) << size;
    EXPECT_EQ(buffer, input);
    buffer = Compressed(input);
    EXPECT_EQ(ZlibDecompressString(buffer, static_cast<int32_t>(size) - 10000), kBufError);
  }
}

TEST(ZlibDecompressString, BadNormalLenRaisesAndKeepsTheBuffer) {
  const std::string stream = Compressed("abc");
  for (const int32_t normalLen : {-28, INT32_MAX}) {
    std::string buffer = stream;
    EXPECT_THROW(ZlibDecompressString(buffer, normalLen), RunTimeError);
    EXPECT_EQ(buffer, stream);
  }
}

}  // namespace
}  // namespace pb
