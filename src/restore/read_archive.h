// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "restore/archive_volumes.h"
#include "restore/probe_view.h"
#include "store/worker_pool.h"
#include "support/runtime.h"

namespace pb {

enum class RestoreOutcome {
  Intact,      // every file chosen restored as stored
  Damaged,     // a file not created, a damaged fragment or volume, or lengths out of step
  GivenUp,     // the user gave up in one of the run's boxes
  TargetFull,  // the target's medium became full
};

// How far a restore has come, for a display.
struct RestoreProgress {
  int fileNumber = 0;     // 1-based number of the file begun last
  int fileCount = 0;
  int volume = 0;         // the volume read now
  int64_t bytesRead = 0;  // file bytes of the set read so far
};

// Choices beyond restoring every file below the target; the defaults restore
// every file, overwriting what is there.
struct RestoreOptions {
  // The path below the target (no leading "\") for a stored name, or nullopt
  // to read past the file without writing it. Unset: the name without its
  // drive.
  std::function<std::optional<std::string>(const std::string& FileName)> place;
  // A file already at the target path is left as it is and handed to kept.
  bool keepExisting = false;
  std::function<void(const std::string& TargetPath)> kept;
  // Called when a file is begun, a volume opened and a fragment read.
  std::function<void(const RestoreProgress&)> progress;
  // After the last file the set announces: the bytes left on its volume and
  // whether a volume of the next number lies beside it, which a set whose
  // count is too small leaves unread.
  std::function<void(int64_t trailingBytes, bool furtherVolume)> afterLastFile;
  // A file written with bytes from a volume its record names damaged, told
  // once that volume has been read.
  std::function<void(const std::string& TargetPath, int16_t damagedVolume)> damagedFile;
  // What volumes that are missing and cannot be rebuilt take with them: a
  // file written only up to them, which stays as far as it came, and the
  // files begun in them (see ArchiveSink::FilesLost).
  std::function<void(const std::string& TargetPath, const LostVolumes& lost)> cutFile;
  std::function<void(int32_t count, int32_t firstNumber)> filesLost;
};

// Restores the set found by the probe from the volumes in sourceDir below
// targetDir (both drive form), then beeps. Ends the program instead of
// returning when the user abandons the next-volume prompt or after a fatal
// error report.
//
// With two or more workers the next fragments are inflated on that many
// threads while the files are written; every box, file access and the beep
// stay on the calling thread, in the order one worker gives them.
RestoreOutcome ReadArchive(Runtime& runtime, const ProbeResults& probe, const std::string& sourceDir,
                           const std::string& targetDir, int workers = DefaultWorkers(),
                           const RestoreOptions& options = {});

}  // namespace pb
