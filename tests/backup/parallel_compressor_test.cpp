// SPDX-License-Identifier: GPL-3.0-or-later
#include "backup/parallel_compressor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "backup/fragment_cut.h"
#include "faulty_file_system.h"
#include "store/records.h"
#include "store/zlib_interface.h"
#include "support/run_time_error.h"
#include "temp_dir.h"
#include "test_drives.h"

namespace pb::testing {
namespace {

constexpr int64_t kNoLimit = 536870912;

std::string Text(std::size_t n, unsigned seed) {
  const std::string random = RandomBytes(n / 8 + 1, seed);
  std::string text;
  for (std::size_t i = 0; text.size() < n; ++i) {
    text += "Datei ";
    text += std::to_string(static_cast<unsigned char>(random[i % random.size()]));
    text += i % 9 == 0 ? ".\r" : " ";
  }
  text.resize(n);
  return text;
}

std::string Wrapped(std::string bytes) {
  EXPECT_EQ(ZlibCompressString(bytes), 0);
  return bytes;
}

class ParallelCompressorTest : public ::testing::Test {
 protected:
  void AddFile(const std::string& bytes) {
    const std::string name = "C:\\Daten\\f" + std::to_string(names.size()) + ".bin";
    WriteFile(drives.Native(name), bytes);
    names.push_back(name);
    contents.push_back(bytes);
  }

  // Small and large, compressible and not, the lengths around a fragment.
  void AddMixedFiles() {
    for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{131072}, std::size_t{131073},
                                   std::size_t{0}, std::size_t{0}, std::size_t{700}}) {
      AddFile(Text(size, static_cast<unsigned>(names.size())));
    }
    AddFile(RandomBytes(300000, 1));
    AddFile(Text(450000, 2));
    for (unsigned i = 0; i < 40; ++i) AddFile(i % 3 == 0 ? RandomBytes(100 * i, i) : Text(300 * i, i));
    AddFile(Text(200000, 3) + RandomBytes(100000, 4));
  }

  LookAhead Ahead(int64_t limit) { return {fs, names, limit}; }

  // Asks for every fragment the way the backup run does (the archive header
  // first, each file's header, the cut at the limit, the next volume) and
  // checks each against the wrapper. Returns the number of requests.
  int RunLikeBackup(ParallelCompressor& compressor, int64_t limit) {
    int requests = 0;
    int64_t volume = kDescriptionOffset;
    bool volumeHasFragment = false;
    for (std::size_t i = 0; i < names.size(); ++i) {
      const auto fileLength = static_cast<int32_t>(contents[i].size());
      volume += static_cast<int64_t>(FileHeaderBytes(FileHeader{fileLength, names[i]}).size());
      int64_t offset = 0;
      while (offset < fileLength) {
        const int64_t room = limit - volume;
        const int32_t length = FragmentCut(fileLength - offset, room, volumeHasFragment);
        if (length == 0) {
          volume = 0;
          volumeHasFragment = false;
          ++volumes;
          continue;
        }
        const FragmentRequest request{{static_cast<int>(i), names[i], fileLength, offset, volumeHasFragment},
                                      length, room};
        const std::string bytes = contents[i].substr(static_cast<std::size_t>(offset), static_cast<std::size_t>(length));
        const CompressedFragment fragment = compressor.Compress(request, [&] {
          ++ownReads;
          return bytes;
        });
        EXPECT_EQ(fragment.status, 0);
        EXPECT_EQ(fragment.bytes, Wrapped(bytes)) << "file " << i << " at " << offset << ", " << length << " bytes";
        if (fragment.bytes != Wrapped(bytes)) return requests;
        volume += kFragmentHeaderSize + static_cast<int64_t>(fragment.bytes.size());
        volumeHasFragment = true;
        offset += length;
        ++requests;
      }
    }
    return requests;
  }

  TestDrives drives;
  FaultyFileSystem fs{drives.fs()};
  std::vector<std::string> names;
  std::vector<std::string> contents;
  int ownReads = 0;
  int volumes = 1;
};

TEST_F(ParallelCompressorTest, EveryFragmentMatchesTheWrapperAndIsForeseen) {
  AddMixedFiles();
  for (const int workers : {2, 3}) {
    ownReads = 0;
    ParallelCompressor compressor(workers, Ahead(kNoLimit));
    const int requests = RunLikeBackup(compressor, kNoLimit);
    EXPECT_EQ(ownReads, 1) << workers << " workers: only the first fragment is the run's own read";
    EXPECT_EQ(compressor.hits(), requests - 1);
  }
}

// The cut at the limit depends on the compressed size of the fragment before
// it. The look-ahead begins the cut fragment's stream before that size is
// known, or guesses a full fragment from the recent ratio when the workers are
// still busy (timing decides which); a wrong guess shows at the cut, so each
// volume costs at most one own read.
TEST_F(ParallelCompressorTest, CutsAtTheVolumeLimitAreForeseen) {
  AddMixedFiles();
  for (const int64_t limit : {int64_t{40}, int64_t{1500}, int64_t{20011}, int64_t{131072}, int64_t{250000}, int64_t{1457152}}) {
    ownReads = 0;
    volumes = 1;
    ParallelCompressor compressor(2, Ahead(limit));
    RunLikeBackup(compressor, limit);
    EXPECT_LE(ownReads, volumes) << "limit " << limit;
  }
}

// Text leaves most of the room to the next cut, so a volume ends in a run of
// cut fragments, each waiting for the size of the one before; their streams
// are begun meanwhile, and each is still the wrapper's.
TEST_F(ParallelCompressorTest, RunsOfCutsAreBegunBeforeTheirEndsAreKnown) {
  AddFile(Text(800000, 7));
  int64_t begunAhead = 0;
  for (const int64_t limit : {int64_t{20011}, int64_t{131072}, int64_t{250000}}) {
    ownReads = 0;
    volumes = 1;
    ParallelCompressor compressor(2, Ahead(limit));
    RunLikeBackup(compressor, limit);
    EXPECT_LE(ownReads, volumes) << "limit " << limit;
    begunAhead += compressor.begunAhead();
  }
  EXPECT_GT(begunAhead, 0);
}

// Data that suddenly stops compressing right before the limit: a full
// fragment guessed from the old ratio is wrong, and the run's own read must
// serve the cut fragment.
TEST_F(ParallelCompressorTest, RatioChangeNearTheLimitKeepsEveryByte) {
  AddFile(std::string(10 * kFragmentSize, '\0') + RandomBytes(1000000, 9));
  AddFile(std::string(2000000, 'x') + RandomBytes(800000, 10));
  // Text and noise in turn: the likely room of a cut is often too large.
  std::string mixed;
  for (unsigned i = 0; i < 12; ++i) mixed += Text(70000, i) + RandomBytes(50000 + 7000 * i, i);
  AddFile(mixed);
  ParallelCompressor compressor(2, Ahead(300000));
  RunLikeBackup(compressor, 300000);
  EXPECT_LE(ownReads, volumes);
}

TEST_F(ParallelCompressorTest, WithoutWorkersTheRunReadsEveryFragmentItself) {
  AddMixedFiles();
  ParallelCompressor compressor(1, Ahead(200000));
  const int requests = RunLikeBackup(compressor, 200000);
  EXPECT_EQ(ownReads, requests);
  EXPECT_EQ(fs.calls(Op::Open), 0);
  EXPECT_EQ(compressor.hits(), 0);
}

// The medium-full fallback asks again for the same position with half the
// length: that is served from the run's read, and the look-ahead goes on
// behind it.
TEST_F(ParallelCompressorTest, HalvedFragmentComesFromTheRunsReadAndTheLookAheadResumes) {
  AddFile(Text(1000000, 5));
  ParallelCompressor compressor(2, Ahead(kNoLimit));
  const std::string& data = contents[0];
  auto request = [&](int64_t offset, int32_t length) {
    const std::string bytes = data.substr(static_cast<std::size_t>(offset), static_cast<std::size_t>(length));
    const CompressedFragment fragment = compressor.Compress({{0, names[0], 1000000, offset}, length, kNoLimit},
                                                            [&] {
                                                              ++ownReads;
                                                              return bytes;
                                                            });
    EXPECT_EQ(fragment.bytes, Wrapped(bytes)) << offset << ", " << length;
  };
  request(0, kFragmentSize);
  request(kFragmentSize, kFragmentSize / 2);
  request(kFragmentSize, kFragmentSize / 4);
  EXPECT_EQ(ownReads, 3);
  request(kFragmentSize + kFragmentSize / 4, kFragmentSize);
  request(2 * kFragmentSize + kFragmentSize / 4, kFragmentSize);
  EXPECT_EQ(ownReads, 3);
  EXPECT_EQ(compressor.hits(), 2);
}

// A file that changed after the look-ahead read it: the run's request does not
// match, and the run's own bytes are compressed.
TEST_F(ParallelCompressorTest, FileChangedSinceTheLookAheadIsReadAgain) {
  AddFile(Text(5000, 1));
  AddFile(Text(5000, 2));
  ParallelCompressor compressor(2, Ahead(kNoLimit));
  compressor.Compress({{0, names[0], 5000, 0}, 5000, kNoLimit}, [&] { return contents[0]; });
  const std::string grown = Text(6000, 3);
  const CompressedFragment fragment =
      compressor.Compress({{1, names[1], 6000, 0}, 6000, kNoLimit}, [&] { return grown; });
  EXPECT_EQ(fragment.bytes, Wrapped(grown));
  EXPECT_EQ(compressor.hits(), 0);
}

TEST_F(ParallelCompressorTest, LookAheadFailuresAreLeftToTheRunsRead) {
  AddMixedFiles();
  fs.Fail(Op::Read, 1, kDeviceIo, "f8.bin", true);
  fs.Fail(Op::Open, 1, kPermissionDenied, "f12.bin", true);
  ParallelCompressor compressor(2, Ahead(kNoLimit));
  RunLikeBackup(compressor, kNoLimit);
  EXPECT_GT(fs.failures(), 0);
  // The first fragment, the four of f8 and the one of f12.
  EXPECT_EQ(ownReads, 6);
}

TEST_F(ParallelCompressorTest, HoldsAtMostTwoFullFragmentsPerWorker) {
  AddFile(RandomBytes(3000000, 6));
  for (const int workers : {2, 4}) {
    const int readsBefore = fs.calls(Op::Read);
    ParallelCompressor compressor(workers, Ahead(kNoLimit));
    const std::string& data = contents[0];
    for (int64_t offset = 0; offset < 3000000; offset += kFragmentSize) {
      const auto length = static_cast<int32_t>(std::min<int64_t>(3000000 - offset, kFragmentSize));
      compressor.Compress({{0, names[0], 3000000, offset}, length, kNoLimit}, [&] {
        return data.substr(static_cast<std::size_t>(offset), static_cast<std::size_t>(length));
      });
      // Read ahead but not yet handed out: what is held now. The workers
      // read, so some may not have been read yet, but never more.
      const int held = fs.calls(Op::Read) - readsBefore - static_cast<int>(compressor.hits());
      EXPECT_LE(held, 2 * workers);
      if (offset + 2 * kFragmentSize * workers >= 3000000) break;
    }
    EXPECT_GT(compressor.hits(), 0) << "the look-ahead should be busy while the file goes on";
  }
}

// Small files are held by their bytes, so more of them keep the workers busy,
// but never without end.
TEST_F(ParallelCompressorTest, HoldsManySmallFilesWithinTheSameBytes) {
  for (int i = 0; i < 300; ++i) AddFile(Text(2000, static_cast<unsigned>(i)));
  ParallelCompressor compressor(2, Ahead(kNoLimit));
  compressor.Compress({{0, names[0], 2000, 0}, 2000, kNoLimit}, [&] { return contents[0]; });
  // Each file opened ahead is a job held (the workers read them later).
  const int held = fs.calls(Op::Open);
  EXPECT_GT(held, 4);
  EXPECT_LE(held * 2000, 2 * 2 * kFragmentSize);
  EXPECT_LE(held, 64);
}

TEST_F(ParallelCompressorTest, StopsMidFileAndClosesWhatTheLookAheadOpened) {
  AddFile(Text(2000000, 7));
  AddFile(Text(1000, 8));
  {
    ParallelCompressor compressor(2, Ahead(kNoLimit));
    compressor.Compress({{0, names[0], 2000000, 0}, kFragmentSize, kNoLimit},
                        [&] { return contents[0].substr(0, kFragmentSize); });
    EXPECT_GT(fs.calls(Op::Open), 0);
  }
  EXPECT_EQ(fs.calls(Op::Close), fs.calls(Op::Open));
}

}  // namespace
}  // namespace pb::testing
