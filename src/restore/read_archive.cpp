// SPDX-License-Identifier: GPL-3.0-or-later
#include "restore/read_archive.h"

#include <functional>
#include <optional>

#include "restore/apply_stamps.h"
#include "restore/archive_stream.h"
#include "restore/create_target_file.h"
#include "restore/damage_spans.h"
#include "restore/inflating_stage.h"
#include "restore/protected_files.h"
#include "support/dialogs.h"
#include "support/guarded_step.h"
#include "support/paths.h"
#include "support/run_time_error.h"

namespace pb {

namespace {

// Bytes of a large file written before the device is asked to take them.
constexpr int64_t kWriteBackChunk = 8 << 20;
// Below this the write-back is left to the flush at the end: starting it
// file by file costs a small file more than it saves.
constexpr int64_t kWriteBackMinimum = 1 << 20;

// Writes each file of the set to its place below the target directory.
class TargetFiles : public InflatedSink {
 public:
  TargetFiles(Runtime& runtime, std::string SourceDir, std::string TargetDir, const RestoreOptions& options,
              int fileCount)
      : runtime_(runtime),
        TargetDir_(std::move(TargetDir)),
        options_(options),
        protected_(runtime.fs, std::move(SourceDir)),
        damage_([this](const std::string& path, int16_t damagedVolume) {
          if (damagedVolume != 0 && options_.damagedFile) options_.damagedFile(path, damagedVolume);
        }),
        stamps_(TargetDir_) {
    progress_.fileCount = fileCount;
  }

  ~TargetFiles() override {
    if (!TargetFile_) return;
    try {
      runtime_.fs.Close(*TargetFile_);
    } catch (const RunTimeError&) {
      // The run already ended on a failure of this file; nothing more to tell.
    }
  }

  void VolumeOpened(int16_t number) override {
    protected_.VolumeOpened(number);
    damage_.VolumeOpened(number);
    progress_.volume = number;
    Tell();
  }

  Flow BeginFile(const FileHeader& header) override {
    ++progress_.fileNumber;
    Tell();
    stamps_.FileBegun(header.FileName);
    const std::optional<std::string> place =
        options_.place ? options_.place(header.FileName) : TargetPathFor("", header.FileName);
    SkipFile_ = !place;
    if (SkipFile_) return Flow::Continue;
    TargetPath_ = TargetDir_ + *place;
    std::string reason;
    // A file made new cannot be one to protect or to keep.
    TargetFile_ = CreateNewTargetFile(runtime_.fs, TargetPath_);
    if (!TargetFile_) {
      const TargetCheck check = protected_.Check(TargetPath_);
      if (check.refusal.empty() && options_.keepExisting && Exists(TargetPath_)) {
        SkipFile_ = true;
        if (options_.kept) options_.kept(TargetPath_);
        return Flow::Continue;
      }
      reason = check.refusal;
      if (reason.empty()) {
        const int32_t code = CreateTargetFile(runtime_.fs, TargetPath_, check.exists, &TargetFile_);
        if (code != 0) reason = TargetFailureReason(runtime_.fs, TargetPath_, code);
      }
    }
    SkipFile_ = !reason.empty();
    createdAny_ = createdAny_ || !SkipFile_;
    if (SkipFile_) {
      damaged_ = true;
      runtime_.boxes.Show(MessageBox{.text = "Die Datei " + TargetPath_ + " konnte nicht angelegt werden ...",
                                     .icon = BoxIcon::Critical,
                                     .reason = reason,
                                     .path = TargetPath_});
      return Flow::Continue;
    }
    damage_.FileBegun(TargetPath_);
    return Flow::Continue;
  }

  Flow Fragment(const FragmentHeader& header, int DecompressStatus, std::string& Buffer) override {
    progress_.bytesRead += header.NormalLen;
    Tell();
    if (SkipFile_) return Flow::Continue;
    if (DecompressStatus != 0) {
      damaged_ = true;
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
    damage_.FileEnded();
    if (!SkipFile_) {
      if (unsent_ >= kWriteBackMinimum) StartWriteBack();
      unsent_ = 0;
      CloseTargetFile();
      protected_.Restored(TargetPath_);
      stamps_.Restored(TargetPath_);
    }
    return Flow::Continue;
  }

  // The files from it may hold other bytes than were saved.
  void VolumeDamaged(int16_t number) override {
    damaged_ = true;
    damage_.VolumeDamaged(number);
  }

  void VolumesLost(const LostVolumes& lost, bool cut) override {
    damaged_ = true;
    if (!cut) return;
    damage_.FileEnded();
    if (SkipFile_) return;
    unsent_ = 0;
    CloseTargetFile();
    if (options_.cutFile) options_.cutFile(TargetPath_, lost);
  }

  void FilesLost(int32_t count, int32_t firstNumber) override {
    if (options_.filesLost) options_.filesLost(count, firstNumber);
  }

  // Once the reading has ended, every file written is settled.
  void SettleDamage() { damage_.SettleAll(); }

  void AfterLastFile(int64_t trailingBytes, bool furtherVolume) override {
    if (options_.afterLastFile) options_.afterLastFile(trailingBytes, furtherVolume);
  }

  // Everything restored is on the device before the beep says the run is
  // done. One flush of the target's file system costs far less than one per
  // file.
  void FlushRestoredFiles(bool ranToTheEnd) {
    // A restore that chose no file may not even have made the target.
    if (!createdAny_) return;
    if (ranToTheEnd) {
      try {
        TargetStep([&] { runtime_.fs.FlushDirectory(TargetDir_); });
      } catch (const RunGivenUp&) {
        stop_ = RestoreOutcome::GivenUp;
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

  StampApplier& stamps() { return stamps_; }

  RestoreOutcome Outcome(StreamEnd end) const {
    if (stop_) return *stop_;
    if (end == StreamEnd::Finished) return RestoreOutcome::GivenUp;
    return end == StreamEnd::Damaged || damaged_ ? RestoreOutcome::Damaged : RestoreOutcome::Intact;
  }

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

  void Tell() {
    if (options_.progress) options_.progress(progress_);
  }

  bool Exists(const std::string& path) {
    try {
      return !runtime_.fs.FindEntry(path, kMaskAll).empty();
    } catch (const RunTimeError&) {
      // Creating it will tell whether the place can be written.
      return false;
    }
  }

  void ReportDiskFull() {
    stop_ = RestoreOutcome::TargetFull;
    runtime_.boxes.Show(MessageBox{.text = "Der Datenträger ist voll! Die Wiederherstellung wird daher abgebrochen.",
                                   .icon = BoxIcon::Critical});
  }

  Runtime& runtime_;
  std::string TargetDir_;
  const RestoreOptions& options_;
  std::string TargetPath_;
  bool SkipFile_ = false;
  std::optional<FileNumber> TargetFile_;
  int64_t unsent_ = 0;  // written to the open file since its write-back began
  bool damaged_ = false;
  bool createdAny_ = false;
  std::optional<RestoreOutcome> stop_;
  RestoreProgress progress_;
  ProtectedFiles protected_;
  DamageSpans<std::string> damage_;  // the paths of files written
  StampApplier stamps_;
};

}  // namespace

RestoreOutcome ReadArchive(Runtime& runtime, const ProbeResults& probe, const std::string& sourceDir,
                           const std::string& targetDir, int workers, const RestoreOptions& options) {
  runtime.fs.SetWriteDirectory(WithTrailingBackslash(targetDir));
  TargetFiles target(runtime, WithTrailingBackslash(sourceDir), WithTrailingBackslash(targetDir), options,
                     probe.ArchiveFileCount);
  InflatingStage stage(workers, target);
  InflatingStage::Boxes readerBoxes(stage, runtime.boxes);
  Runtime reader{runtime.fs, readerBoxes, runtime.host};
  StreamEnd end = StreamEnd::Finished;
  try {
    end = ReadArchiveStream(reader, probe, sourceDir, stage);
  } catch (const InflatingStage::Stopped&) {
  }
  target.SettleDamage();
  // A run that ended early keeps the times of what it did restore, where the
  // record can be reached: a set in one directory has it beside its volumes.
  target.stamps().Apply(runtime, WithTrailingBackslash(sourceDir), probe.ArchiveFileCount, end == StreamEnd::AllFiles);
  // Without the next volume the program ends at once, without the beep.
  if (end == StreamEnd::VolumeMissing) runtime.EndProgram(kExitGivenUp);
  try {
    // What reached a file before the run stopped stays.
    if (end != StreamEnd::AllFiles) target.CloseTargetFile();
  } catch (const RunTimeError& error) {
    ReportFatalError(runtime, "RESTORE", error);
  }
  target.FlushRestoredFiles(end == StreamEnd::AllFiles || end == StreamEnd::VolumesLost);
  runtime.host.Beep();
  return target.Outcome(end);
}

}  // namespace pb
