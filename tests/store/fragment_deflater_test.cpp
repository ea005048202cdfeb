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
