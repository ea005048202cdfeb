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
  std::string bytes;    // the file bytes; the stream once done
  int status = 0;
  int64_t packed = 0;
  std::atomic<bool> done = false;  // released after the results

  // A stream begun before the fragment's end was known: the bytes read ahead
  // go in while the sizes before it are still being found.
  std::unique_ptr<FragmentDeflater> deflater;
  std::size_t fed = 0;
  std::mutex mutex;
  bool feeding = false;   // guarded by mutex
  bool endWaits = false;  // guarded by mutex: the feeder ends the stream

  void Compress(Deflaters& deflaters) { Finish(deflaters.Compress(bytes)); }

  void FeedAhead(Deflaters& deflaters) {
    try {
      if (deflater->Begin(static_cast<int64_t>(bytes.size())) == 0) {
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
    try {
      result = deflater->EndAt(bytes, static_cast<std::size_t>(key.length));
    } catch (const std::bad_alloc&) {
      bytes.resize(static_cast<std::size_t>(key.length));
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
  maxHeldBytes_ = 2 * int64_t{kFragmentSize} * workers;
  maxHeldJobs_ = kJobsPerWorker * static_cast<size_t>(workers);
  workers_.emplace(workers);
}

ParallelCompressor::~ParallelCompressor() {
  workers_.reset();
  CloseAheadFile();
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
    ++hits_;
  } else {
    ++misses_;
    Discard();
    std::string bytes = read();
    // The look-ahead starts again from this fragment, with the run's room.
    cursor_ = request;
    settledRoom_ = request.room;
    ahead_ = true;
    Submit(request, std::move(bytes));
    Refill();
  }
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
  Refill();
  return {front->status, std::move(front->bytes)};
}

// Jobs in flight the workers have finished.
size_t ParallelCompressor::FinishedCount() const {
  return static_cast<size_t>(
      std::count_if(inFlight_.begin(), inFlight_.end(), [](const JobPtr& job) { return job->done.load(); }));
}

void ParallelCompressor::Submit(const FragmentRequest& key, std::string bytes) {
  auto job = std::make_shared<Job>();
  job->key = key;
  job->bytes = std::move(bytes);
  inFlight_.push_back(job);
  heldBytes_ += key.length;
  unsettled_.push_back(job);
  workers_->Post([job, deflaters = deflaters_.get()] { job->Compress(*deflaters); });
  Advance(key);
}

void ParallelCompressor::Advance(const FragmentRequest& key) {
  cursor_.offset = key.offset + key.length;
  cursor_.volumeHasFragment = true;
}

// Near the volume limit a fragment's end waits for the compressed sizes
// before it, and each cut fragment for the one before it. Its stream is begun
// meanwhile with the bytes it will likely hold at least, and only the rest is
// left for when the end is known.
bool ParallelCompressor::OpenAhead(int64_t likelyRoom) {
  const int32_t full = FragmentCut(cursor_.fileLength - cursor_.offset, kFragmentSize, true);
  if (heldBytes_ + full > maxHeldBytes_) return false;
  auto job = std::make_shared<Job>();
  try {
    job->bytes = ReadAhead(full);
    job->deflater = deflaters_->Borrow();
  } catch (const RunTimeError&) {
    StopAhead();
    return false;
  } catch (const std::bad_alloc&) {
    return false;  // the run waits for the sizes instead
  }
  job->key = cursor_;
  job->key.length = 0;
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
  heldBytes_ -= static_cast<int64_t>(job->bytes.size()) - length;
  unsettled_.push_back(job);
  Advance(job->key);
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
    if (cursor_.offset >= cursor_.fileLength) {
      ahead_ = NextFile();
      continue;
    }
    const Foresight next = NextLength();
    if (next.length == 0) {
      if (!OpenAhead(next.likelyRoom)) return;
      continue;
    }
    if (heldBytes_ + next.length > maxHeldBytes_) return;
    std::string bytes;
    try {
      bytes = ReadAhead(next.length);
    } catch (const RunTimeError&) {
      StopAhead();
      return;
    }
    FragmentRequest key = cursor_;
    key.length = next.length;
    Submit(key, std::move(bytes));
  }
}

// The run meets a read failure itself, in its own read.
void ParallelCompressor::StopAhead() {
  ahead_ = false;
  CloseAheadFile();
}

// Steps to the next file of the list that the run will begin, counting its
// header against the room as the run writes it.
bool ParallelCompressor::NextFile() {
  CloseAheadFile();
  const int next = cursor_.file + 1;
  if (next >= static_cast<int>(lookAhead_.files.size())) return false;
  cursor_.file = next;
  cursor_.name = lookAhead_.files[static_cast<std::size_t>(next)];
  cursor_.offset = 0;
  try {
    aheadFile_ = lookAhead_.fs.OpenReadable(cursor_.name);
    aheadFileIndex_ = next;
    const int64_t length = aheadFile_->Length();
    if (length > std::numeric_limits<int32_t>::max()) return false;
    cursor_.fileLength = static_cast<int32_t>(length);
    settledRoom_ -= static_cast<int64_t>(FileHeaderBytes(FileHeader{cursor_.fileLength, cursor_.name}).size());
  } catch (const RunTimeError&) {
    CloseAheadFile();
    return false;
  }
  return true;
}

// The length the run will give the fragment at the cursor, or 0 while that
// depends on a compressed size not known yet: the run's own cut, applied to
// the room the fragments before it leave.
ParallelCompressor::Foresight ParallelCompressor::NextLength() {
  const int64_t remaining = cursor_.fileLength - cursor_.offset;
  const int32_t full = FragmentCut(remaining, kFragmentSize, true);
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
    if (FragmentCut(remaining, room, true) == full) return {full};
    // A guess: should the fragments out compress worse than the recent ones,
    // the run asks for a cut fragment instead and the look-ahead starts again
    // from there. Cut lengths themselves are never guessed.
    return {likely >= full + kGuessMargin ? full : 0, likely};
  }
  const int32_t length = FragmentCut(remaining, room, cursor_.volumeHasFragment);
  if (length != 0) return {length};
  // The run closes the volume here and goes on in the next one.
  unsettled_.clear();
  settledRoom_ = lookAhead_.volumeLimit;
  cursor_.volumeHasFragment = false;
  return {FragmentCut(remaining, settledRoom_, false)};
}

int64_t ParallelCompressor::LikelyCompressedSize(int32_t length) const {
  const int64_t bound = FragmentDeflater::MaxCompressedSize(length);
  if (recentCount_ == 0) return bound;
  const size_t known = std::min(recentCount_, recentRatios_.size());
  const double ratio = *std::max_element(recentRatios_.begin(), recentRatios_.begin() + static_cast<long>(known));
  return std::min(bound, static_cast<int64_t>(ratio * length) + kGuessMargin);
}

std::string ParallelCompressor::ReadAhead(int32_t length) {
  if (aheadFileIndex_ != cursor_.file) {
    CloseAheadFile();
    aheadFile_ = lookAhead_.fs.OpenReadable(cursor_.name);
    aheadFileIndex_ = cursor_.file;
  }
  return aheadFile_->ReadAt(cursor_.offset, length);
}

void ParallelCompressor::CloseAheadFile() noexcept {
  aheadFileIndex_ = -1;
  aheadFile_.reset();
}

// Drops every speculation; waits for the workers to let go of theirs, so no
// more than the allowed fragments are ever held.
void ParallelCompressor::Discard() {
  workers_->DropQueued();
  inFlight_.clear();
  heldBytes_ = 0;
  unsettled_.clear();
  open_.reset();
  StopAhead();
}

bool ParallelCompressor::Matches(const Job& job, const FragmentRequest& request) const {
  return job.key.file == request.file && job.key.offset == request.offset && job.key.length == request.length &&
         job.key.fileLength == request.fileLength && job.key.name == request.name;
}

}  // namespace pb
