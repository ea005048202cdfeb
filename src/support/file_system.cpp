// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/file_system.h"

#include "support/paths.h"
#include "support/run_time_error.h"

namespace pb {

namespace {

class NumberedReadableFile : public ReadableFile {
 public:
  NumberedReadableFile(FileSystem& fs, FileNumber file) : fs_(fs), file_(file) {
    try {
      length_ = fs_.Length(file_);
    } catch (const RunTimeError&) {
      Close();
      throw;
    }
  }
  ~NumberedReadableFile() override { Close(); }
  NumberedReadableFile(const NumberedReadableFile&) = delete;
  NumberedReadableFile& operator=(const NumberedReadableFile&) = delete;

  int64_t Length() const override { return length_; }
  std::string ReadAt(int64_t offset, int64_t count) override {
    fs_.Seek(file_, offset + 1);
    return fs_.Read(file_, count);
  }
  FileStamp Stamp() const override { return fs_.StampOf(file_); }

 private:
  // Nothing was written, so nothing is lost when closing fails.
  void Close() noexcept {
    try {
      fs_.Close(file_);
    } catch (const RunTimeError&) {
    }
  }

  FileSystem& fs_;
  FileNumber file_;
  int64_t length_ = 0;
};

class NumberedWritableFile : public WritableFile {
 public:
  NumberedWritableFile(FileSystem& fs, FileNumber file) : fs_(fs), file_(file) {}
  ~NumberedWritableFile() override {
    if (closed_) return;
    try {
      fs_.Close(file_);
    } catch (const RunTimeError&) {
    }
  }
  NumberedWritableFile(const NumberedWritableFile&) = delete;
  NumberedWritableFile& operator=(const NumberedWritableFile&) = delete;

  void Write(std::string_view bytes) override { fs_.Write(file_, bytes); }
  void Flush() override { fs_.Flush(file_); }
  void StartWriteBack() noexcept override { fs_.StartWriteBack(file_); }
  void DropCache() override { fs_.DropCache(file_); }
  void Close() override {
    if (closed_) return;
    fs_.Close(file_);
    closed_ = true;
  }

 private:
  FileSystem& fs_;
  FileNumber file_;
  bool closed_ = false;
};

}  // namespace

std::unique_ptr<ReadableFile> FileSystem::OpenReadable(const std::string& path) {
  return std::make_unique<NumberedReadableFile>(*this, Open(path, OpenMode::BinaryRead));
}

std::unique_ptr<WritableFile> FileSystem::OpenWritable(const std::string& path) {
  return std::make_unique<NumberedWritableFile>(*this, Open(path, OpenMode::Output));
}

std::unique_ptr<WritableFile> FileSystem::ReopenWritable(const std::string& path, int64_t length) {
  return std::make_unique<NumberedWritableFile>(*this, Reopen(path, length));
}

std::vector<DirectoryEntry> FileSystem::ListEntries(const std::string& directory, int mask) {
  const std::string prefix = WithTrailingBackslash(directory);
  std::vector<DirectoryEntry> entries;
  for (std::string& name : ListDirectory(directory, mask)) {
    DirectoryEntry entry{std::move(name)};
    try {
      entry.attributes = GetAttributes(prefix + entry.name);
    } catch (const RunTimeError& error) {
      entry.error = error.code();
    }
    entries.push_back(std::move(entry));
  }
  return entries;
}

}  // namespace pb
