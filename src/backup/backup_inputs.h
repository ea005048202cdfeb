// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

namespace pb {

// How far a run has come, for displays richer than the progress bar.
struct BackupProgress {
  int fileNumber = 0;        // 1-based number of the file begun last
  int fileCount = 0;
  int64_t bytesStored = 0;   // file bytes written to volumes so far
  int volume = 0;            // number of the volume written last; 0 before the first
};

// What the backup run reads from the window that hosts it, and the progress
// display it drives. The window implements it; so do the command-line tool and
// the tests.
class BackupInputs {
 public:
  virtual ~BackupInputs() = default;
  virtual bool DisketteTarget() const = 0;          // Opt(0) selected
  virtual std::string TargetDirectory() const = 0;  // DirList(0) path, drive form
  virtual bool OwnVolumeSize() const = 0;           // Chk(0) ticked
  virtual std::string VolumeSizeText() const = 0;   // ZahlText
  virtual int VolumeSizeUnitIndex() const = 0;      // UnitList: 0 Kbyte, 1 Mbyte
  virtual int FileCount() const = 0;                // FileList entries
  virtual std::string FileAt(int index) const = 0;  // FileList entry, 0-based, drive form
  virtual std::string Description() const = 0;      // ArchivBeschreibungTextBox(0), untrimmed
  virtual bool ClearTarget() const = 0;             // Chk(2), read at each new disk
  // Read each volume back from the device after writing it; the window does
  // not offer this.
  virtual bool VerifyVolumes() const { return false; }
  virtual void SetProgress(int percent) = 0;        // pbar, 0 to 100
  // Called when a file is begun and after every fragment written.
  virtual void ShowProgress(const BackupProgress&) {}
};

// The directory the volumes go to, ending in "\": A:\ for the diskette.
std::string BackupTargetDirectory(const BackupInputs& inputs);
// The volume size limit in bytes, unchecked (see BackupRefusal).
int64_t BackupVolumeSize(const BackupInputs& inputs);
// The description as stored: without leading and trailing spaces.
std::string BackupDescription(const BackupInputs& inputs);

}  // namespace pb
