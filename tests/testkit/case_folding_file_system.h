// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "support/file_system.h"

namespace pb::testing {

// A file system that ignores letter case below root, as FAT and Windows'
// own do: every path below it reaches the file of its lower-case form
// (ASCII and the Latin-1 letters), which is also the name it is created with.
class CaseFoldingFileSystem : public FileSystemWrapper {
 public:
  CaseFoldingFileSystem(FileSystem& target, std::string root) : FileSystemWrapper(target), root_(std::move(root)) {}

  std::string FindEntry(const std::string& path, int mask) override {
    return FileSystemWrapper::FindEntry(Folded(path), mask);
  }
  std::vector<std::string> ListDirectory(const std::string& directory, int mask) override {
    return FileSystemWrapper::ListDirectory(Folded(directory), mask);
  }
  std::string FileIdentity(const std::string& path) override { return FileSystemWrapper::FileIdentity(Folded(path)); }
  int64_t FileLength(const std::string& path) override { return FileSystemWrapper::FileLength(Folded(path)); }
  int GetAttributes(const std::string& path) override { return FileSystemWrapper::GetAttributes(Folded(path)); }
  void SetAttributesNormal(const std::string& path) override { FileSystemWrapper::SetAttributesNormal(Folded(path)); }
  void DeleteFile(const std::string& path) override { FileSystemWrapper::DeleteFile(Folded(path)); }
  void CreateDirectory(const std::string& path) override { FileSystemWrapper::CreateDirectory(Folded(path)); }
  FileNumber Open(const std::string& path, OpenMode mode) override {
    return FileSystemWrapper::Open(Folded(path), mode);
  }
  FileNumber Reopen(const std::string& path, int64_t length) override {
    return FileSystemWrapper::Reopen(Folded(path), length);
  }
  std::string ToNative(const std::string& drivePath) override { return FileSystemWrapper::ToNative(Folded(drivePath)); }

 private:
  std::string Folded(const std::string& path) const;

  std::string root_;
};

}  // namespace pb::testing
