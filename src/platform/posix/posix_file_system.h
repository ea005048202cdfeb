// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <map>
#include <string>

#include "platform/drive_table.h"
#include "platform/run_drives.h"
#include "support/file_system.h"

namespace pb {

// True when a file system is mounted at the native root itself, not just a
// directory of the one above it.
bool IsMountPoint(const std::string& root);

// The file system of a POSIX machine behind the drive table. Attributes follow
// file_system.h; in addition a read-only file (no owner write permission) can
// be neither opened for writing nor deleted, even by a privileged user, as on
// the format's home platform. Entries other than files, directories and links
// to them (devices, pipes, sockets, dangling links) are not seen.
class PosixFileSystem : public FileSystem {
 public:
  // A fixed table.
  explicit PosixFileSystem(DriveTable table);
  // A table read again whenever a drive is consulted: its list, its
  // readiness, and a path on a drive whose medium is not where it was.
  explicit PosixFileSystem(DriveReader readDrives);
  ~PosixFileSystem() override;
  PosixFileSystem(const PosixFileSystem&) = delete;
  PosixFileSystem& operator=(const PosixFileSystem&) = delete;

  // A drive root (with or without its "\") is a directory whose name is the
  // root in drive form ("D:\").
  std::string FindEntry(const std::string& path, int mask) override;
  // A directory that leads back to the listed one or one above it is not
  // listed, so that a walk through links ends.
  std::vector<std::string> ListDirectory(const std::string& directory, int mask) override;
  std::vector<DirectoryEntry> ListEntries(const std::string& directory, int mask) override;
  void SetWriteDirectory(const std::string& directory) override;
  std::string FileIdentity(const std::string& path) override;
  int64_t FileLength(const std::string& path) override;
  int GetAttributes(const std::string& path) override;
  FileStamp StampAt(const std::string& path) override;
  FileStamp StampOf(FileNumber file) override;
  // Set-user-ID and set-group-ID bits are never given: a restored file must
  // not run with another's rights.
  void ApplyStamp(const std::string& path, const FileStamp& stamp) override;
  void SetAttributesNormal(const std::string& path) override;
  void DeleteFile(const std::string& path) override;
  void CreateDirectory(const std::string& path) override;

  FileNumber Open(const std::string& path, OpenMode mode) override;
  // Any thread may read the file it returns.
  std::unique_ptr<ReadableFile> OpenReadable(const std::string& path) override;
  bool ReadableOnAnyThread() const override { return true; }
  FileNumber Reopen(const std::string& path, int64_t length) override;
  std::string Read(FileNumber file, int64_t count) override;
  void Write(FileNumber file, std::string_view bytes) override;
  int64_t Length(FileNumber file) override;
  int64_t Position(FileNumber file) override;
  void Seek(FileNumber file, int64_t position1) override;
  void Flush(FileNumber file) override;
  void FlushDirectory(const std::string& directory) override;
  void StartWriteBack(FileNumber file) noexcept override;
  void DropCache(FileNumber file) override;
  void Close(FileNumber file) override;
  void CloseAll() noexcept override;

  std::vector<DriveInfo> Drives() override;
  bool DriveReady(char letter) override;
  std::string CurrentDirectory() override;
  std::string ToNative(const std::string& drivePath) override;
  std::string ToDriveForm(const std::string& nativePath) override;
  std::string ToDriveFormForRun(const std::string& nativePath) override;
  std::string ToDriveFormForRunDirectory(const std::string& nativePath) override;

  const DriveTable& table() const { return table_; }

 private:
  class Readable;
  struct OpenFile {
    int fd = -1;
    OpenMode mode = OpenMode::BinaryRead;
    int64_t position = 0;
    // The length as this process last saw or left it: a read within it
    // needs no look at the file, and a failed write is cut back to it.
    int64_t size = 0;
    FileStamp stamp;  // at opening, for reading
    // Written files on a drive that must be mounted: its root, which must
    // still be the mount of the medium the file lies on.
    std::string mountRoot;
    // Read ahead for small reads: the file's bytes from aheadStart on.
    std::string ahead;
    int64_t aheadStart = 0;
  };

  // Translates a drive-form path and makes sure its drive is ready (71).
  std::string NativeOnReadyDrive(const std::string& drivePath);
  void ReadDrives();
  // The open directory that holds the path's last component, and its name,
  // reached as SetWriteDirectory describes.
  struct Parent;
  Parent ParentOnReadyDrive(const std::string& drivePath);
  // The write directory held open, or -1 where it is not (see the .cpp).
  int HeldWriteDirectory();
  void ReleaseWriteDirectory() noexcept;
  // Opens native, strictly below the write directory, in one call that
  // follows no link; -1 when it cannot.
  int OpenBelowWriteDirectory(const std::string& native, int flags);
  int OpenByWalk(const std::string& path, int flags);
  // A descriptor just opened and the file's length then.
  struct Opened;
  Opened OpenForReading(const std::string& path);
  Opened OpenForWriting(const std::string& path, int flags);
  FileNumber Register(const std::string& path, Opened opened, OpenMode mode, int64_t position);
  static void TakeBack(OpenFile& open, int64_t written);
  static void ReadAhead(OpenFile& open, int64_t length);
  static bool ReadAheadHolds(const OpenFile& open, int64_t count);
  // Exactly count bytes at offset at, or fails (62 at the end of the file).
  static std::string ReadAt(int fd, int64_t at, int64_t count);
  OpenFile& Get(FileNumber file);
  // Get for writing; 71 when the file's medium has been taken out meanwhile.
  OpenFile& GetOnMedium(FileNumber file);

  DriveReader readDrives_;
  RunDrives runDrives_;
  DriveTable table_;  // with the run's drives over it
  std::string writeDirectoryGiven_;  // drive form, as given
  std::string writeDirectory_;       // native; empty until one is set
  int writeDirectoryFd_ = -1;
  std::map<FileNumber, OpenFile> files_;
};

}  // namespace pb
