// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/drive_table.h"

namespace pb::testing {

// A drive as a desktop has it: each medium put in is mounted at a new path
// below media/ of the base directory ("media/M2-5": medium 2, put in as the
// fifth), as udisks2 mounts each medium below /run/media. A medium is a file
// system of its own that keeps its files while it is out of the drive: a
// tmpfs, or a FAT image through a loop device where the kernel has vfat.
// Everything is mounted in the test process's own mount namespace.
class MediaDrive {
 public:
  enum class Kind { Tmpfs, Fat };
  // Where a medium put in is mounted: a new path each time, or always the
  // same one, as a diskette drive at a fixed mount point has it.
  enum class Paths { NewPerMedium, Same };

  // base must exist. When the system refuses, reason() says why; a test then
  // skips.
  explicit MediaDrive(std::filesystem::path base, Kind kind = Kind::Tmpfs, Paths paths = Paths::NewPerMedium);
  ~MediaDrive();
  MediaDrive(const MediaDrive&) = delete;
  MediaDrive& operator=(const MediaDrive&) = delete;

  bool usable() const { return reason_.empty(); }
  const std::string& reason() const { return reason_; }

  // A new empty medium of capacity bytes, out of the drive; its number,
  // counted from 1. Throws when the system refuses it.
  int NewMedium(uint64_t capacity = 1440 * 1024);
  // Takes out the medium in the drive, if any, and puts medium in, mounted
  // at a new path (read-only when asked); returns that path.
  std::filesystem::path Insert(int medium, bool readOnly = false);
  // Takes the medium out, also while files on it are open: they lose it.
  // Nothing when the drive is empty or the medium was unmounted meanwhile.
  void Eject();

  // The medium in the drive (0 when none) and where it is mounted.
  int inserted() const { return inserted_; }
  const std::filesystem::path& mountPath() const { return mountPath_; }
  // True while the medium put in last is mounted where it was put in: false
  // once something else (the run, through udisks2 or umount) unmounted it.
  bool StillMounted() const;
  // A medium's files, reachable also while it is out of the drive.
  std::filesystem::path Files(int medium) const;

  // The machine's drives with this drive's media directory as the desktop's:
  // its medium is A: when of diskette capacity, else D:.
  DriveReader Drives() const;

 private:
  std::filesystem::path base_;
  Kind kind_;
  Paths paths_;
  std::string reason_;
  int media_ = 0;
  int insertions_ = 0;
  int inserted_ = 0;
  std::filesystem::path mountPath_;
};

}  // namespace pb::testing
