// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/fragment_deflater.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "store/records.h"
#include "store/zlib_interface.h"
#include "temp_dir.h"

namespace pb {
namespace {

using pb::testing::RandomBytes;

std::string ViaWrapper(std::string data) {
  EXPECT_EQ(ZlibCompressString(data), 0);
  return data;
}

std::string Text(std::size_t n) {
  std::string text;
  while (text.size() < n) text += "Die Kopie ist fertig! Bitte die nächste Diskette einlegen. ";
  text.resize(n);
  return text;
}

// One deflater for a whole series, so a state that leaked from one fragment
// into the next would show as a difference.
TEST(FragmentDeflater, GivesTheWrappersBytesForEveryFragmentOfASeries) {
  const std::vector<std::string> inputs = {
      "",
      "x",
      Text(kFragmentSize),
      std::string(kFragmentSize, '\0'),
      RandomBytes(kFragmentSize, 1),
      "abc",
      RandomBytes(kFragmentSize - 1, 2),
      Text(40000) + RandomBytes(40000, 3) + Text(51072),
      "",
      Text(513),
      RandomBytes(1, 4),
      std::string(kFragmentSize, '\xFF'),
  };
  FragmentDeflater deflater;
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    std::string buffer = inputs[i];
    ASSERT_EQ(deflater.Compress(buffer), 0) << i;
    EXPECT_EQ(buffer, ViaWrapper(inputs[i])) << "fragment " << i << " of " << inputs[i].size() << " bytes";
  }
}

// The backup begins a stream before it knows where the fragment ends. The
// stream must not depend on where the input was split; fed beyond its end it
// is made again.
TEST(FragmentDeflater, AStreamBegunAheadEndsAsTheWrappersStream) {
  const std::string mixed = Text(40000) + RandomBytes(40000, 3) + Text(51072);
  const struct {
    std::string input;
    std::vector<std::size_t> splits;  // ends of the pieces fed ahead
    std::size_t length;               // where the stream ends
  } cases[] = {
      {mixed, {}, mixed.size()},
      {mixed, {0}, mixed.size()},
      {mixed, {1}, mixed.size()},
      {mixed, {40000, 80000}, mixed.size()},
      {mixed, {mixed.size() - 262}, mixed.size()},
      {mixed, {mixed.size()}, mixed.size()},
      {mixed, {100, 200, 300, 32768, 32769, 98304, 131000}, mixed.size()},
      {mixed, {65536}, 70000},
      {mixed, {65536}, 65536},
      {mixed, {65536}, 65535},  // fed one byte too many
      {mixed, {100000}, 4000},
      {mixed, {100000}, 0},
      {Text(kFragmentSize), {kFragmentSize / 2}, kFragmentSize},
      {std::string(kFragmentSize, '\0'), {258, 259, 260, 261, 262, 263}, kFragmentSize},
      {RandomBytes(kFragmentSize, 6), {70000}, 90000},
      {"abc", {1, 2}, 3},
      {"", {0}, 0},
  };
  FragmentDeflater deflater;
  for (const auto& c : cases) {
    // Begun with room for a whole fragment, as when the end is not known yet.
    ASSERT_EQ(deflater.Begin(kFragmentSize), 0);
    std::size_t fed = 0;
    for (const std::size_t split : c.splits) {
      ASSERT_EQ(deflater.Feed(std::string_view(c.input).substr(fed, split - fed)), 0);
      fed = split;
    }
    std::string buffer = c.input;
    ASSERT_EQ(deflater.EndAt(buffer, c.length), 0);
    EXPECT_EQ(buffer, ViaWrapper(c.input.substr(0, c.length)))
        << c.input.size() << " bytes, " << c.splits.size() << " splits, ending at " << c.length;
  }
  // Ended without a stream begun: the previous one is not continued.
  std::string buffer = mixed;
  ASSERT_EQ(deflater.EndAt(buffer, 5000), 0);
  EXPECT_EQ(buffer, ViaWrapper(mixed.substr(0, 5000)));
}

TEST(FragmentDeflater, MaxCompressedSizeHoldsForIncompressibleData) {
  FragmentDeflater deflater;
  for (const int64_t size : {int64_t{0}, int64_t{1}, int64_t{kFragmentSize}}) {
    std::string buffer = RandomBytes(static_cast<std::size_t>(size), 9);
    ASSERT_EQ(deflater.Compress(buffer), 0);
    EXPECT_LE(static_cast<int64_t>(buffer.size()), FragmentDeflater::MaxCompressedSize(size)) << size;
  }
}

TEST(FragmentDeflater, DeflatersOnSeveralThreadsAgree) {
  const std::string input = Text(70000) + RandomBytes(60000, 5);
  const std::string expected = ViaWrapper(input);
  std::vector<std::string> results(4);
  std::vector<std::thread> threads;
  for (std::string& result : results) {
    threads.emplace_back([&] {
      FragmentDeflater deflater;
      for (int round = 0; round < 3; ++round) {
        result = input;
        deflater.Compress(result);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (const std::string& result : results) EXPECT_EQ(result, expected);
}

}  // namespace
}  // namespace pb
