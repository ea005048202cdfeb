// SPDX-License-Identifier: GPL-3.0-or-later
#include "backup/write_archive.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "backup/backup_dialogs.h"
#include "backup/fragment_cut.h"
#include "backup/parallel_compressor.h"
#include "backup/volume_size.h"
#include "store/records.h"
#include "store/worker_pool.h"
#include "store/volume_name.h"
#include "support/dialogs.h"

namespace pb {

namespace {

class BackupRun {
 public:
  BackupRun(Runtime& runtime, BackupInputs& inputs, int workers)
      : runtime_(runtime), fs_(runtime.fs), inputs_(inputs), workers_(workers) {}

  BackupOutcome Run() {
    try {
      Start();
      for (int i = 1; i <= fileCount_; ++i) SaveFile(i);
      FinishLastVolume();
      completed_ = true;
    } catch (const RunGivenUp&) {
    } catch (const RunTimeError& error) {
      ReportFatalError(runtime_, "PUT", error);
    }
    End();
    return completed_ ? BackupOutcome::Complete : BackupOutcome::GivenUp;
  }

 private:
  void Start() {
    target_ = BackupTargetDirectory(inputs_);
    fs_.SetWriteDirectory(target_);
    limit_ = BackupVolumeSize(inputs_);
    fileCount_ = inputs_.FileCount();
    ArchiveHeader header;
    header.FileCount = fileCount_;
    header.Description = BackupDescription(inputs_);
    archiveHeader_ = ArchiveHeaderBytes(header);
    compressor_ = std::make_unique<ParallelCompressor>(
        workers_, LookAhead{fs_, [this](int index) { return inputs_.FileAt(index); }, fileCount_, limit_});
  }

  void SaveFile(int i) {
    inputs_.SetProgress(static_cast<int>(std::lrint(static_cast<float>(i) / static_cast<float>(fileCount_) * 100.0f)));
    currentFile_ = i;
    inputs_.ShowProgress({i, fileCount_, bytesStored_, volumeNumber_});
    OpenSource(inputs_.FileAt(i - 1));
    const bool empty = fileLength_ == 0;
    for (;;) {
      const int64_t remaining = fileLength_ - readPosition_;
      if (remaining == 0 && !empty) break;
      EnsureVolumeOpen();
      if (!headerOnVolume_) {
        if (!WriteRecord(fileHeader_)) continue;
        headerOnVolume_ = true;
        if (empty && !volumeHasFragment_) {
          orphans_.push_back(fileHeader_);
          orphansOnVolume_ = orphans_.size();
        }
      }
      if (empty) break;
      const int64_t room = limit_ - fs_.Length(volume_);
      const int32_t length = FragmentCut(remaining, room, volumeHasFragment_);
      if (length == 0) {
        CloseVolumeAtLimit();
        continue;
      }
      WriteFragment(length, room);
    }
    fs_.Close(source_);
    sourceOpen_ = false;
  }

  // The length is taken once, at opening: bytes the file gains later are not
  // stored, and a file that shrinks fails its next read.
  void OpenSource(const std::string& name) {
    Guarded(runtime_.boxes, FailureGroup::SourceAccess, [&] {
      source_ = fs_.Open(name, OpenMode::BinaryRead);
      sourceOpen_ = true;
      try {
        const int64_t length = fs_.Length(source_);
        if (length > std::numeric_limits<int32_t>::max()) Raise(kOverflow);
        fileLength_ = static_cast<int32_t>(length);
      } catch (const RunTimeError&) {
        fs_.Close(source_);
        sourceOpen_ = false;
        throw;
      }
    });
    readPosition_ = 0;
    headerOnVolume_ = false;
    sourceName_ = name;
    fileHeader_ = FileHeaderBytes(FileHeader{fileLength_, name});
  }

  void EnsureVolumeOpen() {
    while (!volumeOpen_) {
      if (newDisk_ && inputs_.ClearTarget()) ClearTarget();
      if (volumeHasFragment_ || volumeNumber_ == 0) {
        if (volumeNumber_ == std::numeric_limits<int16_t>::max()) Raise(kOverflow);
        ++volumeNumber_;
        volumeHasFragment_ = false;
      }
      volumePath_ = target_ + VolumeFileName(volumeNumber_);
      RemoveOldVolume();
      volume_ = Guarded(runtime_.boxes, FailureGroup::VolumeManagement,
                        [&] { return fs_.Open(volumePath_, OpenMode::Output); });
      volumeOpen_ = true;
      if (volumeNumber_ == 1 && !WriteRecord(archiveHeader_)) continue;
      RewriteOrphans();
    }
  }

  void ClearTarget() {
    const std::vector<std::string> names =
        Guarded(runtime_.boxes, FailureGroup::Clearing, [&] { return fs_.ListDirectory(target_, kMaskFiles); });
    for (const std::string& name : names) {
      // A name the file system cannot address again cannot be deleted either.
      if (name.front() == '.' || name.find('?') != std::string::npos) continue;
      const std::string path = target_ + name;
      Guarded(runtime_.boxes, FailureGroup::Clearing, [&] { fs_.SetAttributesNormal(path); });
      Guarded(runtime_.boxes, FailureGroup::Clearing, [&] { fs_.DeleteFile(path); });
      runtime_.host.Yield();
    }
  }

  // Any file of the volume's name goes, whatever its attributes, so the new
  // volume never keeps an older tail.
  void RemoveOldVolume() {
    const bool exists = !Guarded(runtime_.boxes, FailureGroup::VolumeManagement,
                                 [&] { return fs_.FindEntry(volumePath_, kMaskFiles); })
                             .empty();
    if (!exists) return;
    Guarded(runtime_.boxes, FailureGroup::VolumeManagement, [&] { fs_.SetAttributesNormal(volumePath_); });
    Guarded(runtime_.boxes, FailureGroup::VolumeManagement, [&] { fs_.DeleteFile(volumePath_); });
  }

  // Headers of empty files that lay on a volume deleted for want of room come
  // back before anything else, so the set keeps one per file.
  void RewriteOrphans() {
    while (volumeOpen_ && orphansOnVolume_ < orphans_.size()) {
      if (WriteRecord(orphans_[orphansOnVolume_])) ++orphansOnVolume_;
    }
  }

  // room: the volume size limit minus the volume's length before the fragment.
  void WriteFragment(int32_t length, int64_t room) {
    for (;;) {
      runtime_.host.Yield();
      const std::string fragment = PackedFragment(length, room);
      if (InWriteGroup([&] { fs_.Write(volume_, fragment); }) == WriteResult::Done) {
        volumeHasFragment_ = true;
        newDisk_ = false;
        orphans_.clear();
        orphansOnVolume_ = 0;
        readPosition_ += length;
        bytesStored_ += length;
        inputs_.ShowProgress({currentFile_, fileCount_, bytesStored_, volumeNumber_});
        return;
      }
      length /= 2;
      if (length < kMinimumFragment) {
        ChangeDisk();
        return;
      }
    }
  }

  // The one place where file bytes become a fragment: header and zlib stream.
  std::string PackedFragment(int32_t length, int64_t room) {
    const FragmentRequest request{currentFile_ - 1, sourceName_, fileLength_, readPosition_, length, room,
                                  volumeHasFragment_};
    CompressedFragment packed = compressor_->Compress(request, [&] {
      return Guarded(runtime_.boxes, FailureGroup::SourceAccess, [&] {
        fs_.Seek(source_, readPosition_ + 1);
        return fs_.Read(source_, length);
      });
    });
    if (packed.status != 0) {
      runtime_.boxes.Show(MessageBox{
          .text = std::to_string(packed.status), .icon = BoxIcon::Critical, .title = "ZlibCompressString(Buffer)"});
      // A fragment that is not a zlib stream would spoil the set.
      throw RunGivenUp{};
    }
    return FragmentHeaderBytes(FragmentHeader{length, static_cast<int32_t>(packed.bytes.size())}) + packed.bytes;
  }

  // Writes a record; false when the medium was full and a new disk is in.
  bool WriteRecord(const std::string& record) {
    if (InWriteGroup([&] { fs_.Write(volume_, record); }) == WriteResult::Done) return true;
    ChangeDisk();
    return false;
  }

  WriteResult InWriteGroup(const std::function<void()>& step) { return GuardedTargetWrite(runtime_, "PUT", step); }

  void CloseVolumeAtLimit() {
    if (!inputs_.DisketteTarget()) {
      // The device takes the volume while the next one is written; the
      // flush waits for it before the next box about the medium.
      fs_.StartWriteBack(volume_);
      CloseVolume();
      closedUnflushed_ = true;
      return;
    }
    if (InWriteGroup([&] { fs_.Flush(volume_); }) == WriteResult::MediumFull) {
      ChangeDisk();
      return;
    }
    CloseVolume();
  }

  // Puts the open volume (when withOpen) on the device, and those closed at
  // the size limit before it.
  void FlushVolumes(bool withOpen) {
    if (withOpen) fs_.Flush(volume_);
    if (!closedUnflushed_) return;
    fs_.FlushDirectory(target_);
    closedUnflushed_ = false;
  }

  // The medium is full: keep the volume if it holds a fragment, else delete
  // it, then ask for the next diskette.
  void ChangeDisk() {
    // A second "full" here changes nothing: the user is asked anyway.
    InWriteGroup([&] { FlushVolumes(volumeHasFragment_); });
    if (volumeHasFragment_) {
      CloseVolume();
    } else {
      CloseVolume();
      Guarded(runtime_.boxes, FailureGroup::VolumeManagement, [&] { fs_.DeleteFile(volumePath_); });
      headerOnVolume_ = false;
      orphansOnVolume_ = 0;
    }
    AskForNextDiskette(runtime_.boxes);
    newDisk_ = true;
  }

  void CloseVolume() {
    Guarded(runtime_.boxes, FailureGroup::VolumeManagement, [&] { fs_.Close(volume_); });
    volumeOpen_ = false;
  }

  // The data is on the device before the user is told the copy is done.
  void FinishLastVolume() {
    while (volumeOpen_ || orphansOnVolume_ < orphans_.size()) {
      EnsureVolumeOpen();
      if (InWriteGroup([&] { FlushVolumes(true); }) == WriteResult::MediumFull) {
        ChangeDisk();
        continue;
      }
      CloseVolume();
      return;
    }
  }

  void End() {
    // On the way out after giving up, what was written stays as it is.
    if (volumeOpen_) CloseQuietly(volume_);
    if (sourceOpen_) CloseQuietly(source_);
    if (closedUnflushed_) {
      try {
        fs_.FlushDirectory(target_);
      } catch (const RunTimeError&) {
      }
    }
    if (completed_) {
      runtime_.boxes.Show(MessageBox{.text = "Die Kopie ist fertig!", .icon = BoxIcon::Information});
    }
    inputs_.SetProgress(0);
  }

  void CloseQuietly(FileNumber file) {
    try {
      fs_.Close(file);
    } catch (const RunTimeError&) {
    }
  }

  Runtime& runtime_;
  FileSystem& fs_;
  BackupInputs& inputs_;
  int workers_;
  std::unique_ptr<ParallelCompressor> compressor_;

  std::string target_;
  int64_t limit_ = 0;
  int fileCount_ = 0;
  std::string archiveHeader_;
  bool completed_ = false;

  int16_t volumeNumber_ = 0;
  std::string volumePath_;
  FileNumber volume_ = 0;
  bool volumeOpen_ = false;
  bool volumeHasFragment_ = false;
  bool closedUnflushed_ = false;  // volumes closed at the limit, not yet flushed
  bool newDisk_ = true;
  // Headers of empty files on the current volume while it holds no fragment.
  std::vector<std::string> orphans_;
  std::size_t orphansOnVolume_ = 0;

  int currentFile_ = 0;
  FileNumber source_ = 0;
  bool sourceOpen_ = false;
  std::string sourceName_;
  int32_t fileLength_ = 0;
  int64_t readPosition_ = 0;
  std::string fileHeader_;
  bool headerOnVolume_ = false;
  int64_t bytesStored_ = 0;
};

}  // namespace

int DefaultBackupWorkers() { return DefaultWorkers(); }

BackupOutcome WriteArchive(Runtime& runtime, BackupInputs& inputs, int workers) {
  return BackupRun(runtime, inputs, workers).Run();
}

}  // namespace pb
