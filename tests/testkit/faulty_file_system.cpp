// SPDX-License-Identifier: GPL-3.0-or-later
#include "faulty_file_system.h"

#include <algorithm>

#include "support/run_time_error.h"

namespace pb::testing {

FaultyFileSystem& FaultyFileSystem::Fail(Fault fault) {
  faults_.push_back({std::move(fault), 0});
  return *this;
}

bool FaultyFileSystem::Check(Op op, const std::string& path) {
  const std::lock_guard<std::mutex> lock(mutex_);
  ++calls_[static_cast<std::size_t>(op)];
  log_.emplace_back(op, path);
  for (auto& planned : faults_) {
    const Fault& fault = planned.fault;
    if (fault.op != op || path.find(fault.pathContains) == std::string::npos) continue;
    ++planned.seen;
    if (planned.seen == fault.nth || (fault.fromThenOn && planned.seen > fault.nth)) {
      ++failures_;
      if (fault.code == kCorruptRead) return true;
      throw RunTimeError(fault.code);
    }
  }
  return false;
}

int FaultyFileSystem::calls(Op op, const std::string& pathContains) const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<int>(std::count_if(log_.begin(), log_.end(), [&](const auto& call) {
    return call.first == op && call.second.find(pathContains) != std::string::npos;
  }));
}

bool FaultyFileSystem::Check(Op op, FileNumber file) {
  if (deadHandles_.count(file) != 0) {
    ++calls_[static_cast<std::size_t>(op)];
    throw RunTimeError(kDriveNotReady);
  }
  try {
    return Check(op, PathOf(file));
  } catch (const RunTimeError&) {
    for (const auto& planned : faults_) {
      if (planned.fault.killsHandle && planned.fault.op == op && planned.seen >= planned.fault.nth) {
        deadHandles_.insert(file);
      }
    }
    throw;
  }
}

const std::string& FaultyFileSystem::PathOf(FileNumber file) const {
  static const std::string unknown;
  const auto found = openPaths_.find(file);
  return found == openPaths_.end() ? unknown : found->second;
}

std::string FaultyFileSystem::FindEntry(const std::string& path, int mask) {
  Check(Op::FindEntry, path);
  return FileSystemWrapper::FindEntry(path, mask);
}

std::vector<std::string> FaultyFileSystem::ListDirectory(const std::string& directory, int mask) {
  Check(Op::ListDirectory, directory);
  return FileSystemWrapper::ListDirectory(directory, mask);
}

int FaultyFileSystem::GetAttributes(const std::string& path) {
  Check(Op::GetAttributes, path);
  return FileSystemWrapper::GetAttributes(path);
}

int64_t FaultyFileSystem::FileLength(const std::string& path) {
  Check(Op::FileLength, path);
  return FileSystemWrapper::FileLength(path);
}

void FaultyFileSystem::SetAttributesNormal(const std::string& path) {
  Check(Op::SetAttributesNormal, path);
  FileSystemWrapper::SetAttributesNormal(path);
}

void FaultyFileSystem::DeleteFile(const std::string& path) {
  Check(Op::DeleteFile, path);
  FileSystemWrapper::DeleteFile(path);
}

void FaultyFileSystem::CreateDirectory(const std::string& path) {
  Check(Op::CreateDirectory, path);
  FileSystemWrapper::CreateDirectory(path);
}

FileNumber FaultyFileSystem::Open(const std::string& path, OpenMode mode) {
  Check(Op::Open, path);
  const FileNumber file = FileSystemWrapper::Open(path, mode);
  openPaths_[file] = path;
  return file;
}

FileNumber FaultyFileSystem::Reopen(const std::string& path, int64_t length) {
  Check(Op::Reopen, path);
  const FileNumber file = FileSystemWrapper::Reopen(path, length);
  openPaths_[file] = path;
  return file;
}

class FaultyFileSystem::Readable : public ReadableFile {
 public:
  Readable(FaultyFileSystem& fs, std::string path, std::unique_ptr<ReadableFile> file)
      : fs_(fs), path_(std::move(path)), file_(std::move(file)) {}
  ~Readable() override {
    try {
      fs_.Check(Op::Close, path_);
    } catch (const RunTimeError&) {
      // A close that fails loses nothing of a file only read.
    }
  }
  Readable(const Readable&) = delete;
  Readable& operator=(const Readable&) = delete;

  int64_t Length() const override { return file_->Length(); }
  FileStamp Stamp() const override { return file_->Stamp(); }
  std::string ReadAt(int64_t offset, int64_t count) override {
    const bool corrupt = fs_.Check(Op::Read, path_);
    std::string bytes = file_->ReadAt(offset, count);
    if (corrupt && !bytes.empty()) bytes[0] = static_cast<char>(~bytes[0]);
    return bytes;
  }

 private:
  FaultyFileSystem& fs_;
  std::string path_;
  std::unique_ptr<ReadableFile> file_;
};

std::unique_ptr<ReadableFile> FaultyFileSystem::OpenReadable(const std::string& path) {
  Check(Op::Open, path);
  return std::make_unique<Readable>(*this, path, FileSystemWrapper::OpenReadable(path));
}

std::string FaultyFileSystem::Read(FileNumber file, int64_t count) {
  const bool corrupt = Check(Op::Read, file);
  std::string bytes = FileSystemWrapper::Read(file, count);
  if (corrupt && !bytes.empty()) bytes[0] = static_cast<char>(~bytes[0]);
  return bytes;
}

void FaultyFileSystem::Write(FileNumber file, std::string_view bytes) {
  Check(Op::Write, file);
  FileSystemWrapper::Write(file, bytes);
  written_[PathOf(file)] += static_cast<int64_t>(bytes.size());
}

int64_t FaultyFileSystem::written(const std::string& pathContains) const {
  int64_t total = 0;
  for (const auto& [path, bytes] : written_) {
    if (path.find(pathContains) != std::string::npos) total += bytes;
  }
  return total;
}

int64_t FaultyFileSystem::Length(FileNumber file) {
  Check(Op::Length, file);
  return FileSystemWrapper::Length(file);
}

int64_t FaultyFileSystem::Position(FileNumber file) {
  Check(Op::Position, file);
  return FileSystemWrapper::Position(file);
}

void FaultyFileSystem::Seek(FileNumber file, int64_t position1) {
  Check(Op::Seek, file);
  FileSystemWrapper::Seek(file, position1);
}

void FaultyFileSystem::FlushDirectory(const std::string& directory) {
  Check(Op::FlushDirectory, directory);
  FileSystemWrapper::FlushDirectory(directory);
}

void FaultyFileSystem::DropCache(FileNumber file) {
  Check(Op::DropCache, file);
  FileSystemWrapper::DropCache(file);
}

void FaultyFileSystem::Flush(FileNumber file) {
  Check(Op::Flush, file);
  FileSystemWrapper::Flush(file);
}

void FaultyFileSystem::Close(FileNumber file) {
  if (deadHandles_.erase(file) != 0) {
    FileSystemWrapper::Close(file);
    openPaths_.erase(file);
    return;
  }
  Check(Op::Close, PathOf(file));
  FileSystemWrapper::Close(file);
  openPaths_.erase(file);
}

void FaultyFileSystem::CloseAll() noexcept {
  FileSystemWrapper::CloseAll();
  openPaths_.clear();
  deadHandles_.clear();
}

}  // namespace pb::testing
