// SPDX-License-Identifier: GPL-3.0-or-later
#include "restore/inflating_stage.h"

#include <atomic>
#include <new>

namespace pb {

namespace {

// Enough to keep every worker busy while the writer writes; each fragment
// held takes at most its stored stream and 128 KiB of file bytes.
constexpr std::size_t kFragmentsPerWorker = 4;

}  // namespace

struct InflatingStage::Inflation {
  std::string bytes;
  int32_t normalLen = 0;
  int status = 0;
  bool outOfMemory = false;
  std::atomic<bool> done = false;  // released after the results

  void Run() noexcept {
    try {
      status = DecompressFragment(bytes, normalLen);
    } catch (const std::bad_alloc&) {
      outOfMemory = true;
    }
    done.store(true, std::memory_order_release);
  }
};

InflatingStage::InflatingStage(int workers, InflatedSink& next) : next_(next) {
  if (workers < 2) return;
  maxFragments_ = kFragmentsPerWorker * static_cast<std::size_t>(workers);
  workers_.emplace(workers);
}

Flow InflatingStage::BeginFile(const FileHeader& header) { return Hold({Item::Kind::Begin, header, {}, nullptr}); }

Flow InflatingStage::Fragment(const FragmentHeader& header, std::string& Buffer) {
  auto inflation = std::make_shared<Inflation>();
  inflation->bytes = std::move(Buffer);
  inflation->normalLen = header.NormalLen;
  if (workers_) {
    workers_->Post([inflation] { inflation->Run(); });
  } else {
    inflation->Run();
  }
  return Hold({Item::Kind::Fragment, {}, header, std::move(inflation)});
}

Flow InflatingStage::EndFile() { return Hold({Item::Kind::End, {}, {}, nullptr}); }

void InflatingStage::VolumeOpened(int16_t number) { Hold({Item::Kind::Volume, {}, {}, nullptr, number}); }

Flow InflatingStage::EndOfSet() { return Drain() ? Flow::Continue : Flow::Finish; }

void InflatingStage::GaveUp(const std::string& reason) {
  if (Drain()) next_.GaveUp(reason);
}

void InflatingStage::VolumesLost(const LostVolumes& lost, bool cut) {
  if (Drain()) next_.VolumesLost(lost, cut);
}

void InflatingStage::FilesLost(int32_t count, int32_t firstNumber) {
  if (Drain()) next_.FilesLost(count, firstNumber);
}

void InflatingStage::AfterLastFile(int64_t trailingBytes, bool furtherVolume) {
  if (Drain()) next_.AfterLastFile(trailingBytes, furtherVolume);
}

Flow InflatingStage::Hold(Item item) {
  if (stopped_) return Flow::Finish;
  if (item.kind == Item::Kind::Fragment) ++fragments_;
  items_.push_back(std::move(item));
  // What is ready goes on at once; the oldest fragment is waited for only
  // while too many are held.
  while (!stopped_ && !items_.empty() && (Ready(items_.front()) || fragments_ > maxFragments_)) HandOnFront();
  return stopped_ ? Flow::Finish : Flow::Continue;
}

bool InflatingStage::Drain() {
  while (!stopped_ && !items_.empty()) HandOnFront();
  return !stopped_;
}

bool InflatingStage::Ready(const Item& item) const {
  return item.kind != Item::Kind::Fragment || item.inflation->done.load(std::memory_order_acquire);
}

void InflatingStage::HandOnFront() {
  const Item item = std::move(items_.front());
  items_.pop_front();
  Flow flow = Flow::Continue;
  switch (item.kind) {
    case Item::Kind::Begin: flow = next_.BeginFile(item.file); break;
    case Item::Kind::End: flow = next_.EndFile(); break;
    case Item::Kind::Volume: next_.VolumeOpened(item.volume); break;
    case Item::Kind::Fragment: {
      --fragments_;
      Inflation& inflation = *item.inflation;
      if (!Ready(item)) workers_->WaitUntil([&] { return Ready(item); });
      if (inflation.outOfMemory) throw std::bad_alloc();
      flow = next_.Fragment(item.fragment, inflation.status, inflation.bytes);
      break;
    }
  }
  if (flow == Flow::Finish) {
    // The reader stops here; what it read beyond goes unused.
    stopped_ = true;
    items_.clear();
  }
}

BoxButton InflatingStage::Boxes::Show(const MessageBox& box) {
  if (!stage_.Drain()) throw Stopped{};
  return boxes_.Show(box);
}

}  // namespace pb
