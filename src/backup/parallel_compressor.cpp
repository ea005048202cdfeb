// SPDX-License-Identifier: GPL-3.0-or-later
#include "backup/parallel_compressor.h"

#include <algorithm>
#include <atomic>
#include <limits>
#include <mutex>
#include <vector>
#include <new>
#include <string_view>
#include <utility>

#include "backup/fragment_cut.h"
#include "store/fragment_deflater.h"
#include "store/records.h"
#include "support/run_time_error.h"

namespace pb {

namespace {

// What compress() says when it cannot have its memory.
constexpr int kZlibMemError = -4;

// Room kept in hand when a fragment's length is guessed.
constexpr int64_t kGuessMargin = 1024;

// Below this a stream is not begun before its end is known.
constexpr int64_t kLeastFedAhead = 4096;

// Small files make small jobs: many may be held within the bytes of two full
// fragments per worker, so the workers stay busy between the run's files.
constexpr size_t kJobsPerWorker = 32;

}  // namespace

class ParallelCompressor::Deflaters {
 public:
  // Compresses with a deflate state no other thread uses meanwhile.
  int Compress(std::string& bytes) {
    try {
      std::unique_ptr<FragmentDeflater> deflater = Borrow();
      const int status = deflater->Compress(bytes);
      GiveBack(std::move(deflater));
      return status;
    } catch (const std::bad_alloc&) {
      return kZlibMemError;
    }
  }

  std::unique_ptr<FragmentDeflater> Borrow() {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      if (!idle_.empty()) {
        std::unique_ptr<FragmentDeflater> deflater = std::move(idle_.back());
        idle_.pop_back();
        return deflater;
      }
    }
    return std::make_unique<FragmentDeflater>();
  }

  // A state that cannot be kept for later goes: a worker must not throw.
  void GiveBack(std::unique_ptr<FragmentDeflater> deflater) noexcept {
    const std::lock_guard<std::mutex> lock(mutex_);
    try {
      idle_.push_back(std::move(deflater));
    } catch (const std::bad_alloc&) {
    }
  }

 private:
  std::mutex mutex_;
  std::vector<std::unique_ptr<FragmentDeflater>> idle_;
};

struct ParallelCompressor::Job {
  FragmentRequest key;  // length 0 while the fragment's end is open
  int32_t held = 0;     // its file bytes counted as held
  std::string bytes;    // the file bytes; the stream once done
  int status = 0;
  int64_t packed = 0;
  bool failed = false;  // the bytes could not be read ahead
  std::atomic<bool> done = false;  // released after the results

  // Set when the worker reads the bytes: that many at key.at.offset.
  std::shared_ptr<ReadableFile> source;
  int32_t toRead = 0;

  // A stream begun before the fragment's end was known: the bytes read ahead
  // go in while the sizes before it are still being found.
  std::unique_ptr<FragmentDeflater> deflater;
  std::size_t fed = 0;
  std::mutex mutex;
  bool feeding = false;   // guarded by mutex
  bool endWaits = false;  // guarded by mutex: the feeder ends the stream

  // The run meets a read failure itself, in its own read.
  bool Fill() {
    if (!source) return !failed;
    try {
      bytes = source->ReadAt(key.at.offset, toRead);
    } catch (const RunTimeError&) {
      failed = true;
    } catch (const std::bad_alloc&) {
      failed = true;
    }
    source.reset();
    return !failed;
  }

  void Compress(Deflaters& deflaters) { Finish(Fill() ? deflaters.Compress(bytes) : 0); }

  void FeedAhead(Deflaters& deflaters) {
    try {
      if (Fill() && deflater->Begin(static_cast<int64_t>(bytes.size())) == 0) {
        deflater->Feed(std::string_view(bytes).substr(0, fed));
      }
    } catch (const std::bad_alloc&) {
      // Nothing begun: the end makes the whole stream.
    }
    {
      const std::lock_guard<std::mutex> lock(mutex);
      feeding = false;
      if (!endWaits) return;
    }
    End(deflaters);
  }

  // Once key.length is known.
  void End(Deflaters& deflaters) {
    int result = kZlibMemError;
    if (Fill()) {
      try {
        result = deflater->EndAt(bytes, static_cast<std::size_t>(key.length));
      } catch (const std::bad_alloc&) {
        bytes.resize(static_cast<std::size_t>(key.length));
      }
    }
    deflaters.GiveBack(std::move(deflater));
    Finish(result);
  }

  void Finish(int result) {
    status = result;
    packed = static_cast<int64_t>(bytes.size());
    done.store(true, std::memory_order_release);
  }
};

ParallelCompressor::ParallelCompressor(int workers, LookAhead lookAhead)
    : deflaters_(std::make_unique<Deflaters>()), lookAhead_(std::move(lookAhead)) {
  if (workers < 2) return;
  readOnWorkers_ = lookAhead_.fs.ReadableOnAnyThread();
  maxHeldBytes_ = 2 * int64_t{kFragmentSize} * workers;
  maxHeldJobs_ = kJobsPerWorker * static_cast<size_t>(workers);
  workers_.emplace(workers);
}

// The workers let go of the jobs and their files first.
ParallelCompressor::~ParallelCompressor() { workers_.reset(); }

std::shared_ptr<ReadableFile> ParallelCompressor::Source(int file,
                                                         const std::function<std::unique_ptr<ReadableFile>()>& open) {
  opened_.erase(opened_.begin(), opened_.lower_bound(file));
  std::shared_ptr<ReadableFile> source;
  if (const auto found = opened_.find(file); found != opened_.end()) {
    source = std::move(found->second);
    opened_.erase(found);
  } else {
    source = open();
  }
  runFile_ = {file, source};
  return source;
}

CompressedFragment ParallelCompressor::Compress(const FragmentRequest& request,
                                                const std::function<std::string()>& read) {
  if (!workers_) {
    ++misses_;
    CompressedFragment result;
    result.bytes = read();
    result.status = deflaters_->Compress(result.bytes);
    return result;
  }
  // A stream begun ahead gets its end once the sizes before it are known.
  Refill();
  if (!inFlight_.empty() && Matches(*inFlight_.front(), request)) {
    const JobPtr front = TakeFront();
    if (!front->failed) {
      ++hits_;
      Refill();
      return {front->status, std::move(front->bytes)};
    }
  }
  ++misses_;
  Discard();
  std::string bytes = read();
  // The look-ahead starts again from this fragment, with the run's room.
  cursor_ = request.at;
  settledRoom_ = request.room;
  ahead_ = true;
  Submit(request, std::move(bytes));
  Refill();
  const JobPtr front = TakeFront();
  Refill();
  return {front->status, std::move(front->bytes)};
}

// Waits until the first job in flight is done and takes it out.
ParallelCompressor::JobPtr ParallelCompressor::TakeFront() {
  const JobPtr front = inFlight_.front();
  size_t finished = FinishedCount();
  while (!front->done) {
    // A finished job may settle the length of the next one.
    workers_->WaitUntil([&] { return front->done || FinishedCount() != finished; });
    finished = FinishedCount();
    Refill();
  }
  inFlight_.pop_front();
  heldBytes_ -= front->key.length;
  return front;
}

// Jobs in flight the workers have finished.
size_t ParallelCompressor::FinishedCount() const {
  return static_cast<size_t>(
      std::count_if(inFlight_.begin(), inFlight_.end(), [](const JobPtr& job) { return job->done.load(); }));
}

// Bytes the run read itself.
void ParallelCompressor::Submit(const FragmentRequest& key, std::string bytes) {
  auto job = std::make_shared<Job>();
  job->key = key;
  job->bytes = std::move(bytes);
  Schedule(job);
}

// The fragment at the cursor, length bytes long, read by the look-ahead.
bool ParallelCompressor::SubmitAhead(int32_t length) {
  auto job = std::make_shared<Job>();
  job->key = {cursor_, length, 0};
  if (!GiveBytes(*job, length)) return false;
  Schedule(job);
  return true;
}

void ParallelCompressor::Schedule(const JobPtr& job) {
  job->held = job->key.length;
  inFlight_.push_back(job);
  heldBytes_ += job->held;
  unsettled_.push_back(job);
  workers_->Post([job, deflaters = deflaters_.get()] { job->Compress(*deflaters); });
  cursor_.Stored(job->key.length);
}

// Reads length bytes at the cursor into job now, or lets its worker read
// them; false (and the look-ahead stops) when the file cannot be opened or
// read.
bool ParallelCompressor::GiveBytes(Job& job, int32_t length) {
  try {
    const std::shared_ptr<ReadableFile> file = AheadFile();
    if (readOnWorkers_) {
      job.source = file;
      job.toRead = length;
    } else {
      job.bytes = file->ReadAt(cursor_.offset, length);
    }
    return true;
  } catch (const RunTimeError&) {
    ahead_ = false;
    return false;
  }
}

// Near the volume limit a fragment's end waits for the compressed sizes
// before it, and each cut fragment for the one before it. Its stream is begun
// meanwhile with the bytes it will likely hold at least, and only the rest is
// left for when the end is known.
bool ParallelCompressor::OpenAhead(int64_t likelyRoom) {
  const int32_t full = cursor_.Cut(kFragmentSize);
  if (heldBytes_ + full > maxHeldBytes_) return false;
  auto job = std::make_shared<Job>();
  job->key = {cursor_, 0, 0};
  try {
    if (!GiveBytes(*job, full)) return false;
    job->deflater = deflaters_->Borrow();
  } catch (const std::bad_alloc&) {
    return false;  // the run waits for the sizes instead
  }
  job->held = full;
  inFlight_.push_back(job);
  heldBytes_ += full;
  open_ = job;
  // Bytes fed beyond the end cost the whole stream again, so a share of the
  // likely room is held back; a little room is not worth beginning early.
  if (likelyRoom < kLeastFedAhead) return true;
  job->fed = static_cast<std::size_t>(std::min<int64_t>(full, likelyRoom - likelyRoom / 8));
  job->feeding = true;
  ++begunAhead_;
  workers_->Post([job, deflaters = deflaters_.get()] { job->FeedAhead(*deflaters); });
  return true;
}

void ParallelCompressor::CloseAhead(int32_t length) {
  const JobPtr job = std::exchange(open_, nullptr);
  job->key.length = length;
  heldBytes_ -= job->held - length;
  job->held = length;
  unsettled_.push_back(job);
  cursor_.Stored(length);
  {
    const std::lock_guard<std::mutex> lock(job->mutex);
    if (job->feeding) {
      job->endWaits = true;
      return;
    }
  }
  workers_->Post([job, deflaters = deflaters_.get()] { job->End(*deflaters); });
}

void ParallelCompressor::Refill() {
  while (ahead_) {
    if (open_) {
      const int32_t length = NextLength().length;
      if (length == 0) return;  // waits for a compressed size
      CloseAhead(length);
    }
    if (inFlight_.size() >= maxHeldJobs_) return;
    if (cursor_.FileDone()) {
      // Files opened for the run are held like jobs.
      if (opened_.size() >= maxHeldJobs_) return;
      ahead_ = NextFile();
      continue;
    }
    const Foresight next = NextLength();
    if (next.length == 0) {
      if (!OpenAhead(next.likelyRoom)) return;
      continue;
    }
    if (heldBytes_ + next.length > maxHeldBytes_) return;
    if (!SubmitAhead(next.length)) return;
  }
}

// Steps to the next file of the list that the run will begin, counting its
// header against the room as the run writes it.
bool ParallelCompressor::NextFile() {
  const int next = cursor_.file + 1;
  if (next >= static_cast<int>(lookAhead_.files.size())) return false;
  cursor_.BeginFile(next, lookAhead_.files[static_cast<std::size_t>(next)], 0);
  try {
    const int64_t length = AheadFile()->Length();
    if (length > std::numeric_limits<int32_t>::max()) return false;
    cursor_.fileLength = static_cast<int32_t>(length);
  } catch (const RunTimeError&) {
    return false;
  }
  settledRoom_ -= static_cast<int64_t>(FileHeaderBytes(FileHeader{cursor_.fileLength, cursor_.name}).size());
  return true;
}

// The length the run will give the fragment at the cursor, or 0 while that
// depends on a compressed size not known yet: the run's own cut, applied to
// the room the fragments before it leave.
ParallelCompressor::Foresight ParallelCompressor::NextLength() {
  const int32_t full = cursor_.Cut(kFragmentSize);
  while (!unsettled_.empty() && unsettled_.front()->done) {
    const Job& job = *unsettled_.front();
    settledRoom_ -= kFragmentHeaderSize + job.packed;
    recentRatios_[recentCount_++ % recentRatios_.size()] =
        static_cast<double>(job.packed) / std::max<int32_t>(job.key.length, 1);
    unsettled_.pop_front();
  }
  int64_t room = settledRoom_;  // exact when every size is known, else the least it can be
  int64_t likely = room;        // with the unknown sizes guessed from the recent ones
  bool exact = true;
  for (const JobPtr& job : unsettled_) {
    if (job->done) {
      room -= kFragmentHeaderSize + job->packed;
      likely -= kFragmentHeaderSize + job->packed;
    } else {
      room -= kFragmentHeaderSize + FragmentDeflater::MaxCompressedSize(job->key.length);
      likely -= kFragmentHeaderSize + LikelyCompressedSize(job->key.length);
      exact = false;
    }
  }
  if (!exact) {
    // Jobs of this volume are out, so it holds a fragment already.
    if (cursor_.Cut(room) == full) return {full};
    // A guess: should the fragments out compress worse than the recent ones,
    // the run asks for a cut fragment instead and the look-ahead starts again
    // from there. Cut lengths themselves are never guessed.
    return {likely >= full + kGuessMargin ? full : 0, likely};
  }
  const int32_t length = cursor_.Cut(room);
  if (length != 0) return {length};
  // The run closes the volume here and goes on in the next one.
  unsettled_.clear();
  settledRoom_ = lookAhead_.volumeLimit;
  cursor_.NextVolume();
  return {cursor_.Cut(settledRoom_)};
}

int64_t ParallelCompressor::LikelyCompressedSize(int32_t length) const {
  const int64_t bound = FragmentDeflater::MaxCompressedSize(length);
  if (recentCount_ == 0) return bound;
  const size_t known = std::min(recentCount_, recentRatios_.size());
  const double ratio = *std::max_element(recentRatios_.begin(), recentRatios_.begin() + static_cast<long>(known));
  return std::min(bound, static_cast<int64_t>(ratio * length) + kGuessMargin);
}

// The file at the cursor: the run's own, or one opened ahead for the run.
std::shared_ptr<ReadableFile> ParallelCompressor::AheadFile() {
  if (runFile_.file == cursor_.file && runFile_.source) return runFile_.source;
  std::shared_ptr<ReadableFile>& file = opened_[cursor_.file];
  if (!file) {
    try {
      file = lookAhead_.fs.OpenReadable(cursor_.name);
    } catch (...) {
      opened_.erase(cursor_.file);
      throw;
    }
  }
  return file;
}

// Drops every speculation; waits for the workers to let go of theirs, so no
// more than the allowed fragments are ever held. Files opened ahead stay for
// the run.
void ParallelCompressor::Discard() {
  workers_->DropQueued();
  inFlight_.clear();
  heldBytes_ = 0;
  unsettled_.clear();
  open_.reset();
  ahead_ = false;
}

bool ParallelCompressor::Matches(const Job& job, const FragmentRequest& request) const {
  return job.key.at.SamePlace(request.at) && job.key.length == request.length;
}

}  // namespace pb
