#pragma once

#include <string>

namespace pb {

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
  virtual void SetProgress(int percent) = 0;        // pbar, 0 to 100
};

}  // namespace pb
