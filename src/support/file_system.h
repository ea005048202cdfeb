// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pb {

// Attribute bits as the format's home platform knows them. On Linux a name that
// begins with "." is hidden, a file without owner write permission is
// read-only, nothing is a system file or a volume label, and every regular file
// carries the archive bit.
enum Attribute : int {
  kAttrNormal = 0,
  kAttrReadOnly = 0x01,
  kAttrHidden = 0x02,
  kAttrSystem = 0x04,
  kAttrVolume = 0x08,
  kAttrDirectory = 0x10,
  kAttrArchive = 0x20,
  // Entries the format's home platform does not have, which a backup cannot
  // take and must name: a device, pipe or socket, and a link without target.
  kAttrSpecial = 0x40,
  kAttrNoTarget = 0x80,
  // A directory met again below itself, through a link or a mount: walking
  // it would never end, so a backup names it as left out.
  kAttrLoop = 0x100,
};

// Masks of the directory queries. An entry matches when each of its hidden,
// system, directory, volume, special and no-target bits is also in the mask;
// ordinary files (read-only and archive ones included) match every mask.
constexpr int kMaskOrdinary = 0;
constexpr int kMaskFiles = 7;    // also hidden, system and read-only files
constexpr int kMaskWalk = 503;   // also directories and what cannot be taken, no volume labels
constexpr int kMaskAll = 63;     // every kind of entry the format knows

using FileNumber = int;

// An entry of a directory listing with what GetAttributes tells of it.
struct DirectoryEntry {
  std::string name;
  int attributes = 0;
  int error = 0;  // the code GetAttributes failed with; 0 when it did not
  friend bool operator==(const DirectoryEntry&, const DirectoryEntry&) = default;
};

enum class OpenMode {
  BinaryRead,   // read only; the file must exist
  BinaryWrite,  // write only; created when missing, never shortened
  Output,       // sequential output: created, or emptied when it exists
  NewOutput,    // as Output, but only made new: fails when anything is at the path
};

// When a file or directory was last changed, and its permissions: what a
// restore gives back beside the bytes. On Windows the mode tells only
// read-only (no owner write bit) from writable.
struct FileStamp {
  int64_t seconds = 0;  // since 1970-01-01 UTC; negative before
  int32_t nanoseconds = 0;
  int mode = 0;  // permission bits, 07777 at most
  friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// A file opened for reading, owned by whoever holds it and closed when it
// goes. Each read names its offset, so threads may share one where the file
// system allows it (see OpenReadable). Failures throw RunTimeError as the
// numbered calls do.
class ReadableFile {
 public:
  virtual ~ReadableFile() = default;
  // The length at opening.
  virtual int64_t Length() const = 0;
  // Exactly count bytes from the 0-based offset, or fails (62 past the end).
  virtual std::string ReadAt(int64_t offset, int64_t count) = 0;
  // The file's stamp as it was when it was opened.
  virtual FileStamp Stamp() const = 0;
};

// A file opened for writing, owned by whoever holds it. Each call fails as
// its numbered twin does. One that goes without Close is closed quietly,
// keeping what was written.
class WritableFile {
 public:
  virtual ~WritableFile() = default;
  virtual void Write(std::string_view bytes) = 0;
  virtual void Flush() = 0;
  virtual void StartWriteBack() noexcept = 0;
  virtual void DropCache() = 0;
  // Closes it now; after a failure it may be tried again.
  virtual void Close() = 0;
};

struct DriveInfo {
  char letter = 'C';       // upper case
  std::string label;       // volume label or mount path; may be empty
  bool removable = false;  // its medium can be taken out and another put in
};

// The runtime's file and directory services. Every path is in drive form
// ("C:\Daten\Brief.doc", "A:\"): the implementation translates it at the file
// system boundary and refuses unsafe names there. Every failure throws
// RunTimeError with a catalogue code; 61 means the medium is full, 71 that the
// drive is not ready.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Directory queries. FindEntry returns the name (without directory) of the
  // entry at path when it exists and matches mask, else "". ListDirectory
  // returns the names of the matching entries of a directory in the order the
  // file system delivers them (sorted by name, as the format's home platform
  // does); "." and ".." are never returned.
  virtual std::string FindEntry(const std::string& path, int mask) = 0;
  virtual std::vector<std::string> ListDirectory(const std::string& directory, int mask) = 0;
  // ListDirectory's entries with their attributes, in one pass where the file
  // system lists them so; the default asks GetAttributes of each.
  virtual std::vector<DirectoryEntry> ListEntries(const std::string& directory, int mask);

  // The directory a run was given to write in (a backup's target, a
  // restore's destination); the last call counts. Links on the way to it are
  // followed. Below it, and below a drive root when the path is not below it,
  // the calls that create, change or delete (Open for writing,
  // CreateDirectory, DeleteFile, SetAttributesNormal) follow no link: a link
  // in the way makes them fail, DeleteFile removes a link itself and
  // SetAttributesNormal leaves it as it is. Queries and reading follow links.
  // Never throws.
  virtual void SetWriteDirectory(const std::string& directory) = 0;

  // An opaque text naming the file at path as it is now (a link itself is
  // not followed): the same while the file stays unchanged, different for any
  // other file, also for one that takes its place on another medium; "" when
  // path names no regular file.
  virtual std::string FileIdentity(const std::string& path) = 0;
  // The length of the regular file at path, links followed, found without
  // opening it. Fails as Open for reading does when the file is missing (53,
  // 76) or no regular file (75), but not when it may not be read.
  virtual int64_t FileLength(const std::string& path) = 0;

  virtual int GetAttributes(const std::string& path) = 0;
  // The stamp of the file or directory at path, links followed.
  virtual FileStamp StampAt(const std::string& path) = 0;
  // The stamp of a file opened for reading, as it was when it was opened.
  virtual FileStamp StampOf(FileNumber file) = 0;
  // Gives the file or directory at path the stamp's time and permissions; a
  // link is never followed (the calls that change, as SetWriteDirectory says).
  virtual void ApplyStamp(const std::string& path, const FileStamp& stamp) = 0;
  // Clears read-only (adds owner write permission on Linux).
  virtual void SetAttributesNormal(const std::string& path) = 0;
  virtual void DeleteFile(const std::string& path) = 0;
  virtual void CreateDirectory(const std::string& path) = 0;

  // Files by number. Read returns exactly count bytes from the current
  // position or fails (62 past the end) leaving the position where it was.
  // Write writes all bytes at the current position or fails leaving the
  // position where it was and the file no longer than before (when appending:
  // cut back to the position), so no partial item is ever left behind.
  // Position is the 0-based offset of the next byte; Seek takes a 1-based
  // position. Length of a file opened for reading may be its length at
  // opening (every caller asks right after opening), while Read looks again
  // when asked for more. Reads that go on in order may get bytes an earlier
  // Read took ahead; after a Seek, Read sees the file as it is then. Flush
  // puts what was written on the device; FlushDirectory does so for
  // everything written on the file system that holds directory.
  virtual FileNumber Open(const std::string& path, OpenMode mode) = 0;
  // Opens path for reading as Open does, as an owned file. The default reads
  // through the numbered calls, so only the thread that uses this file system
  // may read it; a file system whose files any thread may read overrides it.
  virtual std::unique_ptr<ReadableFile> OpenReadable(const std::string& path);
  // Whether the files OpenReadable gives may be read and closed on any
  // thread, also at once.
  virtual bool ReadableOnAnyThread() const { return false; }
  // Opens path for sequential output (Open with Output), or again after its
  // medium was away (Reopen), as an owned file. Both go through the numbered
  // calls, so every wrapper sees what is done to the file.
  std::unique_ptr<WritableFile> OpenWritable(const std::string& path);
  std::unique_ptr<WritableFile> ReopenWritable(const std::string& path, int64_t length);
  // Opens the existing file at path for writing again after its medium was
  // away: cut back to length and positioned there. Fails (53) when it is
  // missing and (62) when it is shorter than length; never creates it. A file
  // opened for writing on a medium that was taken out fails with 71 from then
  // on, even when the medium is back.
  virtual FileNumber Reopen(const std::string& path, int64_t length) = 0;
  virtual std::string Read(FileNumber file, int64_t count) = 0;
  virtual void Write(FileNumber file, std::string_view bytes) = 0;
  virtual int64_t Length(FileNumber file) = 0;
  virtual int64_t Position(FileNumber file) = 0;
  virtual void Seek(FileNumber file, int64_t position1) = 0;
  virtual void Flush(FileNumber file) = 0;
  virtual void FlushDirectory(const std::string& directory) = 0;
  // A hint: the device may begin to take what was written to file so far,
  // without waiting for it; a later Flush or FlushDirectory still decides.
  // Never fails; the default does nothing.
  virtual void StartWriteBack(FileNumber /*file*/) noexcept {}
  // Drops what the system keeps in memory of a flushed file, so that the file
  // opened again is read from the device itself: a check after writing then
  // sees what the medium holds. Where the system cannot drop it, does nothing.
  virtual void DropCache(FileNumber file) = 0;
  virtual void Close(FileNumber file) = 0;
  // Closes every open file, keeping what was written. Never throws.
  virtual void CloseAll() noexcept = 0;

  // Drives and the boundary to native paths. Drives and DriveReady look at
  // the drives as they are now: a medium put in may be found at a new place.
  // Drives lists the system's drives, none of a run (ToDriveFormForRun).
  virtual std::vector<DriveInfo> Drives() = 0;
  virtual bool DriveReady(char letter) = 0;
  virtual std::string CurrentDirectory() = 0;
  virtual std::string ToNative(const std::string& drivePath) = 0;
  virtual std::string ToDriveForm(const std::string& nativePath) = 0;
  // As ToDriveForm, for a path whose directories no set stores: a target, a
  // destination, a set's directory, the directory above the names a backup
  // stores. The deepest directory on it whose own name the drive form cannot
  // hold ("ziel:1", a Greek name) becomes the root of a drive of its own for
  // as long as this file system lives, as a mapped drive would; ToNative
  // translates back. A last name that is no directory's keeps its "?"s.
  virtual std::string ToDriveFormForRun(const std::string& nativePath) = 0;
  // As ToDriveFormForRun, for a directory a run is given (a target, a
  // destination, a set's directory), which gets its drive also while it is
  // not there yet. CreateDirectory of such a drive's root makes it, with the
  // directories missing above it, as a missing destination is made on any
  // drive: links on the way to it are followed.
  virtual std::string ToDriveFormForRunDirectory(const std::string& nativePath) = 0;
};

// Forwards every call to another file system, so a test overrides only the
// calls it wants to break. ListEntries is left to the default, so a wrapper
// sees it as ListDirectory and GetAttributes.
class FileSystemWrapper : public FileSystem {
 public:
  explicit FileSystemWrapper(FileSystem& target) : target_(target) {}
  std::string FindEntry(const std::string& path, int mask) override { return target_.FindEntry(path, mask); }
  std::vector<std::string> ListDirectory(const std::string& directory, int mask) override {
    return target_.ListDirectory(directory, mask);
  }
  void SetWriteDirectory(const std::string& directory) override { target_.SetWriteDirectory(directory); }
  std::string FileIdentity(const std::string& path) override { return target_.FileIdentity(path); }
  int64_t FileLength(const std::string& path) override { return target_.FileLength(path); }
  int GetAttributes(const std::string& path) override { return target_.GetAttributes(path); }
  FileStamp StampAt(const std::string& path) override { return target_.StampAt(path); }
  FileStamp StampOf(FileNumber file) override { return target_.StampOf(file); }
  void ApplyStamp(const std::string& path, const FileStamp& stamp) override { target_.ApplyStamp(path, stamp); }
  void SetAttributesNormal(const std::string& path) override { target_.SetAttributesNormal(path); }
  void DeleteFile(const std::string& path) override { target_.DeleteFile(path); }
  void CreateDirectory(const std::string& path) override { target_.CreateDirectory(path); }
  FileNumber Open(const std::string& path, OpenMode mode) override { return target_.Open(path, mode); }
  std::unique_ptr<ReadableFile> OpenReadable(const std::string& path) override { return target_.OpenReadable(path); }
  bool ReadableOnAnyThread() const override { return target_.ReadableOnAnyThread(); }
  FileNumber Reopen(const std::string& path, int64_t length) override { return target_.Reopen(path, length); }
  std::string Read(FileNumber file, int64_t count) override { return target_.Read(file, count); }
  void Write(FileNumber file, std::string_view bytes) override { target_.Write(file, bytes); }
  int64_t Length(FileNumber file) override { return target_.Length(file); }
  int64_t Position(FileNumber file) override { return target_.Position(file); }
  void Seek(FileNumber file, int64_t position1) override { target_.Seek(file, position1); }
  void Flush(FileNumber file) override { target_.Flush(file); }
  void FlushDirectory(const std::string& directory) override { target_.FlushDirectory(directory); }
  void StartWriteBack(FileNumber file) noexcept override { target_.StartWriteBack(file); }
  void DropCache(FileNumber file) override { target_.DropCache(file); }
  void Close(FileNumber file) override { target_.Close(file); }
  void CloseAll() noexcept override { target_.CloseAll(); }
  std::vector<DriveInfo> Drives() override { return target_.Drives(); }
  bool DriveReady(char letter) override { return target_.DriveReady(letter); }
  std::string CurrentDirectory() override { return target_.CurrentDirectory(); }
  std::string ToNative(const std::string& drivePath) override { return target_.ToNative(drivePath); }
  std::string ToDriveForm(const std::string& nativePath) override { return target_.ToDriveForm(nativePath); }
  std::string ToDriveFormForRun(const std::string& nativePath) override { return target_.ToDriveFormForRun(nativePath); }
  std::string ToDriveFormForRunDirectory(const std::string& nativePath) override {
    return target_.ToDriveFormForRunDirectory(nativePath);
  }

 private:
  FileSystem& target_;
};

}  // namespace pb
