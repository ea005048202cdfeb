// SPDX-License-Identifier: GPL-3.0-or-later
#include "backup/write_archive.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "backup/backup_dialogs.h"
#include "backup/fragment_cursor.h"
#include "backup/media_series.h"
#include "backup/medium_record.h"
#include "backup/parallel_compressor.h"
#include "backup/repair_writer.h"
#include "backup/stamp_collector.h"
#include "backup/target_clearing.h"
#include "backup/volume_size.h"
#include "store/identity_file.h"
#include "store/records.h"
#include "store/worker_pool.h"
#include "store/volume_name.h"
#include "support/dialogs.h"

namespace pb {

namespace {

// Thrown when a volume read back differs from what was written and the user
// has put in another disk for it: the run goes back to where that volume
// began.
struct RewriteVolume {};

class BackupRun : RepairMedia {
 public:
  BackupRun(Runtime& runtime, const BackupPlan& plan, BackupDisplay& display, int workers)
      : runtime_(runtime), fs_(runtime.fs), plan_(plan), display_(display), workers_(workers) {}

  BackupOutcome Run() {
    // The host may end the program at a yield; the record then says so.
    struct TidyWhileRunning {
      Host& host;
      ~TidyWhileRunning() { host.SetEarlyEndTidy({}); }
    } tidy{runtime_.host};
    runtime_.host.SetEarlyEndTidy([this] { LeaveGivenUp(); });
    try {
      Start();
      int first = 1;
      for (;;) {
        try {
          for (int i = first; i <= fileCount_; ++i) SaveFile(i);
          FinishLastVolume();
          RemoveStaleVolumes();
          // Beside the last volume, where a restore looks for it.
          WriteStamps();
          if (repair_) repair_->Finish();
          break;
        } catch (const RewriteVolume&) {
          first = BackToVolumeStart();
        }
      }
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
    target_ = plan_.target;
    diskette_ = IsMediaSeries(fs_, plan_);
    fs_.SetWriteDirectory(target_);
    limit_ = plan_.volumeLimit;
    fileCount_ = static_cast<int>(plan_.files.size());
    ArchiveHeader header;
    header.FileCount = fileCount_;
    header.Description = plan_.description;
    archiveHeader_ = ArchiveHeaderBytes(header);
    record_ = std::make_unique<MediumRecord>(fs_, target_, diskette_);
    stamps_ = std::make_unique<StampCollector>(fileCount_);
    verify_ = plan_.verifyVolumes;
    if (plan_.repairVolumes > 0) {
      repair_ = std::make_unique<RepairWriter>(runtime_, target_, diskette_, plan_.repairVolumes, *record_,
                                               static_cast<RepairMedia&>(*this));
    }
    compressor_ = std::make_unique<ParallelCompressor>(workers_, LookAhead{fs_, plan_.files, limit_});
  }

  void SaveFile(int i) {
    display_.SetProgress(static_cast<int>(std::lrint(static_cast<float>(i) / static_cast<float>(fileCount_) * 100.0f)));
    display_.ShowProgress({i, fileCount_, bytesStored_, volumeNumber_});
    OpenSource(i - 1);
    const bool empty = cursor_.fileLength == 0;
    for (;;) {
      if (cursor_.FileDone() && !empty) break;
      EnsureVolumeOpen();
      if (headerVolume_ == 0) {
        if (!WriteRecord(fileHeader_)) continue;
        headerVolume_ = volumeNumber_;
        if (empty && !cursor_.volumeHasFragment) {
          orphans_.push_back(fileHeader_);
          orphansOnVolume_ = orphans_.size();
        }
      }
      if (empty) break;
      const int64_t room = limit_ - volumeLength_;
      const int32_t length = cursor_.Cut(room);
      if (length == 0) {
        CloseVolumeAtLimit();
        continue;
      }
      WriteFragment(length, room);
    }
    source_.reset();
  }

  // The length is taken once, at opening: bytes the file gains later are not
  // stored, and a file that shrinks fails its next read.
  void OpenSource(int file) {
    const std::string& name = plan_.files[static_cast<std::size_t>(file)];
    Guarded(runtime_.boxes, FailureGroup::SourceAccess, [&] {
      std::shared_ptr<ReadableFile> source = compressor_->Source(file, [&] { return fs_.OpenReadable(name); });
      // The refusal may not have seen it this long, or not at all.
      if (source->Length() > std::numeric_limits<int32_t>::max()) Raise(kOverflow);
      source_ = std::move(source);
    });
    cursor_.BeginFile(file, name, static_cast<int32_t>(source_->Length()));
    stamps_->Opened(file + 1, name, *source_);
    headerVolume_ = 0;
    fileHeader_ = FileHeaderBytes(FileHeader{cursor_.fileLength, name});
    if (resume_) {
      // The file as it was when the volume to be written again began.
      cursor_.fileLength = resume_->at.fileLength;
      cursor_.offset = resume_->at.offset;
      fileHeader_ = resume_->fileHeader;
      headerVolume_ = resume_->headerVolume;
      resume_.reset();
    }
  }

  void EnsureVolumeOpen() {
    while (!volumeOpen_) {
      if (newDisk_ && plan_.clearTarget) ClearTarget();
      if (newDisk_) ConfirmAnotherSet();
      if (cursor_.volumeHasFragment || volumeNumber_ == 0) {
        if (volumeNumber_ == std::numeric_limits<int16_t>::max()) Raise(kOverflow);
        ++volumeNumber_;
        cursor_.NextVolume();
      }
      volumePath_ = target_ + VolumeFileName(volumeNumber_);
      volumeStart_ = VolumeStart{volumeNumber_, cursor_,          fileHeader_, headerVolume_,
                                 orphans_,      orphansOnVolume_, bytesStored_};
      RemoveOldVolume();
      // The record's room is taken before the volume fills the medium.
      Guarded(runtime_.boxes, FailureGroup::VolumeManagement, [&] { record_->Opening(volumeNumber_); });
      volume_ = Guarded(runtime_.boxes, FailureGroup::VolumeManagement, [&] { return fs_.OpenWritable(volumePath_); });
      volumeOpen_ = true;
      volumeLength_ = 0;
      volumeChecksum_.emplace();
      if (repair_) repair_->VolumeBegun();
      if (volumeNumber_ == 1 && !WriteRecord(archiveHeader_)) continue;
      RewriteOrphans();
    }
  }

  // Empties the new disk, but never of a volume of this run: a diskette that
  // holds one is not the next one, and a directory keeps them all.
  // After a failure the medium is listed anew: the one in the drive now may
  // be another.
  void ClearTarget() {
    for (;;) {
      const bool cleared = Guarded(runtime_.boxes, FailureGroup::Clearing, [&] {
        std::vector<std::string> names = fs_.ListDirectory(target_, kMaskFiles);
        std::erase_if(names, KeptWhenClearing);
        const std::size_t all = names.size();
        std::erase_if(names, [&](const std::string& name) { return IsOwnVolume(name); });
        if (names.size() != all && diskette_) return false;
        for (const std::string& name : names) {
          fs_.SetAttributesNormal(target_ + name);
          fs_.DeleteFile(target_ + name);
          runtime_.host.Yield();
        }
        return true;
      });
      if (cleared) return;
      AskForAnotherDiskette(runtime_.boxes);
    }
  }

  // A medium of another set is never made unreadable unasked: OK with it
  // still in the drive writes over it, another medium put in is looked at
  // anew. Clearing was asked for: it empties every medium anyway.
  void ConfirmAnotherSet() {
    if (!diskette_ || plan_.clearTarget) return;
    const std::string path = target_ + std::string(kIdentityFileName);
    for (;;) {
      const std::string identity = IdentityOf(path);
      if (identity.empty()) return;
      const std::optional<SetIdentity> found = ReadIdentityRecord(fs_, target_);
      if (!found || found->setId == record_->setId()) return;
      AskRetryOrGiveUp(runtime_.boxes,
                       "Diese Diskette enthält einen anderen Sicherungssatz, der danach nicht mehr gelesen werden "
                       "kann.\rZum Überschreiben auf OK klicken, sonst eine andere Diskette einlegen und auf OK klicken.",
                       BoxIcon::Information);
      if (IdentityOf(path) == identity) return;
    }
  }

  // "" for nothing there or what cannot be looked at.
  std::string IdentityOf(const std::string& path) {
    try {
      return fs_.FileIdentity(path);
    } catch (const RunTimeError&) {
      return "";
    }
  }

  // A repair volume's medium is emptied as a volume's is.
  void Finished() override { ReleaseFullMedium(runtime_, plan_); }

  void Inserted() override {
    if (plan_.clearTarget) ClearTarget();
  }

  void Kept(const std::string& path) override {
    ownVolumes_.insert(Guarded(runtime_.boxes, FailureGroup::VolumeManagement, [&] { return fs_.FileIdentity(path); }));
  }

  bool IsOwnVolume(const std::string& name) {
    if (ownVolumes_.empty()) return false;
    const std::string identity =
        Guarded(runtime_.boxes, FailureGroup::Clearing, [&] { return fs_.FileIdentity(target_ + name); });
    return !identity.empty() && ownVolumes_.count(identity) != 0;
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
      if (WriteToVolume(fragment) == WriteResult::Done) {
        cursor_.Stored(length);
        newDisk_ = false;
        orphans_.clear();
        orphansOnVolume_ = 0;
        bytesStored_ += length;
        display_.ShowProgress({cursor_.file + 1, fileCount_, bytesStored_, volumeNumber_});
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
    CompressedFragment packed = compressor_->Compress({cursor_, length, room}, [&] {
      return Guarded(runtime_.boxes, FailureGroup::SourceAccess, [&] { return source_->ReadAt(cursor_.offset, length); });
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
    if (WriteToVolume(record) == WriteResult::Done) return true;
    ChangeDisk();
    return false;
  }

  WriteResult WriteToVolume(const std::string& item) {
    const WriteResult result = OnVolume([&] { volume_->Write(item); });
    if (result == WriteResult::Done) {
      volumeLength_ += static_cast<int64_t>(item.size());
      volumeChecksum_->Update(item);
      if (repair_) repair_->Wrote(item);
    }
    return result;
  }

  // A step of the write group on the open volume. A drive that was not ready
  // may have lost the medium and the handle with it, so each retry first
  // opens the volume again at what was confirmed written; a medium that does
  // not hold that much of it is not the right one yet.
  WriteResult OnVolume(const std::function<void()>& step) {
    return GuardedTargetWrite(runtime_, "PUT", [&] {
      if (reopenVolume_) {
        try {
          volume_ = fs_.ReopenWritable(volumePath_, volumeLength_);
        } catch (const RunTimeError& error) {
          if (error.code() == kMediumFull) throw;
          if (error.code() == kFileNotFound || error.code() == kInputPastEnd) {
            // Another medium, or this one without the volume's tail: the
            // volume is written again from its start on the one in the drive.
            reopenVolume_ = false;
            volumeOpen_ = false;
            NewDisk();
            throw RewriteVolume{};
          }
          throw RunTimeError(kDriveNotReady);
        }
        reopenVolume_ = false;
      }
      try {
        step();
      } catch (const RunTimeError& error) {
        if (error.code() == kDriveNotReady) {
          volume_.reset();
          reopenVolume_ = true;
        }
        throw;
      }
    });
  }

  void CloseVolumeAtLimit() {
    if (!diskette_ && !verify_) {
      // The device takes the volume while the next one is written; the
      // flush waits for it before the next box about the medium.
      volume_->StartWriteBack();
      KeepVolume();
      closedUnflushed_ = true;
      VolumeDone(VolumeState::More, false);
      return;
    }
    if (OnVolume([&] { volume_->Flush(); }) == WriteResult::MediumFull) {
      ChangeDisk();
      return;
    }
    KeepVolume();
    VolumeDone(VolumeState::More, true);
  }

  // Puts the open volume (when withOpen) on the device, and those closed at
  // the size limit before it.
  void FlushVolumes(bool withOpen) {
    if (withOpen) volume_->Flush();
    if (!closedUnflushed_) return;
    fs_.FlushDirectory(target_);
    closedUnflushed_ = false;
  }

  // The medium is full: keep the volume if it holds a fragment, else delete
  // it, then ask for the next diskette.
  void ChangeDisk() {
    // A second "full" here changes nothing: the user is asked anyway.
    OnVolume([&] { FlushVolumes(cursor_.volumeHasFragment); });
    if (cursor_.volumeHasFragment) {
      KeepVolume();
      VolumeDone(VolumeState::More, true);
    } else {
      CloseVolume();
      Guarded(runtime_.boxes, FailureGroup::VolumeManagement, [&] { fs_.DeleteFile(volumePath_); });
      record_->Removed(volumeNumber_);
      // Only a header on this very volume is lost; one on an earlier volume
      // stays where it is and must not come twice.
      if (headerVolume_ == volumeNumber_) headerVolume_ = 0;
      orphansOnVolume_ = 0;
    }
    if (diskette_) ReleaseFullMedium(runtime_, plan_);
    AskForNextDiskette(runtime_.boxes);
    NewDisk();
  }

  void NewDisk() {
    newDisk_ = true;
    record_->NewMedium();
  }

  void CloseVolume() {
    // What is read back next comes from the device, not from memory.
    if (verify_) {
      try {
        volume_->DropCache();
      } catch (const RunTimeError&) {
      }
    }
    Guarded(runtime_.boxes, FailureGroup::VolumeManagement, [&] { volume_->Close(); });
    volume_.reset();
    volumeOpen_ = false;
  }

  // The volume is closed: its entry in the record is completed (put on the
  // device when the volume is), and with verify_ the volume is read back
  // before the run goes on.
  void VolumeDone(VolumeState state, bool flushed) {
    const std::string checksum = volumeChecksum_->Hex();
    record_->Closed(volumeNumber_, volumeLength_, checksum, state, flushed);
    if (verify_ && !ReadsBackAs(checksum)) {
      AskToWriteVolumeAgain(runtime_.boxes, volumeNumber_);
      NewDisk();
      throw RewriteVolume{};
    }
    if (repair_) repair_->VolumeKept({volumeNumber_, state, volumeLength_, checksum});
  }

  bool ReadsBackAs(const std::string& checksum) {
    try {
      const FileChecksum back = ChecksumOfFile(*fs_.OpenReadable(volumePath_));
      return back.length == volumeLength_ && back.checksum == checksum;
    } catch (const RunTimeError&) {
      return false;
    }
  }

  // Back to the state in which the volume that failed its check was begun;
  // returns the number of the file to go on with.
  int BackToVolumeStart() {
    source_.reset();
    volumeNumber_ = volumeStart_.number;
    cursor_.NextVolume();
    orphans_ = volumeStart_.orphans;
    orphansOnVolume_ = volumeStart_.orphansOnVolume;
    bytesStored_ = volumeStart_.bytesStored;
    resume_ = volumeStart_;
    return volumeStart_.at.file + 1;
  }

  // Closes a volume that stays part of the set and remembers it, so that no
  // clearing of a later disk ever deletes it.
  void KeepVolume() {
    CloseVolume();
    const std::string identity =
        Guarded(runtime_.boxes, FailureGroup::VolumeManagement, [&] { return fs_.FileIdentity(volumePath_); });
    ownVolumes_.insert(identity);
    lastKept_ = {volumeNumber_, volumePath_, identity};
  }

  // The data is on the device before the user is told the copy is done.
  void FinishLastVolume() {
    while (volumeOpen_ || orphansOnVolume_ < orphans_.size()) {
      EnsureVolumeOpen();
      if (OnVolume([&] { FlushVolumes(true); }) == WriteResult::MediumFull) {
        ChangeDisk();
        continue;
      }
      CloseVolume();
      VolumeDone(VolumeState::Last, true);
      return;
    }
  }

  // A directory that holds this run's volume 1 holds no volume of an earlier
  // set above its last: a reader would take it for a further volume of this
  // one, and its own set lost its volume 1 to this run, so it can never be
  // read again. A series of media has no such directory.
  void RemoveStaleVolumes() {
    if (diskette_ || !IsOwnVolume(VolumeFileName(1))) return;
    const std::vector<std::string> names =
        Guarded(runtime_.boxes, FailureGroup::VolumeManagement, [&] { return fs_.ListDirectory(target_, kMaskFiles); });
    for (const std::string& name : names) {
      const std::optional<int16_t> number = VolumeNumberOf(name);
      if (!number || *number <= volumeNumber_ || IsOwnVolume(name)) continue;
      const std::string path = target_ + name;
      Guarded(runtime_.boxes, FailureGroup::VolumeManagement, [&] { fs_.SetAttributesNormal(path); });
      Guarded(runtime_.boxes, FailureGroup::VolumeManagement, [&] { fs_.DeleteFile(path); });
    }
  }

  // The set is complete without the record; the user learns what a restore
  // will not give back.
  void WriteStamps() {
    try {
      stamps_->Write(fs_, target_, record_->setId());
    } catch (const RunTimeError& error) {
      runtime_.boxes.Show(MessageBox{.text = "Zeiten und Rechte der Dateien wurden nicht gespeichert: " +
                                             error.description(),
                                     .icon = BoxIcon::Information});
    }
  }

  // The record of the medium in the drive says the set ends with the volume
  // the run wrote last there, so a reader calls the set incomplete instead of
  // asking for a next medium. What was written stays as it is.
  void LeaveGivenUp() {
    if (completed_ || !record_) return;
    if (volumeOpen_) {
      volume_.reset();
      volumeOpen_ = false;
      record_->Closed(volumeNumber_, volumeLength_, volumeChecksum_->Hex(), VolumeState::GivenUp, true);
      return;
    }
    // Only where the volume kept last is still in the drive: another medium
    // put in meanwhile keeps its record.
    if (lastKept_.number != 0 && IdentityOf(lastKept_.path) == lastKept_.identity) record_->GivenUpAfter(lastKept_.number);
  }

  void End() {
    LeaveGivenUp();
    source_.reset();
    if (closedUnflushed_) {
      try {
        fs_.FlushDirectory(target_);
      } catch (const RunTimeError&) {
      }
    }
    if (completed_) {
      runtime_.boxes.Show(MessageBox{.text = "Die Kopie ist fertig!", .icon = BoxIcon::Information});
    }
    display_.SetProgress(0);
  }

  // What the run knew when a volume was begun.
  struct VolumeStart {
    int16_t number = 0;
    FragmentCursor at;
    std::string fileHeader;
    int16_t headerVolume = 0;
    std::vector<std::string> orphans;
    std::size_t orphansOnVolume = 0;
    int64_t bytesStored = 0;
  };

  Runtime& runtime_;
  FileSystem& fs_;
  const BackupPlan& plan_;
  BackupDisplay& display_;
  int workers_;
  std::unique_ptr<ParallelCompressor> compressor_;
  std::unique_ptr<MediumRecord> record_;
  std::unique_ptr<RepairWriter> repair_;
  std::unique_ptr<StampCollector> stamps_;
  bool verify_ = false;

  std::string target_;
  int64_t limit_ = 0;
  int fileCount_ = 0;
  std::string archiveHeader_;
  bool completed_ = false;

  int16_t volumeNumber_ = 0;
  std::string volumePath_;
  std::unique_ptr<WritableFile> volume_;  // none while its medium is away
  bool volumeOpen_ = false;
  bool closedUnflushed_ = false;  // volumes closed at the limit, not yet flushed
  int64_t volumeLength_ = 0;  // bytes confirmed written to the open volume
  std::optional<VolumeChecksum> volumeChecksum_;  // of those bytes
  bool reopenVolume_ = false;
  bool newDisk_ = true;
  bool diskette_ = false;
  // Identities of the closed volumes that belong to the set.
  std::set<std::string> ownVolumes_;
  struct KeptVolume {
    int16_t number = 0;
    std::string path;
    std::string identity;
  };
  KeptVolume lastKept_;
  // Headers of empty files on the current volume while it holds no fragment.
  std::vector<std::string> orphans_;
  std::size_t orphansOnVolume_ = 0;
  VolumeStart volumeStart_;
  std::optional<VolumeStart> resume_;

  FragmentCursor cursor_;
  std::shared_ptr<ReadableFile> source_;
  std::string fileHeader_;
  int16_t headerVolume_ = 0;  // the volume that holds fileHeader_; 0 while none does
  int64_t bytesStored_ = 0;
};

}  // namespace

int DefaultBackupWorkers() { return DefaultWorkers(); }

BackupOutcome WriteArchive(Runtime& runtime, const BackupPlan& plan, BackupDisplay& display, int workers) {
  return BackupRun(runtime, plan, display, workers).Run();
}

}  // namespace pb
