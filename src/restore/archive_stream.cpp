// SPDX-License-Identifier: GPL-3.0-or-later
#include "restore/archive_stream.h"

#include <functional>
#include <new>

#include "store/bytes.h"
#include "store/zlib_interface.h"
#include "support/dialogs.h"
#include "support/guarded_step.h"
#include "support/paths.h"
#include "support/run_time_error.h"

namespace pb {

namespace {

// zlib's compressBound(kFragmentSize): no writer's stream of a fragment is
// longer.
constexpr int32_t kMaxPackedLen = 131125;
constexpr int kZlibDataError = -3;

// A stored length that cannot be right: the reader has lost the item borders.
// It fails its step like a read would.
constexpr int32_t kOutOfStep = kInvalidCall;
[[noreturn]] void OutOfStep(const char* reason) { throw RunTimeError(kOutOfStep, reason); }

class StreamReader {
 public:
  StreamReader(Runtime& runtime, ArchiveVolumes& volumes, ArchiveSink& sink)
      : runtime_(runtime), volumes_(volumes), sink_(sink) {}

  StreamEnd ReadAll(int32_t count) {
    try {
      return ReadFiles(count);
    } catch (const RunGivenUp&) {
      return givenUp_;
    } catch (const VolumeAbandoned&) {
      return StreamEnd::VolumeMissing;
    }
  }

 private:
  // One guarded read: a failure rewinds to where the step began and asks to
  // check the archive; OK repeats this step alone.
  void ArchiveRead(const std::function<void()>& step) {
    const int64_t start = volumes_.Position();
    GuardedStep(step, [&](const RunTimeError& error) {
      volumes_.Rewind(start);
      try {
        AskRetryOrGiveUp(runtime_.boxes,
                         "Auf das Archiv kann kann nicht zugegriffen werden.\rBitte überprüfen und OK drücken.",
                         BoxIcon::Critical);
      } catch (const RunGivenUp&) {
        sink_.GaveUp(error.description());
        // Items never cross a volume's end: a read beyond it is damage too.
        const bool damage = error.code() == kOutOfStep || error.code() == kInputPastEnd;
        givenUp_ = damage ? StreamEnd::Damaged : StreamEnd::Finished;
        throw;
      }
    });
  }

  StreamEnd ReadFiles(int32_t count) {
    bool setEndsInGap = false;
    while (begun_ < count) {
      try {
        if (resync_) PassFragments();
        // The count no longer tells where the set ends.
        if (gaps_ > 0 && volumes_.AtSetEnd()) break;
        if (!EnsureVolume()) return StreamEnd::Damaged;
        const StreamEnd file = ReadFile();
        if (file != StreamEnd::AllFiles) return file;
      } catch (const Gap& gap) {
        sink_.VolumesLost(gap.lost, inFile_);
        inFile_ = false;
        if (gaps_++ == 0) begunBeforeGap_ = begun_;
        if (!gap.goesOn) {
          setEndsInGap = true;
          break;
        }
        resync_ = true;
      }
    }
    if (gaps_ > 0 && begun_ < count) sink_.FilesLost(count - begun_, gaps_ == 1 ? begunBeforeGap_ + 1 : 0);
    // Without a file no volume was opened: nothing to say about its end.
    if (count > 0 && !setEndsInGap) sink_.AfterLastFile(volumes_.Remaining(), volumes_.NextVolumeFound());
    if (sink_.EndOfSet() == Flow::Finish) return StreamEnd::Finished;
    return gaps_ > 0 ? StreamEnd::VolumesLost : StreamEnd::AllFiles;
  }

 private:
  // The reading met lost volumes, and goes on behind them unless the set
  // ended in them.
  struct Gap {
    LostVolumes lost;
    bool goesOn = false;
  };

  StreamEnd ReadFile() {
    FileHeader header;
    int16_t nameLength = 0;
    ArchiveRead([&] {
      header.FileLength = Int32FromBytes(volumes_.Read(4));
      if (header.FileLength < 0) OutOfStep("negative Dateilänge");
    });
    ArchiveRead([&] {
      nameLength = Int16FromBytes(volumes_.Read(2));
      if (nameLength < 0) OutOfStep("negative Namenslänge");
    });
    ArchiveRead([&] { header.FileName = TextFromBytes(volumes_.Read(nameLength)); });
    ++begun_;
    inFile_ = true;
    if (sink_.BeginFile(header) == Flow::Finish) return StreamEnd::Finished;
    const StreamEnd fragments = ReadFragments(header.FileLength);
    if (fragments != StreamEnd::AllFiles) return fragments;
    inFile_ = false;
    if (sink_.EndFile() == Flow::Finish) return StreamEnd::Finished;
    return StreamEnd::AllFiles;
  }

  // Behind lost volumes the next volume may begin with the last fragments of
  // a file begun in them: they are passed by up to the next file header. A
  // fragment is told from a header by inflating it to its length.
  void PassFragments() {
    for (;;) {
      if (volumes_.AtSetEnd() || !EnsureVolume()) break;
      const int64_t start = volumes_.Position();
      if (!FragmentPassed()) {
        volumes_.Rewind(start);
        break;
      }
    }
    resync_ = false;
  }

  bool FragmentPassed() {
    try {
      if (volumes_.Remaining() < kFragmentHeaderSize) return false;
      const std::string bytes = volumes_.Read(kFragmentHeaderSize);
      const int32_t NormalLen = Int32FromBytes(std::string_view(bytes).substr(0, 4));
      const int32_t PackedLen = Int32FromBytes(std::string_view(bytes).substr(4, 4));
      if (NormalLen < 1 || NormalLen > kFragmentSize || PackedLen < 1 || PackedLen > kMaxPackedLen ||
          PackedLen > volumes_.Remaining()) {
        return false;
      }
      std::string Buffer = volumes_.Read(PackedLen);
      return DecompressFragment(Buffer, NormalLen) == 0;
    } catch (const RunTimeError&) {
      return false;  // the reading proper meets the failure and says so
    }
  }

  // false when the set ends before what is wanted, as the sink was told.
  // Throws Gap when lost volumes were passed by.
  bool EnsureVolume() {
    const bool open = volumes_.EnsureVolume();
    if (const std::optional<LostVolumes> lost = volumes_.TakeLost()) throw Gap{*lost, open};
    if (!open) return false;
    if (volumes_.Number() == volumeTold_) return true;
    volumeTold_ = volumes_.Number();
    sink_.VolumeOpened(volumeTold_);
    return true;
  }

  StreamEnd ReadFragments(int32_t FileLength) {
    int32_t BytesWritten = 0;
    while (BytesWritten != FileLength) {
      if (!EnsureVolume()) return StreamEnd::Damaged;
      FragmentHeader header;
      std::string Buffer;
      ArchiveRead([&] {
        const std::string bytes = volumes_.Read(kFragmentHeaderSize);
        header.NormalLen = Int32FromBytes(std::string_view(bytes).substr(0, 4));
        header.PackedLen = Int32FromBytes(std::string_view(bytes).substr(4, 4));
        if (header.NormalLen < 1 || header.NormalLen > kFragmentSize ||
            header.NormalLen > FileLength - BytesWritten || header.PackedLen < 0 ||
            header.PackedLen > kMaxPackedLen || header.PackedLen > volumes_.Remaining()) {
          OutOfStep("Fragmentlängen passen nicht zur Datei oder zum Datenträger");
        }
      });
      ArchiveRead([&] { Buffer = volumes_.Read(header.PackedLen); });
      if (sink_.Fragment(header, Buffer) == Flow::Finish) return StreamEnd::Finished;
      BytesWritten += header.NormalLen;
    }
    return StreamEnd::AllFiles;
  }

  Runtime& runtime_;
  ArchiveVolumes& volumes_;
  ArchiveSink& sink_;
  StreamEnd givenUp_ = StreamEnd::Finished;
  int16_t volumeTold_ = 0;
  int32_t begun_ = 0;           // files begun
  bool inFile_ = false;         // a file begun has not ended
  int gaps_ = 0;                // places where lost volumes were passed by
  int32_t begunBeforeGap_ = 0;  // files begun before the first
  bool resync_ = false;         // the next item is to be found anew
};

}  // namespace

StreamEnd ReadArchiveStream(Runtime& runtime, const ProbeResults& probe, const std::string& SourceDir,
                            ArchiveSink& sink) {
  try {
    ArchiveVolumes volumes(runtime, WithTrailingBackslash(SourceDir), probe.ArchiveDataStart, sink);
    StreamReader reader(runtime, volumes, sink);
    const StreamEnd end = reader.ReadAll(probe.ArchiveFileCount);
    volumes.CloseVolume();
    return end;
  } catch (const RunTimeError& error) {
    ReportFatalError(runtime, "RESTORE", error);
  } catch (const std::bad_alloc&) {
    ReportFatalError(runtime, "RESTORE", RunTimeError(kOutOfMemory));
  }
}

int DecompressFragment(std::string& Buffer, int32_t NormalLen) {
  int status = ZlibDecompressString(Buffer, NormalLen);
  if (status == 0 && Buffer.size() != static_cast<std::size_t>(NormalLen)) status = kZlibDataError;
  if (status != 0) Buffer.assign(static_cast<std::size_t>(NormalLen), '\0');
  return status;
}

}  // namespace pb
