// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

#include "restore/archive_volumes.h"
#include "restore/probe_view.h"
#include "store/records.h"
#include "support/runtime.h"

namespace pb {

enum class Flow { Continue, Finish };

// What a reader of a set does with its items. Each call may stop the reading
// by returning Flow::Finish, or by throwing RunGivenUp when the user gave up.
// It also hears what the volumes' identity records tell.
class ArchiveSink : public VolumeEvents {
 public:
  virtual Flow BeginFile(const FileHeader& header) = 0;
  // One fragment with its stored stream, still compressed. Its NormalLen is in
  // 1 … kFragmentSize and within what the file still lacks.
  virtual Flow Fragment(const FragmentHeader& header, std::string& Buffer) = 0;
  // The file's fragments add up to its FileLength.
  virtual Flow EndFile() = 0;
  // After the set's last file.
  virtual Flow EndOfSet() { return Flow::Continue; }
  // The user gave up after a read of the set failed for reason.
  virtual void GaveUp(const std::string& /*reason*/) {}
  // Volume number has been opened; what follows is read from it.
  virtual void VolumeOpened(int16_t /*number*/) {}
  // After the last file: the bytes left unread on its volume, and whether a
  // volume of the next number lies in the set's directory.
  virtual void AfterLastFile(int64_t /*trailingBytes*/, bool /*furtherVolume*/) {}
  // The reading goes on behind volumes that are lost. When cut, the file
  // begun last ends here, short of its length: no EndFile follows.
  virtual void VolumesLost(const LostVolumes& /*lost*/, bool /*cut*/) {}
  // After the last file read behind lost volumes: count files began in them,
  // so neither their names nor their bytes could be read. firstNumber is the
  // 1-based place of the first in the set, or 0 when gaps at more than one
  // place leave it open.
  virtual void FilesLost(int32_t /*count*/, int32_t /*firstNumber*/) {}
};

enum class StreamEnd {
  AllFiles,
  Finished,       // the sink stopped, or the user gave up after a failed read
  Damaged,        // the user gave up on stored lengths that cannot be right, or
                  // the sink stopped at the end of an incomplete set
  VolumeMissing,  // the user abandoned the prompt for the next volume
  VolumesLost,    // every file the set's lost volumes left was read; the sink
                  // was told what is lost
};

// Reads the set found by the probe from the volumes in SourceDir, file by
// file, and hands every item to sink. A failing read asks the user to check
// the archive (OK re-reads from where the step began, Cancel may give up); so
// does a stored length that cannot be right, since the stream is then out of
// step. Failures nobody can handle go to ReportFatalError.
StreamEnd ReadArchiveStream(Runtime& runtime, const ProbeResults& probe, const std::string& SourceDir,
                            ArchiveSink& sink);

// Decompresses a fragment's stream in place. A stream that does not give
// exactly NormalLen bytes is damaged: Buffer then holds NormalLen zero bytes,
// so later fragments stay at their offsets, and the result is zlib's status,
// or -3 where zlib reported success with the wrong length. 0 otherwise.
int DecompressFragment(std::string& Buffer, int32_t NormalLen);

}  // namespace pb
