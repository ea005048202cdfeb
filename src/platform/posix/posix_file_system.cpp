// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/posix_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <optional>
#include <set>
#include <string_view>
#include <utility>

#include "platform/posix/errno_codes.h"
#include "support/run_time_error.h"

namespace pb {

namespace {

// Below this the kernel's own read-ahead takes a file in one go anyway.
constexpr int64_t kDefaultReadAhead = 128 * 1024;
// Reads smaller than this take their bytes from one read of this many.
constexpr int64_t kSmallReadAhead = 64 * 1024;

[[noreturn]] void RaiseErrno(int err) { throw RunTimeError(ErrorCodeFromErrno(err)); }

std::string ParentOf(const std::string& native) {
  const std::size_t slash = native.find_last_of('/');
  return slash == 0 || slash == std::string::npos ? "/" : native.substr(0, slash);
}

std::string BaseName(const std::string& native) { return native.substr(native.find_last_of('/') + 1); }

// A missing file is 53, a missing directory on the way to it 76.
int32_t MissingCode(const std::string& native) {
  struct stat info {};
  const std::string parent = ParentOf(native);
  return stat(parent.c_str(), &info) == 0 && S_ISDIR(info.st_mode) ? kFileNotFound : kPathNotFound;
}

[[noreturn]] void RaiseFor(int err, const std::string& native) {
  if (err == ENOENT) throw RunTimeError(MissingCode(native));
  RaiseErrno(err);
}

bool IsReadOnly(const struct stat& info) { return (info.st_mode & S_IWUSR) == 0; }

// Attributes of an entry; a device, pipe or socket is special. Nothing is
// opened to find out.
int AttributesOf(const struct stat& info, const std::string& name) {
  int attributes = kAttrSpecial;
  if (S_ISDIR(info.st_mode)) {
    attributes = kAttrDirectory;
  } else if (S_ISREG(info.st_mode)) {
    attributes = kAttrArchive;
  }
  if (IsReadOnly(info)) attributes |= kAttrReadOnly;
  if (!name.empty() && name.front() == '.') attributes |= kAttrHidden;
  return attributes;
}

FileStamp StampFrom(const struct stat& info) {
  return {info.st_mtim.tv_sec, static_cast<int32_t>(info.st_mtim.tv_nsec), static_cast<int>(info.st_mode & 07777)};
}

bool IsMissing(int err) { return err == ENOENT || err == ENOTDIR || err == ELOOP; }

// What stands at path relative to dir (AT_FDCWD for an absolute one) when
// following it found nothing: a link that leads nowhere, or nothing at all.
std::optional<int> DanglingLink(int dir, const char* path) {
  struct stat info {};
  if (fstatat(dir, path, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(info.st_mode)) return kAttrNoTarget;
  return std::nullopt;
}

std::optional<int> StatAttributes(const std::string& native, const std::string& name) {
  struct stat info {};
  if (stat(native.c_str(), &info) != 0) {
    if (IsMissing(errno)) return DanglingLink(AT_FDCWD, native.c_str());
    RaiseErrno(errno);
  }
  return AttributesOf(info, name);
}

bool MatchesMask(int attributes, int mask) {
  constexpr int kSelective =
      kAttrHidden | kAttrSystem | kAttrDirectory | kAttrVolume | kAttrSpecial | kAttrNoTarget | kAttrLoop;
  return (attributes & kSelective & ~mask) == 0;
}

// The directories a native path runs through, itself included, as device and
// inode: a directory among them met again below it (through a link or a bind
// mount) would be listed without end.
std::set<std::pair<dev_t, ino_t>> DirectoriesOnPath(const std::string& native) {
  std::set<std::pair<dev_t, ino_t>> directories;
  const auto add = [&](const std::string& directory) {
    struct stat info {};
    if (stat(directory.c_str(), &info) == 0) directories.insert({info.st_dev, info.st_ino});
  };
  add("/");
  for (std::size_t slash = native.find('/', 1); slash != std::string::npos; slash = native.find('/', slash + 1)) {
    add(native.substr(0, slash));
  }
  add(native);
  return directories;
}

// A descriptor that closes itself.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Descriptor& operator=(Descriptor&& other) noexcept {
    std::swap(fd_, other.fd_);
    return *this;
  }
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

// A directory on the way that cannot be opened: missing, or a file or a link
// in its place, is 76.
[[noreturn]] void RaiseBlockedWay(int err) {
  throw RunTimeError(IsMissing(err) ? kPathNotFound : ErrorCodeFromErrno(err));
}

// Cleared once the kernel turned openat2 down: an older kernel, or a filter
// that forbids it, as in some containers.
std::atomic<bool> openat2Available{true};

// The directory at the relative path below start, reached without following
// any link. openat2 resolves the whole path in one call, refusing every link
// and every way out of start; otherwise one component at a time, each opened
// relative to the one before, so nothing can be swapped in between.
Descriptor DirectoryBelow(int start, const std::string& path) {
  if (openat2Available.load(std::memory_order_relaxed)) {
    open_how how{};
    how.flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
    how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_BENEATH;
    Descriptor dir(static_cast<int>(syscall(SYS_openat2, start, path.c_str(), &how, sizeof how)));
    if (dir.get() >= 0) return dir;
    if (errno == ENOSYS || errno == EPERM) {
      openat2Available.store(false, std::memory_order_relaxed);
    } else if (errno != ENAMETOOLONG) {
      // Too long as a whole, the path may still be walked.
      RaiseBlockedWay(errno);
    }
  }
  Descriptor dir(-1);
  std::string_view rest = path;
  while (true) {
    const std::size_t slash = rest.find('/');
    const std::string component(rest.substr(0, slash));
    Descriptor next(openat(dir.get() >= 0 ? dir.get() : start, component.c_str(),
                           O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (next.get() < 0) RaiseBlockedWay(errno);
    dir = std::move(next);
    if (slash == std::string_view::npos) return dir;
    rest.remove_prefix(slash + 1);
  }
}

bool StrictlyBelow(const std::string& directory, const std::string& path) {
  return path.size() > directory.size() && path.compare(0, directory.size(), directory) == 0 &&
         (directory == "/" || path[directory.size()] == '/');
}

void MakeDirectory(int dir, const std::string& name) {
  if (mkdirat(dir, name.c_str(), 0777) != 0) {
    if (errno == ENOENT) throw RunTimeError(kPathNotFound);
    if (errno == EEXIST) throw RunTimeError(kPathFileAccess);
    RaiseErrno(errno);
  }
}

}  // namespace

bool IsMountPoint(const std::string& root) {
  struct stat self {};
  struct stat parent {};
  if (stat(root.c_str(), &self) != 0 || !S_ISDIR(self.st_mode)) return false;
  if (root == "/") return true;
  const std::string above = root + "/..";
  return stat(above.c_str(), &parent) == 0 && (parent.st_dev != self.st_dev || parent.st_ino == self.st_ino);
}

PosixFileSystem::PosixFileSystem(DriveTable table) : table_(std::move(table)) {}

PosixFileSystem::PosixFileSystem(DriveReader readDrives) : readDrives_(std::move(readDrives)), table_(readDrives_()) {}

void PosixFileSystem::ReadDrives() {
  if (!readDrives_) return;
  table_ = runDrives_.Over(readDrives_());
  // The write directory lies on the drive's medium wherever that is now.
  SetWriteDirectory(writeDirectoryGiven_);
}

PosixFileSystem::~PosixFileSystem() { CloseAll(); }

std::string PosixFileSystem::NativeOnReadyDrive(const std::string& drivePath) {
  table_.ToNative(drivePath);
  if (table_.Find(drivePath[0])->mustBeMounted && !IsMountPoint(table_.Find(drivePath[0])->root)) {
    // The medium may be mounted at a new place.
    ReadDrives();
    const Drive* drive = table_.Find(drivePath[0]);
    if (drive == nullptr || (drive->mustBeMounted && !IsMountPoint(drive->root))) throw RunTimeError(kDriveNotReady);
  }
  return table_.ToNative(drivePath);
}

std::string PosixFileSystem::FindEntry(const std::string& path, int mask) {
  const std::string native = NativeOnReadyDrive(path);
  const Drive* drive = table_.Find(path[0]);
  const bool root = native == drive->root;
  const std::optional<int> attributes = StatAttributes(native, root ? "" : BaseName(native));
  if (!attributes || !MatchesMask(*attributes, mask)) return "";
  return root ? std::string(1, drive->letter) + ":\\" : DriveFormName(BaseName(native));
}

std::vector<std::string> PosixFileSystem::ListDirectory(const std::string& directory, int mask) {
  std::vector<std::string> names;
  for (DirectoryEntry& entry : ListEntries(directory, mask)) names.push_back(std::move(entry.name));
  return names;
}

// The attributes found to filter by mask are those GetAttributes tells.
std::vector<DirectoryEntry> PosixFileSystem::ListEntries(const std::string& directory, int mask) {
  const std::string native = NativeOnReadyDrive(directory);
  DIR* dir = opendir(native.c_str());
  if (dir == nullptr) {
    if (IsMissing(errno)) throw RunTimeError(kPathNotFound);
    RaiseErrno(errno);
  }
  const std::set<std::pair<dev_t, ino_t>> above = DirectoriesOnPath(native);
  std::vector<DirectoryEntry> entries;
  errno = 0;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    struct stat info {};
    std::optional<int> attributes;
    if (fstatat(dirfd(dir), entry->d_name, &info, 0) == 0) {
      attributes = AttributesOf(info, name);
    } else if (IsMissing(errno)) {
      attributes = DanglingLink(dirfd(dir), entry->d_name);
    } else {
      const int err = errno;
      closedir(dir);
      RaiseErrno(err);
    }
    if (attributes && S_ISDIR(info.st_mode) && above.count({info.st_dev, info.st_ino}) != 0) *attributes |= kAttrLoop;
    if (attributes && MatchesMask(*attributes, mask)) entries.push_back({DriveFormName(name), *attributes});
    errno = 0;
  }
  const int err = errno;
  closedir(dir);
  if (err != 0) RaiseErrno(err);
  std::sort(entries.begin(), entries.end(),
            [](const DirectoryEntry& a, const DirectoryEntry& b) { return ListedBefore(a.name, b.name); });
  return entries;
}

int PosixFileSystem::GetAttributes(const std::string& path) {
  const std::string native = NativeOnReadyDrive(path);
  const bool root = native == table_.Find(path[0])->root;
  const std::optional<int> attributes = StatAttributes(native, root ? "" : BaseName(native));
  if (!attributes) throw RunTimeError(MissingCode(native));
  if (root || (*attributes & kAttrDirectory) == 0) return *attributes;
  struct stat info {};
  const bool loops =
      stat(native.c_str(), &info) == 0 && DirectoriesOnPath(ParentOf(native)).count({info.st_dev, info.st_ino}) != 0;
  return loops ? *attributes | kAttrLoop : *attributes;
}

void PosixFileSystem::SetWriteDirectory(const std::string& directory) {
  ReleaseWriteDirectory();
  writeDirectoryGiven_ = directory;
  writeDirectory_.clear();
  if (directory.empty()) return;
  try {
    writeDirectory_ = table_.ToNative(directory);
  } catch (const RunTimeError&) {
    // Nothing can be written below a path that does not translate anyway.
    writeDirectory_.clear();
  }
}

// The write directory is held open from the first call below it until
// another is set: a path below it is then reached from it in one call. Held,
// it is the directory that was at its path then, wherever it is moved; a link
// put in its place is never followed. A drive whose medium may be taken out is
// never held, since that would keep the medium busy.
int PosixFileSystem::HeldWriteDirectory() {
  if (writeDirectoryFd_ >= 0 || writeDirectory_.empty()) return writeDirectoryFd_;
  const Drive* drive = table_.Find(writeDirectoryGiven_[0]);
  if (drive == nullptr || drive->mustBeMounted) return -1;
  writeDirectoryFd_ = open(writeDirectory_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  return writeDirectoryFd_;
}

void PosixFileSystem::ReleaseWriteDirectory() noexcept {
  if (writeDirectoryFd_ >= 0) close(writeDirectoryFd_);
  writeDirectoryFd_ = -1;
}

// -1 with errno set when the quick way fails for whatever reason: the walk
// then fails as it must, or finds the way after all.
int PosixFileSystem::OpenBelowWriteDirectory(const std::string& native, int flags) {
  if (!StrictlyBelow(writeDirectory_, native) || !openat2Available.load(std::memory_order_relaxed)) return -1;
  const int dir = HeldWriteDirectory();
  if (dir < 0) return -1;
  open_how how{};
  how.flags = static_cast<uint64_t>(flags | O_NOFOLLOW | O_CLOEXEC);
  how.mode = (flags & O_CREAT) != 0 ? 0666 : 0;
  how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_BENEATH;
  const std::string rest = native.substr(writeDirectory_ == "/" ? 1 : writeDirectory_.size() + 1);
  return static_cast<int>(syscall(SYS_openat2, dir, rest.c_str(), &how, sizeof how));
}

struct PosixFileSystem::Parent {
  Descriptor owned;  // unless dir is the held write directory
  int dir = -1;
  std::string name;  // "." for a drive root itself
};

// Links are followed up to the write directory, or up to the parent of what
// lies on the way to it, and nowhere below; other paths are walked from their
// drive root.
PosixFileSystem::Parent PosixFileSystem::ParentOnReadyDrive(const std::string& drivePath) {
  const std::string native = NativeOnReadyDrive(drivePath);
  const std::string& root = table_.Find(drivePath[0])->root;
  std::string start = root;
  if (!writeDirectory_.empty() && StrictlyBelow(writeDirectory_, native)) {
    start = writeDirectory_;
  } else if (!writeDirectory_.empty() && native != root &&
             (native == writeDirectory_ || StrictlyBelow(native, writeDirectory_))) {
    start = ParentOf(native);
  }
  Descriptor opened(-1);
  int dir = start == writeDirectory_ ? HeldWriteDirectory() : -1;
  if (dir < 0) {
    opened = Descriptor(open(start.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (opened.get() < 0) RaiseBlockedWay(errno);
    dir = opened.get();
  }
  if (native == start) return {std::move(opened), dir, "."};
  const std::string_view rest = std::string_view(native).substr(start == "/" ? 1 : start.size() + 1);
  const std::size_t slash = rest.rfind('/');
  if (slash == std::string_view::npos) return {std::move(opened), dir, std::string(rest)};
  Descriptor below = DirectoryBelow(dir, std::string(rest.substr(0, slash)));
  const int fd = below.get();
  return {std::move(below), fd, std::string(rest.substr(slash + 1))};
}

FileStamp PosixFileSystem::StampAt(const std::string& path) {
  const std::string native = NativeOnReadyDrive(path);
  struct stat info {};
  if (stat(native.c_str(), &info) != 0) RaiseFor(errno, native);
  return StampFrom(info);
}

FileStamp PosixFileSystem::StampOf(FileNumber file) { return Get(file).stamp; }

void PosixFileSystem::ApplyStamp(const std::string& path, const FileStamp& stamp) {
  Descriptor fd(OpenBelowWriteDirectory(NativeOnReadyDrive(path), O_RDONLY | O_NONBLOCK));
  if (fd.get() < 0) {
    const Parent parent = ParentOnReadyDrive(path);
    fd = Descriptor(openat(parent.dir, parent.name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) RaiseFor(errno, NativeOnReadyDrive(path));
  }
  struct stat info {};
  if (fstat(fd.get(), &info) != 0) RaiseErrno(errno);
  if (!S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode)) throw RunTimeError(kPathFileAccess);
  const struct timespec times[2] = {{0, UTIME_OMIT}, {stamp.seconds, stamp.nanoseconds}};
  if (futimens(fd.get(), times) != 0) RaiseErrno(errno);
  if (fchmod(fd.get(), static_cast<mode_t>(stamp.mode) & 01777) != 0) RaiseErrno(errno);
}

std::string PosixFileSystem::FileIdentity(const std::string& path) {
  const std::string native = NativeOnReadyDrive(path);
  struct stat info {};
  if (lstat(native.c_str(), &info) != 0) {
    if (IsMissing(errno)) return "";
    RaiseErrno(errno);
  }
  if (!S_ISREG(info.st_mode)) return "";
  // A fresh medium in the same drive may hand out the same device and inode
  // numbers again; the time of the last change tells its files apart.
  return std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino) + ":" + std::to_string(info.st_size) + ":" +
         std::to_string(info.st_mtim.tv_sec) + "." + std::to_string(info.st_mtim.tv_nsec);
}

int64_t PosixFileSystem::FileLength(const std::string& path) {
  const std::string native = NativeOnReadyDrive(path);
  struct stat info {};
  if (stat(native.c_str(), &info) != 0) RaiseFor(errno, native);
  if (!S_ISREG(info.st_mode)) throw RunTimeError(kPathFileAccess);
  return info.st_size;
}

void PosixFileSystem::SetAttributesNormal(const std::string& path) {
  const Parent parent = ParentOnReadyDrive(path);
  struct stat info {};
  if (fstatat(parent.dir, parent.name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
    RaiseFor(errno, NativeOnReadyDrive(path));
  }
  // A link has no attributes of its own, and what it points to is not ours.
  if (S_ISLNK(info.st_mode)) return;
  if (fchmodat(parent.dir, parent.name.c_str(), (info.st_mode & 07777) | S_IWUSR, AT_SYMLINK_NOFOLLOW) != 0) {
    // A link swapped in meanwhile is left alone all the same.
    if (errno == EOPNOTSUPP) return;
    RaiseErrno(errno);
  }
}

void PosixFileSystem::DeleteFile(const std::string& path) {
  const Parent parent = ParentOnReadyDrive(path);
  struct stat info {};
  if (fstatat(parent.dir, parent.name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
    RaiseFor(errno, NativeOnReadyDrive(path));
  }
  if (S_ISDIR(info.st_mode) || (S_ISREG(info.st_mode) && IsReadOnly(info))) throw RunTimeError(kPathFileAccess);
  if (unlinkat(parent.dir, parent.name.c_str(), 0) != 0) RaiseFor(errno, NativeOnReadyDrive(path));
}

void PosixFileSystem::CreateDirectory(const std::string& path) {
  const std::vector<std::string> runDriveRoot = runDrives_.MissingRoot(path);
  for (const std::string& native : runDriveRoot) MakeDirectory(AT_FDCWD, native);
  if (!runDriveRoot.empty()) return;
  const Parent parent = ParentOnReadyDrive(path);
  MakeDirectory(parent.dir, parent.name);
}

struct PosixFileSystem::Opened {
  Descriptor fd;
  int64_t size = 0;
  FileStamp stamp;
};

FileNumber PosixFileSystem::Open(const std::string& path, OpenMode mode) {
  if (mode == OpenMode::BinaryRead) return Register(path, OpenForReading(path), mode, 0);
  Opened opened = OpenForWriting(path, mode == OpenMode::NewOutput ? O_CREAT | O_EXCL : O_CREAT);
  // Emptied only once it is known not to be read-only; a file just made is
  // empty already.
  if (mode == OpenMode::Output && opened.size != 0) {
    if (ftruncate(opened.fd.get(), 0) != 0) RaiseErrno(errno);
    opened.size = 0;
  }
  return Register(path, std::move(opened), mode, 0);
}

class PosixFileSystem::Readable : public ReadableFile {
 public:
  explicit Readable(Opened opened) : fd_(std::move(opened.fd)), length_(opened.size), stamp_(opened.stamp) {}
  int64_t Length() const override { return length_; }
  FileStamp Stamp() const override { return stamp_; }
  std::string ReadAt(int64_t offset, int64_t count) override {
    if (offset < 0 || count < 0) throw RunTimeError(kInvalidCall);
    if (count > length_ - offset) {
      // A damaged length must not make us allocate what the file cannot
      // hold; the file may have grown since it was opened.
      struct stat info {};
      if (fstat(fd_.get(), &info) != 0) RaiseErrno(errno);
      if (count > info.st_size - offset) throw RunTimeError(kInputPastEnd);
    }
    return PosixFileSystem::ReadAt(fd_.get(), offset, count);
  }

 private:
  Descriptor fd_;
  int64_t length_;
  FileStamp stamp_;
};

std::unique_ptr<ReadableFile> PosixFileSystem::OpenReadable(const std::string& path) {
  return std::make_unique<Readable>(OpenForReading(path));
}

FileNumber PosixFileSystem::Reopen(const std::string& path, int64_t length) {
  Opened opened = OpenForWriting(path, 0);
  if (opened.size < length) throw RunTimeError(kInputPastEnd);
  if (ftruncate(opened.fd.get(), length) != 0) RaiseErrno(errno);
  opened.size = length;
  return Register(path, std::move(opened), OpenMode::BinaryWrite, length);
}

FileNumber PosixFileSystem::Register(const std::string& path, Opened opened, OpenMode mode, int64_t position) {
  const Drive* drive = table_.Find(path[0]);
  FileNumber number = 1;
  while (files_.count(number) != 0) ++number;
  files_[number] = OpenFile{opened.fd.release(), mode, position, opened.size, opened.stamp,
                            mode != OpenMode::BinaryRead && drive->mustBeMounted ? drive->root : "", {}, 0};
  return number;
}

PosixFileSystem::Opened PosixFileSystem::OpenForReading(const std::string& path) {
  const std::string native = NativeOnReadyDrive(path);
  // A pipe must not hang the open; it is refused below.
  Descriptor fd(open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.get() < 0) RaiseFor(errno, native);
  struct stat info {};
  if (fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) throw RunTimeError(kPathFileAccess);
  // Volumes and sources are read from start to end: a longer read-ahead.
  if (info.st_size > kDefaultReadAhead) posix_fadvise(fd.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
  return {std::move(fd), info.st_size, StampFrom(info)};
}

// Only a regular file that is not read-only is opened, and it is checked
// after opening, so no privileged user ever changes a read-only file.
PosixFileSystem::Opened PosixFileSystem::OpenForWriting(const std::string& path, int flags) {
  flags |= O_WRONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK;
  Descriptor fd(OpenBelowWriteDirectory(NativeOnReadyDrive(path), flags));
  if (fd.get() < 0) fd = Descriptor(OpenByWalk(path, flags));
  // A file this call made is no one else's: empty, and ours to write.
  if ((flags & O_EXCL) != 0) return {std::move(fd), 0, {}};
  struct stat info {};
  if (fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) || IsReadOnly(info)) {
    throw RunTimeError(kPathFileAccess);
  }
  return {std::move(fd), info.st_size, {}};
}

// The way to the file walked directory by directory, which tells why it
// cannot be opened. Returns the descriptor, for the caller to own.
int PosixFileSystem::OpenByWalk(const std::string& path, int flags) {
  const Parent parent = ParentOnReadyDrive(path);
  const int fd = openat(parent.dir, parent.name.c_str(), flags, 0666);
  if (fd >= 0) return fd;
  const int err = errno;
  struct stat info {};
  const bool readOnly = fstatat(parent.dir, parent.name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
                        S_ISREG(info.st_mode) && IsReadOnly(info);
  if (err == ENOENT) throw RunTimeError(MissingCode(NativeOnReadyDrive(path)));
  throw RunTimeError(readOnly ? kPathFileAccess : ErrorCodeFromErrno(err));
}

PosixFileSystem::OpenFile& PosixFileSystem::Get(FileNumber file) {
  const auto found = files_.find(file);
  if (found == files_.end()) throw RunTimeError(kBadFileNameOrNumber);
  return found->second;
}

PosixFileSystem::OpenFile& PosixFileSystem::GetOnMedium(FileNumber file) {
  OpenFile& open = Get(file);
  if (open.mountRoot.empty()) return open;
  struct stat root {};
  struct stat info {};
  if (!IsMountPoint(open.mountRoot) || stat(open.mountRoot.c_str(), &root) != 0 || fstat(open.fd, &info) != 0 ||
      root.st_dev != info.st_dev) {
    throw RunTimeError(kDriveNotReady);
  }
  return open;
}

std::string PosixFileSystem::Read(FileNumber file, int64_t count) {
  OpenFile& open = Get(file);
  if (open.mode != OpenMode::BinaryRead) throw RunTimeError(kBadFileMode);
  if (count < 0) throw RunTimeError(kInvalidCall);
  if (count > open.size - open.position) {
    // The file may have grown since it was looked at.
    struct stat info {};
    if (fstat(open.fd, &info) != 0) RaiseErrno(errno);
    open.size = info.st_size;
    // A damaged length must not make us allocate what the file cannot hold.
    if (count > open.size - open.position) throw RunTimeError(kInputPastEnd);
  }
  const int64_t ahead = std::min(kSmallReadAhead, open.size - open.position);
  if (count > 0 && count < ahead && !ReadAheadHolds(open, count)) ReadAhead(open, ahead);
  std::string bytes = ReadAheadHolds(open, count)
                          ? open.ahead.substr(static_cast<std::size_t>(open.position - open.aheadStart),
                                              static_cast<std::size_t>(count))
                          : ReadAt(open.fd, open.position, count);
  open.position += count;
  return bytes;
}

// Small reads of a file read in order take their bytes from one larger read,
// until the next Seek. When that read fails, the bytes beyond this read's own
// may be what failed: the read is then made alone, and fails or not as it
// would have.
void PosixFileSystem::ReadAhead(OpenFile& open, int64_t length) {
  try {
    open.ahead = ReadAt(open.fd, open.position, length);
    open.aheadStart = open.position;
  } catch (const RunTimeError&) {
    open.ahead.clear();
  }
}

bool PosixFileSystem::ReadAheadHolds(const OpenFile& open, int64_t count) {
  return open.position >= open.aheadStart &&
         open.position + count <= open.aheadStart + static_cast<int64_t>(open.ahead.size());
}

std::string PosixFileSystem::ReadAt(int fd, int64_t at, int64_t count) {
  std::string bytes(static_cast<std::size_t>(count), '\0');
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = pread(fd, bytes.data() + done, bytes.size() - done, at + static_cast<int64_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) RaiseErrno(errno);
    if (n == 0) throw RunTimeError(kInputPastEnd);
    done += static_cast<std::size_t>(n);
  }
  return bytes;
}

void PosixFileSystem::Write(FileNumber file, std::string_view bytes) {
  OpenFile& open = GetOnMedium(file);
  if (open.mode == OpenMode::BinaryRead) throw RunTimeError(kBadFileMode);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const int64_t at = open.position + static_cast<int64_t>(done);
    const ssize_t n = pwrite(open.fd, bytes.data() + done, bytes.size() - done, at);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int err = n < 0 ? errno : ENOSPC;
      TakeBack(open, static_cast<int64_t>(done));
      RaiseErrno(err);
    }
    done += static_cast<std::size_t>(n);
  }
  open.position += static_cast<int64_t>(bytes.size());
  open.size = std::max(open.size, open.position);
}

// Cuts off what part of a failed item got through, so no partial item stays.
// Only the item's own bytes go: when the file now ends past them, another
// writer made it that long, and nothing is cut.
void PosixFileSystem::TakeBack(OpenFile& open, int64_t written) {
  struct stat after {};
  if (fstat(open.fd, &after) != 0) return;
  const bool ownTail = after.st_size > open.size && after.st_size <= open.position + written;
  if (ownTail && ftruncate(open.fd, open.size) == 0) return;
  open.size = after.st_size;
}

// Sources and volumes are asked right after opening, which looked already.
int64_t PosixFileSystem::Length(FileNumber file) {
  OpenFile& open = Get(file);
  if (open.mode == OpenMode::BinaryRead) return open.size;
  struct stat info {};
  if (fstat(open.fd, &info) != 0) RaiseErrno(errno);
  return info.st_size;
}

int64_t PosixFileSystem::Position(FileNumber file) { return Get(file).position; }

void PosixFileSystem::Seek(FileNumber file, int64_t position1) {
  OpenFile& open = Get(file);
  if (position1 < 1) throw RunTimeError(kInvalidCall);
  open.position = position1 - 1;
  // A reader that goes back, to read again after a failure, meets the file
  // as it is now.
  open.ahead.clear();
}

void PosixFileSystem::Flush(FileNumber file) {
  if (fsync(GetOnMedium(file).fd) != 0 && errno != EINVAL) RaiseErrno(errno);
}

// Advice only: a file system without a page cache of its own (tmpfs) keeps
// its pages, and nothing is lost either way.
void PosixFileSystem::DropCache(FileNumber file) {
  posix_fadvise(Get(file).fd, 0, 0, POSIX_FADV_DONTNEED);
}

void PosixFileSystem::FlushDirectory(const std::string& directory) {
  const std::string native = ToNative(directory);
  const int fd = open(native.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) RaiseFor(errno, native);
  const int result = syncfs(fd);
  const int err = errno;
  close(fd);
  if (result != 0) RaiseErrno(err);
}

void PosixFileSystem::StartWriteBack(FileNumber file) noexcept {
  const auto found = files_.find(file);
  if (found == files_.end()) return;
  // Only starts the writing; a failure shows again at the flush that waits.
  [[maybe_unused]] const int ignored = sync_file_range(found->second.fd, 0, 0, SYNC_FILE_RANGE_WRITE);
}

void PosixFileSystem::Close(FileNumber file) {
  const int fd = Get(file).fd;
  files_.erase(file);
  if (close(fd) != 0 && errno != EINTR) RaiseErrno(errno);
}

void PosixFileSystem::CloseAll() noexcept {
  for (const auto& [number, open] : files_) close(open.fd);
  files_.clear();
  ReleaseWriteDirectory();
}

std::vector<DriveInfo> PosixFileSystem::Drives() {
  ReadDrives();
  std::vector<DriveInfo> drives;
  for (const auto& drive : table_.drives()) {
    if (!runDrives_.Holds(drive.letter)) drives.push_back({drive.letter, drive.label, drive.removable});
  }
  std::sort(drives.begin(), drives.end(), [](const DriveInfo& a, const DriveInfo& b) { return a.letter < b.letter; });
  return drives;
}

bool PosixFileSystem::DriveReady(char letter) {
  ReadDrives();
  const Drive* drive = table_.Find(letter);
  if (drive == nullptr) return false;
  if (drive->mustBeMounted) return IsMountPoint(drive->root);
  struct stat info {};
  return stat(drive->root.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string PosixFileSystem::CurrentDirectory() {
  std::string buffer(4096, '\0');
  if (getcwd(buffer.data(), buffer.size()) == nullptr) RaiseErrno(errno);
  return table_.ToDriveForm(buffer.c_str());
}

std::string PosixFileSystem::ToNative(const std::string& drivePath) { return table_.ToNative(drivePath); }

std::string PosixFileSystem::ToDriveForm(const std::string& nativePath) { return table_.ToDriveForm(nativePath); }

std::string PosixFileSystem::ToDriveFormForRun(const std::string& nativePath) {
  return runDrives_.DriveForm(table_, nativePath, false);
}

std::string PosixFileSystem::ToDriveFormForRunDirectory(const std::string& nativePath) {
  return runDrives_.DriveForm(table_, nativePath, true);
}

}  // namespace pb
