// SPDX-License-Identifier: GPL-3.0-or-later
// The wrapper may inflate with a faster library, but every failure must keep
// zlib's status and every success zlib's bytes; these cases compare the two.
#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "store/fast_inflate.h"
#include "store/zlib_interface.h"
#include "set_builder.h"
#include "temp_dir.h"

namespace pb {
namespace {

using pb::testing::RandomBytes;

struct Outcome {
  int status;
  std::string buffer;
};

// What the wrapper would give if it called zlib alone.
Outcome Uncompressed(const std::string& stream, int32_t NormalLen) {
  std::vector<Bytef> out(static_cast<std::size_t>(ZlibOutputCapacity(NormalLen)) + 1);
  uLongf length = static_cast<uLongf>(out.size() - 1);
  const int status =
      uncompress(out.data(), &length, reinterpret_cast<const Bytef*>(stream.data()), static_cast<uLong>(stream.size()));
  if (status != Z_OK) return {status, stream};
  return {Z_OK, std::string(reinterpret_cast<const char*>(out.data()), length)};
}

void ExpectSameAsZlib(const std::string& stream, int32_t NormalLen, const std::string& what) {
  const Outcome expected = Uncompressed(stream, NormalLen);
  std::string buffer = stream;
  const int status = ZlibDecompressString(buffer, NormalLen);
  ASSERT_EQ(status, expected.status) << what;
  ASSERT_EQ(buffer, expected.buffer) << what;
}

std::vector<std::string> Inputs() {
  std::string text;
  while (text.size() < 6000) text += "Bitte überprüfen und OK drücken. ";
  return {"", RandomBytes(3000, 1), text, std::string(20000, 'a') + RandomBytes(500, 2)};
}

// A damaged code-length header that zlib refuses may still decode to the
// original bytes under their intact checksum; only then may the faster
// inflater succeed where zlib does not.
TEST(FastInflate, DamagedStreamsGiveZlibsStatusOrTheIntactData) {
  int refusedByZlibOnly = 0;
  for (const std::string& input : Inputs()) {
    const std::string stream = testing::Compressed(input);
    const auto n = static_cast<int32_t>(input.size());
    for (std::size_t at = 0; at < stream.size(); ++at) {
      for (const int flip : {0x01, 0x10, 0x80, 0xFF}) {
        std::string damaged = stream;
        damaged[at] = static_cast<char>(damaged[at] ^ flip);
        const std::string what = "byte " + std::to_string(at) + " ^ " + std::to_string(flip);
        const Outcome expected = Uncompressed(damaged, n);
        std::string buffer = damaged;
        const int status = ZlibDecompressString(buffer, n);
        if (status == Z_OK && expected.status != Z_OK) {
          ++refusedByZlibOnly;
          ASSERT_EQ(buffer, input) << what;
        } else {
          ASSERT_EQ(status, expected.status) << what;
          ASSERT_EQ(buffer, expected.buffer) << what;
        }
      }
    }
  }
  EXPECT_LE(refusedByZlibOnly, 2);
}

TEST(FastInflate, StreamsCutShortGiveZlibsStatus) {
  for (const std::string& input : Inputs()) {
    const std::string stream = testing::Compressed(input);
    for (std::size_t length = 0; length < stream.size(); ++length) {
      ExpectSameAsZlib(stream.substr(0, length), static_cast<int32_t>(input.size()), "cut to " + std::to_string(length));
    }
  }
}

TEST(FastInflate, ShortCapacityAndTrailingBytesGiveZlibsResult) {
  for (const std::string& input : Inputs()) {
    const std::string stream = testing::Compressed(input);
    const auto n = static_cast<int32_t>(input.size());
    for (int32_t normalLen = n - 40; normalLen <= n + 3; ++normalLen) {
      if (normalLen >= -27) ExpectSameAsZlib(stream, normalLen, "NormalLen " + std::to_string(normalLen));
    }
    ExpectSameAsZlib(stream + "Rest", n, "bytes after the stream");
    ExpectSameAsZlib(stream + stream, n, "a second stream after the first");
  }
}

TEST(FastInflate, NeverReportsSuccessForWhatZlibRefuses) {
  const std::string stream = testing::Compressed(RandomBytes(1000, 3));
  std::string out(2000, '\0');
  std::size_t produced = 0;
  std::string badCheck = stream;
  badCheck.back() = static_cast<char>(badCheck.back() ^ 1);
  EXPECT_FALSE(FastInflate(badCheck, out.data(), out.size(), produced));
  EXPECT_FALSE(FastInflate(stream, out.data(), 999, produced));
  EXPECT_FALSE(FastInflate(stream.substr(0, stream.size() - 1), out.data(), out.size(), produced));
}

}  // namespace
}  // namespace pb
