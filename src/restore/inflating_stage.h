// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>

#include "restore/archive_stream.h"
#include "store/worker_pool.h"
#include "support/message_boxes.h"

namespace pb {

// What follows the inflating stage: the items of a set in stream order, each
// fragment already inflated.
class InflatedSink {
 public:
  virtual ~InflatedSink() = default;
  virtual Flow BeginFile(const FileHeader& header) = 0;
  // status and bytes as DecompressFragment leaves them for the stored stream.
  virtual Flow Fragment(const FragmentHeader& header, int status, std::string& bytes) = 0;
  virtual Flow EndFile() = 0;
  virtual void GaveUp(const std::string& /*reason*/) {}
  virtual void VolumeOpened(int16_t /*number*/) {}
  virtual void VolumeDamaged(int16_t /*number*/) {}
  virtual void AfterLastFile(int64_t /*trailingBytes*/, bool /*furtherVolume*/) {}
  virtual void VolumesLost(const LostVolumes& /*lost*/, bool /*cut*/) {}
  virtual void FilesLost(int32_t /*count*/, int32_t /*firstNumber*/) {}
};

// Inflates the fragments of a set on worker threads while the reader goes on
// reading, and hands every item to next on the reader's thread, in stream
// order, exactly as a reader inflating each fragment itself would.
//
// Reading ahead is invisible, so only a box the reader shows could tell: such
// a box first lets every item read before it through (see Boxes), and never
// comes when next stopped before it. Without workers each item is handed on
// at once.
class InflatingStage : public ArchiveSink {
 public:
  InflatingStage(int workers, InflatedSink& next);
  InflatingStage(const InflatingStage&) = delete;
  InflatingStage& operator=(const InflatingStage&) = delete;

  Flow BeginFile(const FileHeader& header) override;
  Flow Fragment(const FragmentHeader& header, std::string& Buffer) override;
  Flow EndFile() override;
  Flow EndOfSet() override;
  void GaveUp(const std::string& reason) override;
  void AfterLastFile(int64_t trailingBytes, bool furtherVolume) override;
  void VolumesLost(const LostVolumes& lost, bool cut) override;
  void FilesLost(int32_t count, int32_t firstNumber) override;
  void VolumeOpened(int16_t number) override;
  // Told at once: it is no item of the stream.
  void VolumeDamaged(int16_t number) override { next_.VolumeDamaged(number); }

  // Hands on every item held; false once next has stopped the reading.
  bool Drain();

  // Thrown instead of showing a reader's box that next stopped the run before.
  struct Stopped {};

  // The reader's boxes: each one waits until the items before it are through.
  class Boxes : public MessageBoxes {
   public:
    Boxes(InflatingStage& stage, MessageBoxes& boxes) : stage_(stage), boxes_(boxes) {}
    BoxButton Show(const MessageBox& box) override;

   private:
    InflatingStage& stage_;
    MessageBoxes& boxes_;
  };

 private:
  struct Inflation;
  struct Item {
    enum class Kind { Begin, Fragment, End, Volume } kind;
    FileHeader file;
    FragmentHeader fragment;
    std::shared_ptr<Inflation> inflation;
    int16_t volume = 0;
  };

  Flow Hold(Item item);
  bool Ready(const Item& item) const;
  void HandOnFront();

  InflatedSink& next_;
  std::optional<WorkerPool> workers_;
  std::size_t maxFragments_ = 0;  // inflating or inflated, not yet handed on
  std::size_t fragments_ = 0;
  std::deque<Item> items_;
  bool stopped_ = false;
};

}  // namespace pb
