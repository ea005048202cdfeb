// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace pb::bench {

// Every file below a directory, in name order, cut the way a backup cuts it:
// 128 KiB fragments, the last one of a file shorter, none for an empty file.
class FragmentedCorpus {
 public:
  explicit FragmentedCorpus(const std::filesystem::path& directory);

  struct Fragment {
    size_t offset;
    size_t length;
  };
  const std::string& data() const { return data_; }
  const std::vector<Fragment>& fragments() const { return fragments_; }

 private:
  std::string data_;
  std::vector<Fragment> fragments_;
};

struct Measurement {
  std::string name;
  int64_t inputBytes = 0;   // file bytes, for compression and inflation alike
  int64_t outputBytes = 0;  // compressed bytes
  double seconds = 0;
};

// The format's compression limit: compress() at the default level on each
// fragment, on one thread or spread over several.
Measurement MeasureCompress(const FragmentedCorpus& corpus, int threads);
// The same bytes with one deflate state per thread, reset between fragments.
Measurement MeasureReusedDeflate(const FragmentedCorpus& corpus, int threads);
// Inflating every fragment on one thread, with zlib and, where built in, libdeflate.
std::vector<Measurement> MeasureInflate(const FragmentedCorpus& corpus);

}  // namespace pb::bench
