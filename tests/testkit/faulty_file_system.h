// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "support/file_system.h"

namespace pb::testing {

// The calls of FileSystem that can be made to fail.
enum class Op { FindEntry, ListDirectory, GetAttributes, FileLength, SetAttributesNormal, DeleteFile, CreateDirectory,
                Open, Reopen, Read, Write, Length, Position, Seek, Flush, FlushDirectory, DropCache, Close,
                kCount };

// One planned failure: the nth call of op (1-based; counting only calls whose
// path contains pathContains, when given) fails with code, and with
// fromThenOn every matching call after it too. Calls on a file number match by
// the path the file was opened with. A failing call does nothing else; with
// killsHandle its file number fails every later call with 71, as a handle
// does whose medium was taken out (Close still releases it). Code 0 on a Read
// is a medium that lies: the call succeeds with its first byte flipped.
struct Fault {
  Op op = Op::Write;
  int nth = 1;
  int32_t code = 61;
  std::string pathContains;
  bool fromThenOn = false;
  bool killsHandle = false;
};
inline constexpr int32_t kCorruptRead = 0;

// Forwards to a real file system and breaks the calls it is told to break:
// 61 on the third fragment write, 71 on opening volume 2, ...
class FaultyFileSystem : public FileSystemWrapper {
 public:
  explicit FaultyFileSystem(FileSystem& target) : FileSystemWrapper(target) {}

  FaultyFileSystem& Fail(Fault fault);
  FaultyFileSystem& Fail(Op op, int nth, int32_t code, std::string pathContains = "", bool fromThenOn = false) {
    return Fail(Fault{op, nth, code, std::move(pathContains), fromThenOn});
  }
  // Forgets every planned failure (the user inserted a good diskette).
  void Heal() { faults_.clear(); }

  // Calls of op made so far, the failed ones included.
  int calls(Op op) const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return calls_[static_cast<std::size_t>(op)];
  }
  // Those of them on a path containing pathContains.
  int calls(Op op, const std::string& pathContains) const;
  // Bytes written so far to files whose path contains pathContains.
  int64_t written(const std::string& pathContains) const;
  // Calls that failed because of a planned fault.
  int failures() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return failures_;
  }
  // Files opened by number through it and not closed yet.
  std::size_t openFiles() const { return openPaths_.size(); }

  std::string FindEntry(const std::string& path, int mask) override;
  std::vector<std::string> ListDirectory(const std::string& directory, int mask) override;
  int GetAttributes(const std::string& path) override;
  int64_t FileLength(const std::string& path) override;
  void SetAttributesNormal(const std::string& path) override;
  void DeleteFile(const std::string& path) override;
  void CreateDirectory(const std::string& path) override;
  FileNumber Open(const std::string& path, OpenMode mode) override;
  // Its reads count and fail as Read does, its end as Close.
  std::unique_ptr<ReadableFile> OpenReadable(const std::string& path) override;
  FileNumber Reopen(const std::string& path, int64_t length) override;
  std::string Read(FileNumber file, int64_t count) override;
  void Write(FileNumber file, std::string_view bytes) override;
  int64_t Length(FileNumber file) override;
  int64_t Position(FileNumber file) override;
  void Seek(FileNumber file, int64_t position1) override;
  void Flush(FileNumber file) override;
  void FlushDirectory(const std::string& directory) override;
  void DropCache(FileNumber file) override;
  void Close(FileNumber file) override;
  void CloseAll() noexcept override;

 private:
  class Readable;
  struct Planned {
    Fault fault;
    int seen = 0;
  };
  // Counts the call and throws when a planned fault hits it; true when the
  // fault is a corrupt read instead.
  bool Check(Op op, const std::string& path);
  // The same for a call on an open file.
  bool Check(Op op, FileNumber file);
  const std::string& PathOf(FileNumber file) const;

  // Readable files may be read on other threads while a test reads the counts.
  mutable std::mutex mutex_;
  std::vector<Planned> faults_;
  std::array<int, static_cast<std::size_t>(Op::kCount)> calls_{};
  std::vector<std::pair<Op, std::string>> log_;
  std::map<std::string, int64_t> written_;  // bytes by path
  int failures_ = 0;
  std::map<FileNumber, std::string> openPaths_;
  std::set<FileNumber> deadHandles_;
};

}  // namespace pb::testing
