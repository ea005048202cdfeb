// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <map>
#include <set>
#include <string>

#include "platform/drive_table.h"
#include "platform/run_drives.h"
#include "support/file_system.h"

namespace pb {

// The file system of a Windows machine behind the drive table: drive form is
// native there, so the system's table maps each drive onto itself; a test maps
// drives onto directories of its own. Attributes are the system's own (hidden,
// system, read-only, archive); as on the format's home platform a read-only
// file can be neither opened for writing nor deleted. Devices are never
// opened: their names are refused with the other unsafe names. Links are
// symbolic links and junctions (reparse points).
class WindowsFileSystem : public FileSystem {
 public:
  explicit WindowsFileSystem(DriveTable table);
  // The drive list is read again each time it is asked for; a drive's root
  // stays its letter's, whatever medium is in it.
  explicit WindowsFileSystem(DriveReader readDrives);
  ~WindowsFileSystem() override;
  WindowsFileSystem(const WindowsFileSystem&) = delete;
  WindowsFileSystem& operator=(const WindowsFileSystem&) = delete;

  // A drive root (with or without its "\") is a directory whose name is the
  // root in drive form ("D:\").
  std::string FindEntry(const std::string& path, int mask) override;
  // A directory link that leads back to the listed directory or one above it
  // is not listed, so that a walk through links ends.
  std::vector<std::string> ListDirectory(const std::string& directory, int mask) override;
  void SetWriteDirectory(const std::string& directory) override;
  // The volume's serial number, the file's index on it, its length and the
  // time of its last change.
  std::string FileIdentity(const std::string& path) override;
  int64_t FileLength(const std::string& path) override;
  int GetAttributes(const std::string& path) override;
  // The last-write time; the mode is 0644 (0444 read-only) for a file and
  // 0755 for a directory. Applying sets the last-write time and, on a file,
  // read-only where the mode has no owner write bit.
  FileStamp StampAt(const std::string& path) override;
  FileStamp StampOf(FileNumber file) override;
  void ApplyStamp(const std::string& path, const FileStamp& stamp) override;
  void SetAttributesNormal(const std::string& path) override;
  void DeleteFile(const std::string& path) override;
  void CreateDirectory(const std::string& path) override;

  FileNumber Open(const std::string& path, OpenMode mode) override;
  FileNumber Reopen(const std::string& path, int64_t length) override;
  std::string Read(FileNumber file, int64_t count) override;
  void Write(FileNumber file, std::string_view bytes) override;
  int64_t Length(FileNumber file) override;
  int64_t Position(FileNumber file) override;
  void Seek(FileNumber file, int64_t position1) override;
  void Flush(FileNumber file) override;
  // Windows flushes no whole file system for an ordinary user: this flushes
  // each file written since the last call that lies below directory.
  void FlushDirectory(const std::string& directory) override;
  // Opens the file once more without the system's cache, which makes Windows
  // write back and purge what it holds of the file.
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
  struct OpenFile {
    void* handle = nullptr;
    std::string native;
    OpenMode mode = OpenMode::BinaryRead;
    int64_t position = 0;
    // Written files on a drive for media: its root, and the serial number of
    // the medium the file lies on, which must still be the one in the drive.
    std::string mediumRoot;
    unsigned long volumeSerial = 0;
  };

  // Translates a drive-form path and makes sure its drive is ready (71).
  std::string NativeOnReadyDrive(const std::string& drivePath);
  // The same for a path to create, change or delete: no link may stand on the
  // way to its last component, as SetWriteDirectory describes (76).
  std::string NativeToWrite(const std::string& drivePath);
  void* OpenForWriting(const std::string& native, unsigned long disposition);
  FileNumber Register(const std::string& path, const std::string& native, void* handle, OpenMode mode,
                      int64_t position);
  OpenFile& Get(FileNumber file);
  // Get for writing; 71 when the file's medium has been taken out meanwhile.
  OpenFile& GetOnMedium(FileNumber file);

  DriveReader readDrives_;
  RunDrives runDrives_;
  DriveTable table_;  // with the run's drives over it
  std::string writeDirectory_;  // native; empty until one is set
  std::map<FileNumber, OpenFile> files_;
  std::set<std::string> written_;  // native paths not flushed yet
};

}  // namespace pb
