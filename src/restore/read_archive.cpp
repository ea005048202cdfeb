// SPDX-License-Identifier: GPL-3.0-or-later
#include "restore/read_archive.h"

#include <functional>
#include <optional>

#include "restore/archive_stream.h"
#include "restore/create_target_file.h"
#include "restore/inflating_stage.h"
#include "support/dialogs.h"
#include "support/guarded_step.h"
#include "support/paths.h"
#include "support/run_time_error.h"

namespace pb {

namespace {

// Bytes of a large file written before the device is asked to take them.
constexpr int64_t kWriteBackChunk = 8 << 20;

// Writes each file of the set to its place below the target directory.
class TargetFiles : public InflatedSink {
 public:
  TargetFiles(Runtime& runtime, std::string TargetDir) : runtime_(runtime), TargetDir_(std::move(TargetDir)) {}

  ~TargetFiles() override {
    if (!TargetFile_) return;
    try {
      runtime_.fs.Close(*TargetFile_);
    } catch (const RunTimeError&) {
      // The run already ended on a failure of this file; nothing more to tell.
    }
  }

  Flow BeginFile(const FileHeader& header) override {
    TargetPath_ = TargetPathFor(TargetDir_, header.FileName);
    SkipFile_ = CreateTargetFile(runtime_.fs, TargetPath_) != 0;
    if (SkipFile_) {
      intact_ = false;
      runtime_.boxes.Show(MessageBox{.text = "Die Datei " + TargetPath_ + " konnte nicht angelegt werden ...",
                                     .icon = BoxIcon::Critical});
      return Flow::Continue;
    }
    return TargetStep([&] { TargetFile_ = runtime_.fs.Open(TargetPath_, OpenMode::BinaryWrite); });
  }

  Flow Fragment(const FragmentHeader& /*header*/, int DecompressStatus, std::string& Buffer) override {
    if (SkipFile_) return Flow::Continue;
    if (DecompressStatus != 0) {
      intact_ = false;
      runtime_.boxes.Show(MessageBox{.text = std::to_string(DecompressStatus),
                                     .icon = BoxIcon::Critical,
                                     .title = "ZlibDecompressString(Buffer, FragmentHeader.NormalLen)"});
    }
    if (TargetStep([&] { runtime_.fs.Write(*TargetFile_, Buffer); }) == Flow::Finish) return Flow::Finish;
    unsent_ += static_cast<int64_t>(Buffer.size());
    if (unsent_ >= kWriteBackChunk) StartWriteBack();
    return Flow::Continue;
  }

  Flow EndFile() override {
    if (!SkipFile_) {
      StartWriteBack();
      CloseTargetFile();
    }
    return Flow::Continue;
  }

  // Everything restored is on the device before the beep says the run is
  // done. One flush of the target's file system costs far less than one per
  // file.
  void FlushRestoredFiles(bool ranToTheEnd) {
    if (ranToTheEnd) {
      try {
        if (TargetStep([&] { runtime_.fs.FlushDirectory(TargetDir_); }) == Flow::Finish) intact_ = false;
      } catch (const RunGivenUp&) {
        intact_ = false;
      }
      return;
    }
    // The run already told the user why it stopped; keep what can be kept.
    try {
      runtime_.fs.FlushDirectory(TargetDir_);
    } catch (const RunTimeError&) {
    }
  }

  void CloseTargetFile() {
    if (!TargetFile_) return;
    const FileNumber file = *TargetFile_;
    TargetFile_.reset();
    runtime_.fs.Close(file);
  }

  bool intact() const { return intact_; }

 private:
  // A guarded write to the target: a full disk ends the run; a confirmed
  // Cancel throws RunGivenUp.
  Flow TargetStep(const std::function<void()>& step) {
    if (GuardedTargetWrite(runtime_, "RESTORE", step) == WriteResult::Done) return Flow::Continue;
    ReportDiskFull();
    return Flow::Finish;
  }

  // The device takes the file's bytes while the run goes on, so the flush
  // before the beep finds little left to do.
  void StartWriteBack() {
    if (TargetFile_) runtime_.fs.StartWriteBack(*TargetFile_);
    unsent_ = 0;
  }

  void ReportDiskFull() {
    intact_ = false;
    runtime_.boxes.Show(MessageBox{.text = "Der Datenträger ist voll! Die Wiederherstellung wird daher abgebrochen.",
                                   .icon = BoxIcon::Critical});
  }

  Runtime& runtime_;
  std::string TargetDir_;
  std::string TargetPath_;
  bool SkipFile_ = false;
  std::optional<FileNumber> TargetFile_;
  int64_t unsent_ = 0;  // written to the open file since its write-back began
  bool intact_ = true;
};

}  // namespace

RestoreOutcome ReadArchive(Runtime& runtime, const ProbeResults& probe, const std::string& sourceDir,
                           const std::string& targetDir, int workers) {
  runtime.fs.SetWriteDirectory(WithTrailingBackslash(targetDir));
  TargetFiles target(runtime, WithTrailingBackslash(targetDir));
  InflatingStage stage(workers, target);
  InflatingStage::Boxes readerBoxes(stage, runtime.boxes);
  Runtime reader{runtime.fs, readerBoxes, runtime.host};
  StreamEnd end = StreamEnd::Finished;
  try {
    end = ReadArchiveStream(reader, probe, sourceDir, stage);
  } catch (const InflatingStage::Stopped&) {
  }
  try {
    // What reached a file before the run stopped stays.
    if (end == StreamEnd::Finished) target.CloseTargetFile();
  } catch (const RunTimeError& error) {
    ReportFatalError(runtime, "RESTORE", error);
  }
  target.FlushRestoredFiles(end == StreamEnd::AllFiles);
  runtime.host.Beep();
  return end == StreamEnd::AllFiles && target.intact() ? RestoreOutcome::Intact : RestoreOutcome::Incomplete;
}

}  // namespace pb
