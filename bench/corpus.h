// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace pb::bench {

// Sizes of the two corpora; the defaults are the full run, Small() a quick one.
struct CorpusSizes {
  int64_t largeBytes = 256ll << 20;  // the large-files mix
  int smallFiles = 20000;            // the many-small-files tree

  static CorpusSizes Small() { return {32ll << 20, 2000}; }
};

struct CorpusSummary {
  int files = 0;
  int64_t bytes = 0;
  uint32_t crc = 0;  // over names and contents, to compare corpora across machines
};

// Writes <root>/large and <root>/small. The same sizes give the same bytes on
// every machine: all content comes from a fixed-seed generator and zlib.
CorpusSummary WriteLargeFiles(const std::filesystem::path& root, int64_t totalBytes);
CorpusSummary WriteSmallFiles(const std::filesystem::path& root, int fileCount);

}  // namespace pb::bench
