// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "backup/fragment_cursor.h"
#include "store/worker_pool.h"
#include "support/file_system.h"

namespace pb {

// One fragment as the backup run asks for it.
struct FragmentRequest {
  FragmentCursor at;      // where it begins
  int32_t length = 0;     // NormalLen
  int64_t room = 0;       // volume size limit minus the volume's length now
};

struct CompressedFragment {
  int status = 0;     // as ZlibCompressString returns it
  std::string bytes;  // the zlib stream; the file bytes when status is not 0
};

// What the look-ahead may know of the run: the selection list, the files
// behind it and the volume size limit.
struct LookAhead {
  FileSystem& fs;
  const std::vector<std::string>& files;
  int64_t volumeLimit = 0;
};

// Compresses the backup's fragments on worker threads ahead of the run, while
// the run commits them strictly in order on its own thread.
//
// Where a fragment ends depends on the compressed size of the ones before it,
// so the look-ahead moves a cursor of its own by the run's steps (full
// fragments, the next file's header, the cut at the volume limit, the next
// volume). Where a compressed size not known yet decides a length, it begins
// that fragment's stream with the bytes it will likely hold and ends it once
// the sizes are known (deflate's stream does not depend on how its input came
// in, so it is the same stream). A request that is not the fragment foreseen
// (a medium-full halving, a changed file, a read that failed ahead) drops
// every speculation and is served from the run's own read, so the result is
// always exactly what ZlibCompressString makes of the requested bytes.
//
// Files are opened on the calling thread, each once: the run gets the one the
// look-ahead opened (Source). Where the file system allows it, the workers
// read the bytes they compress; every wait stays on the calling thread. At
// most the file bytes of two full fragments per worker are held at once,
// however many small files they come from.
class ParallelCompressor {
 public:
  // With fewer than two workers there are no threads: each request is read
  // and compressed on the calling thread.
  ParallelCompressor(int workers, LookAhead lookAhead);
  ~ParallelCompressor();
  ParallelCompressor(const ParallelCompressor&) = delete;
  ParallelCompressor& operator=(const ParallelCompressor&) = delete;

  // The source of the selection's file (0-based) that the run begins: the
  // one the look-ahead opened, else what open gives.
  std::shared_ptr<ReadableFile> Source(int file, const std::function<std::unique_ptr<ReadableFile>()>& open);

  // The fragment of request. read returns its bytes the way the run reads
  // them (with its own error handling); it is called only when no
  // speculation holds the fragment.
  CompressedFragment Compress(const FragmentRequest& request, const std::function<std::string()>& read);

  // Fragments served from speculation and from the run's own read, and those
  // whose stream was begun before their end was known, for tests.
  int64_t hits() const { return hits_; }
  int64_t misses() const { return misses_; }
  int64_t begunAhead() const { return begunAhead_; }

 private:
  struct Job;
  using JobPtr = std::shared_ptr<Job>;

  // What the look-ahead knows of the next fragment: its length, or 0 and the
  // room the fragments before it likely leave.
  struct Foresight {
    int32_t length = 0;
    int64_t likelyRoom = 0;
  };

  struct OpenedFile {
    int file = 0;
    std::shared_ptr<ReadableFile> source;
  };

  JobPtr TakeFront();
  void Submit(const FragmentRequest& key, std::string bytes);
  bool SubmitAhead(int32_t length);
  void Schedule(const JobPtr& job);
  bool OpenAhead(int64_t likelyRoom);
  void CloseAhead(int32_t length);
  bool GiveBytes(Job& job, int32_t length);
  void Refill();
  size_t FinishedCount() const;
  bool NextFile();
  Foresight NextLength();
  int64_t LikelyCompressedSize(int32_t length) const;
  std::shared_ptr<ReadableFile> AheadFile();
  void Discard();
  bool Matches(const Job& job, const FragmentRequest& request) const;

  // Deflate states lent out one per fragment being compressed; they live as
  // long as the compressor, not as a thread: a thread's own objects are not
  // destroyed safely at its end with every toolchain (mingw-w64).
  class Deflaters;
  std::unique_ptr<Deflaters> deflaters_;
  LookAhead lookAhead_;
  bool readOnWorkers_ = false;
  int64_t maxHeldBytes_ = 0;  // file bytes of two full fragments per worker
  size_t maxHeldJobs_ = 0;
  std::optional<WorkerPool> workers_;

  // The calling thread's alone; the workers only fill in the jobs.
  std::deque<JobPtr> inFlight_;   // in the order the run will ask for them
  int64_t heldBytes_ = 0;         // file bytes of the jobs in flight
  std::deque<JobPtr> unsettled_;  // scheduled, compressed size not yet counted
  JobPtr open_;                   // in flight, its end not known yet
  bool ahead_ = false;            // the look-ahead knows where it stands
  FragmentCursor cursor_;         // the next fragment to foresee
  int64_t settledRoom_ = 0;       // room before the first unsettled job
  std::array<double, 8> recentRatios_{};  // compressed to file bytes, latest jobs
  size_t recentCount_ = 0;
  // The run's file, and those the look-ahead opened beyond it, in order.
  OpenedFile runFile_{-1, nullptr};
  std::map<int, std::shared_ptr<ReadableFile>> opened_;
  int64_t hits_ = 0;
  int64_t misses_ = 0;
  int64_t begunAhead_ = 0;
};

}  // namespace pb
