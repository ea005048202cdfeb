// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/windows/windows_file_system.h"

#include <algorithm>
#include <optional>

#include "platform/windows/wide_text.h"
#include "platform/windows/win32_error_codes.h"
#include "support/run_time_error.h"

#include "platform/windows/windows_api.h"

namespace pb {

namespace {

// Names are checked before they reach the system: when it still calls one
// invalid, a file stands where the path needs a directory (so says Wine).
[[noreturn]] void RaiseError(DWORD error) {
  throw RunTimeError(error == ERROR_INVALID_NAME ? kPathNotFound : ErrorCodeFromWin32(error));
}
[[noreturn]] void RaiseLastError() { RaiseError(GetLastError()); }

// The paths reaching the API are checked and absolute: the "\\?\" form lifts
// the length limit and gives no name a special meaning.
std::wstring ApiPath(const std::string& native) { return L"\\\\?\\" + Utf8ToWide(native); }

std::wstring AllEntriesOf(const std::string& native) {
  return ApiPath(native.back() == '\\' ? native + "*" : native + "\\*");
}

constexpr DWORD kShownAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                   FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_ARCHIVE;

bool IsMissing(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_DIRECTORY ||
         error == ERROR_INVALID_NAME || error == ERROR_BAD_NETPATH;
}

// The system's attributes of an entry; nullopt when it is missing.
std::optional<DWORD> SystemAttributes(const std::string& native) {
  const DWORD attributes = GetFileAttributesW(ApiPath(native).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) return attributes;
  const DWORD error = GetLastError();
  if (IsMissing(error)) return std::nullopt;
  RaiseError(error);
}

DWORD ExistingAttributes(const std::string& native) {
  const DWORD attributes = GetFileAttributesW(ApiPath(native).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) RaiseLastError();
  return attributes;
}

bool IsLink(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }

// File times count 100 ns from 1601; stamps count from 1970.
constexpr int64_t kTicksPerSecond = 10000000;
constexpr int64_t kSecondsBefore1970 = 11644473600;

FileStamp StampFrom(const FILETIME& written, DWORD attributes) {
  const auto ticks = static_cast<int64_t>((uint64_t{written.dwHighDateTime} << 32) | written.dwLowDateTime);
  int mode = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? 0755 : 0644;
  if ((attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) == FILE_ATTRIBUTE_READONLY) mode &= ~0222;
  return {ticks / kTicksPerSecond - kSecondsBefore1970, static_cast<int32_t>(ticks % kTicksPerSecond * 100), mode};
}

// Times before 1601 become 1601.
FILETIME FileTimeOf(const FileStamp& stamp) {
  const int64_t ticks =
      std::max<int64_t>(0, (stamp.seconds + kSecondsBefore1970) * kTicksPerSecond + stamp.nanoseconds / 100);
  return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(static_cast<uint64_t>(ticks) >> 32)};
}

std::string ParentOf(const std::string& native) {
  const std::size_t separator = native.find_last_of('\\');
  return separator <= 2 ? native.substr(0, 3) : native.substr(0, separator);
}

bool MatchesMask(int attributes, int mask) {
  constexpr int kSelective = kAttrHidden | kAttrSystem | kAttrDirectory | kAttrVolume | kAttrLoop;
  return (attributes & kSelective & ~mask) == 0;
}

// A drive letter's own volume with a medium in it.
bool VolumeReady(const std::string& root) {
  const std::wstring wideRoot = Utf8ToWide(root.back() == '\\' ? root : root + "\\");
  wchar_t volume[MAX_PATH + 1] = {};
  if (!GetVolumePathNameW(wideRoot.c_str(), volume, MAX_PATH + 1) || _wcsicmp(volume, wideRoot.c_str()) != 0) {
    return false;
  }
  return GetVolumeInformationW(wideRoot.c_str(), nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0) != 0;
}

// The volume label of a drive of its own; drives for media are not asked,
// which could make a diskette drive spin.
std::string LabelOf(const Drive& drive) {
  if (!drive.label.empty() || drive.mustBeMounted || drive.root.size() != 3) return drive.label;
  wchar_t label[MAX_PATH + 1] = {};
  const std::wstring root = Utf8ToWide(drive.root);
  if (!GetVolumeInformationW(root.c_str(), label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0)) return "";
  return WideToUtf8(label);
}

void SetLength(HANDLE handle, int64_t length) {
  LARGE_INTEGER at{};
  at.QuadPart = length;
  if (!SetFilePointerEx(handle, at, nullptr, FILE_BEGIN) || !SetEndOfFile(handle)) RaiseLastError();
}

int64_t SizeOf(HANDLE handle) {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(handle, &size)) RaiseLastError();
  return size.QuadPart;
}

OVERLAPPED At(int64_t offset) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(static_cast<uint64_t>(offset) & 0xFFFFFFFFu);
  at.OffsetHigh = static_cast<DWORD>(static_cast<uint64_t>(offset) >> 32);
  return at;
}

// One call moves at most this much, well inside a DWORD.
constexpr std::size_t kChunk = std::size_t{1} << 30;

// Entries of a directory in the order the system gives them, "." and ".."
// left out; each as (UTF-8 name, attributes).
std::vector<std::pair<std::string, DWORD>> Entries(const std::string& native) {
  std::vector<std::pair<std::string, DWORD>> entries;
  WIN32_FIND_DATAW data{};
  const HANDLE find =
      FindFirstFileExW(AllEntriesOf(native).c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0);
  if (find == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    // An empty drive root has not even "." and "..".
    if (error == ERROR_FILE_NOT_FOUND) return entries;
    if (IsMissing(error)) throw RunTimeError(kPathNotFound);
    RaiseError(error);
  }
  do {
    const std::wstring_view name = data.cFileName;
    if (name != L"." && name != L"..") entries.emplace_back(WideToUtf8(name), data.dwFileAttributes);
  } while (FindNextFileW(find, &data));
  const DWORD error = GetLastError();
  FindClose(find);
  if (error != ERROR_NO_MORE_FILES) RaiseError(error);
  return entries;
}

// The volume and index of the directory or file at native, links followed;
// nullopt when it cannot be opened.
std::optional<std::pair<DWORD, uint64_t>> FileIdOf(const std::string& native) {
  const HANDLE handle = CreateFileW(ApiPath(native).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool known = GetFileInformationByHandle(handle, &info) != 0;
  CloseHandle(handle);
  if (!known) return std::nullopt;
  return std::make_pair(info.dwVolumeSerialNumber, (uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow);
}

// True when the directory link at native leads back to directory or one of
// the directories above it: a walk through it would not end.
bool LeadsBack(const std::string& native, const std::string& directory) {
  const std::optional<std::pair<DWORD, uint64_t>> target = FileIdOf(native);
  if (!target) return false;
  for (std::string above = directory;; above = ParentOf(above)) {
    if (FileIdOf(above) == target) return true;
    if (above.size() <= 3) return false;
  }
}

std::optional<int> AttributesOf(DWORD system) {
  if ((system & FILE_ATTRIBUTE_DEVICE) != 0) return std::nullopt;
  return static_cast<int>(system & kShownAttributes);
}

void MakeDirectory(const std::string& native) {
  if (!CreateDirectoryW(ApiPath(native).c_str(), nullptr)) {
    const DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS) throw RunTimeError(kPathFileAccess);
    RaiseError(error);
  }
}

}  // namespace

WindowsFileSystem::WindowsFileSystem(DriveTable table) : table_(std::move(table)) {
  // A drive without a medium answers "not ready" instead of asking the user.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
}

WindowsFileSystem::WindowsFileSystem(DriveReader readDrives) : WindowsFileSystem(readDrives()) {
  readDrives_ = std::move(readDrives);
}

WindowsFileSystem::~WindowsFileSystem() { CloseAll(); }

std::string WindowsFileSystem::NativeOnReadyDrive(const std::string& drivePath) {
  std::string native = table_.ToNative(drivePath);
  const Drive* drive = table_.Find(drivePath[0]);
  if (drive->mustBeMounted && !VolumeReady(drive->root)) throw RunTimeError(kDriveNotReady);
  return native;
}

void WindowsFileSystem::SetWriteDirectory(const std::string& directory) {
  try {
    writeDirectory_ = table_.ToNative(directory);
  } catch (const RunTimeError&) {
    // Nothing can be written below a path that does not translate anyway.
    writeDirectory_.clear();
  }
}

// Links are followed up to the write directory, or up to the parent of what
// lies on the way to it, and nowhere below; other paths are checked from their
// drive root. A link or file on the way fails like a missing directory.
std::string WindowsFileSystem::NativeToWrite(const std::string& drivePath) {
  const std::string native = NativeOnReadyDrive(drivePath);
  const std::string& root = table_.Find(drivePath[0])->root;
  std::string start = root;
  if (!writeDirectory_.empty() && native.size() > writeDirectory_.size() && NativeContains(writeDirectory_, native)) {
    start = writeDirectory_;
  } else if (!writeDirectory_.empty() && native != root && NativeContains(native, writeDirectory_)) {
    start = ParentOf(native);
  }
  for (std::size_t at = native.find('\\', start.size() + 1); at != std::string::npos; at = native.find('\\', at + 1)) {
    const DWORD attributes = GetFileAttributesW(ApiPath(native.substr(0, at)).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 || IsLink(attributes)) {
      throw RunTimeError(kPathNotFound);
    }
  }
  return native;
}

std::string WindowsFileSystem::FileIdentity(const std::string& path) {
  const std::string native = NativeOnReadyDrive(path);
  const HANDLE handle = CreateFileW(ApiPath(native).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING,
                                    FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (IsMissing(error)) return "";
    RaiseError(error);
  }
  BY_HANDLE_FILE_INFORMATION info{};
  const bool known = GetFileInformationByHandle(handle, &info) != 0;
  const DWORD error = GetLastError();
  CloseHandle(handle);
  if (!known) RaiseError(error);
  if ((info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) != 0) {
    return "";
  }
  const auto join = [](DWORD high, DWORD low) { return std::to_string((uint64_t{high} << 32) | low); };
  return std::to_string(info.dwVolumeSerialNumber) + ":" + join(info.nFileIndexHigh, info.nFileIndexLow) + ":" +
         join(info.nFileSizeHigh, info.nFileSizeLow) + ":" +
         join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime);
}

// A link's own attributes tell nothing of its target, which is opened for
// them; other entries are answered without opening.
int64_t WindowsFileSystem::FileLength(const std::string& path) {
  const std::string native = NativeOnReadyDrive(path);
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(ApiPath(native).c_str(), GetFileExInfoStandard, &data)) RaiseLastError();
  DWORD attributes = data.dwFileAttributes;
  DWORD high = data.nFileSizeHigh;
  DWORD low = data.nFileSizeLow;
  if (IsLink(attributes)) {
    const HANDLE handle = CreateFileW(ApiPath(native).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) RaiseLastError();
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileInformationByHandle(handle, &info) != 0;
    const DWORD error = GetLastError();
    CloseHandle(handle);
    if (!known) RaiseError(error);
    attributes = info.dwFileAttributes;
    high = info.nFileSizeHigh;
    low = info.nFileSizeLow;
  }
  if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0) throw RunTimeError(kPathFileAccess);
  return static_cast<int64_t>((uint64_t{high} << 32) | low);
}

FileStamp WindowsFileSystem::StampAt(const std::string& path) {
  const std::string native = NativeOnReadyDrive(path);
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(ApiPath(native).c_str(), GetFileExInfoStandard, &data)) RaiseLastError();
  return StampFrom(data.ftLastWriteTime, data.dwFileAttributes);
}

FileStamp WindowsFileSystem::StampOf(FileNumber file) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(Get(file).handle, &info)) RaiseLastError();
  return StampFrom(info.ftLastWriteTime, info.dwFileAttributes);
}

// Writing attributes is allowed on a read-only file; a link is opened itself
// and refused.
void WindowsFileSystem::ApplyStamp(const std::string& path, const FileStamp& stamp) {
  const std::string native = NativeToWrite(path);
  const DWORD attributes = ExistingAttributes(native);
  if (IsLink(attributes)) throw RunTimeError(kPathFileAccess);
  const HANDLE handle = CreateFileW(ApiPath(native).c_str(), FILE_WRITE_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) RaiseLastError();
  const FILETIME written = FileTimeOf(stamp);
  const bool set = SetFileTime(handle, nullptr, nullptr, &written) != 0;
  const DWORD error = GetLastError();
  CloseHandle(handle);
  if (!set) RaiseError(error);
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return;
  const DWORD wanted = (stamp.mode & 0200) != 0 ? attributes & ~FILE_ATTRIBUTE_READONLY : attributes | FILE_ATTRIBUTE_READONLY;
  if (wanted != attributes && !SetFileAttributesW(ApiPath(native).c_str(), wanted)) RaiseLastError();
}

std::string WindowsFileSystem::FindEntry(const std::string& path, int mask) {
  const std::string native = NativeOnReadyDrive(path);
  const Drive* drive = table_.Find(path[0]);
  if (native == drive->root) {
    const std::optional<DWORD> attributes = SystemAttributes(native);
    if (!attributes || !MatchesMask(kAttrDirectory, mask)) return "";
    return std::string(1, drive->letter) + ":\\";
  }
  // The entry's own name, in the case the directory holds it.
  WIN32_FIND_DATAW data{};
  const HANDLE find =
      FindFirstFileExW(ApiPath(native).c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0);
  if (find == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (IsMissing(error)) return "";
    RaiseError(error);
  }
  FindClose(find);
  const std::optional<int> attributes = AttributesOf(data.dwFileAttributes);
  if (!attributes || !MatchesMask(*attributes, mask)) return "";
  return DriveFormName(WideToUtf8(data.cFileName));
}

std::vector<std::string> WindowsFileSystem::ListDirectory(const std::string& directory, int mask) {
  const std::string native = NativeOnReadyDrive(directory);
  std::vector<std::string> names;
  for (const auto& [name, system] : Entries(native)) {
    std::optional<int> attributes = AttributesOf(system);
    if (attributes && (system & FILE_ATTRIBUTE_DIRECTORY) != 0 && IsLink(system) &&
        LeadsBack(native.back() == '\\' ? native + name : native + "\\" + name, native)) {
      *attributes |= kAttrLoop;
    }
    if (attributes && MatchesMask(*attributes, mask)) names.push_back(DriveFormName(name));
  }
  std::sort(names.begin(), names.end(), ListedBefore);
  return names;
}

int WindowsFileSystem::GetAttributes(const std::string& path) {
  const std::string native = NativeOnReadyDrive(path);
  const DWORD system = ExistingAttributes(native);
  const std::optional<int> attributes = AttributesOf(system);
  if (!attributes) throw RunTimeError(kFileNotFound);
  const bool loops = (system & FILE_ATTRIBUTE_DIRECTORY) != 0 && IsLink(system) && native.size() > 3 &&
                     LeadsBack(native, ParentOf(native));
  return loops ? *attributes | kAttrLoop : *attributes;
}

void WindowsFileSystem::SetAttributesNormal(const std::string& path) {
  const std::string native = NativeToWrite(path);
  const DWORD attributes = ExistingAttributes(native);
  // A link's own attributes are not what it points to, and that is not ours.
  if (IsLink(attributes)) return;
  if (!SetFileAttributesW(ApiPath(native).c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY})) RaiseLastError();
}

void WindowsFileSystem::DeleteFile(const std::string& path) {
  const std::string native = NativeToWrite(path);
  const DWORD attributes = ExistingAttributes(native);
  // A link goes itself, a link to a directory too; what it points to stays.
  if (IsLink(attributes)) {
    const bool removed = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? RemoveDirectoryW(ApiPath(native).c_str())
                                                                      : DeleteFileW(ApiPath(native).c_str());
    if (!removed) RaiseLastError();
    return;
  }
  if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) throw RunTimeError(kPathFileAccess);
  if (!DeleteFileW(ApiPath(native).c_str())) RaiseLastError();
}

void WindowsFileSystem::CreateDirectory(const std::string& path) {
  const std::vector<std::string> runDriveRoot = runDrives_.MissingRoot(path);
  for (const std::string& native : runDriveRoot) MakeDirectory(native);
  if (!runDriveRoot.empty()) return;
  MakeDirectory(NativeToWrite(path));
}

FileNumber WindowsFileSystem::Open(const std::string& path, OpenMode mode) {
  if (mode == OpenMode::BinaryRead) {
    const std::string native = NativeOnReadyDrive(path);
    const std::optional<DWORD> attributes = SystemAttributes(native);
    if (attributes && (*attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) throw RunTimeError(kPathFileAccess);
    const HANDLE handle =
        CreateFileW(ApiPath(native).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) RaiseLastError();
    if (GetFileType(handle) != FILE_TYPE_DISK) {
      CloseHandle(handle);
      throw RunTimeError(kPathFileAccess);
    }
    return Register(path, native, handle, mode, 0);
  }
  const std::string native = NativeToWrite(path);
  const HANDLE handle = OpenForWriting(native, mode == OpenMode::NewOutput ? CREATE_NEW : OPEN_ALWAYS);
  if (mode == OpenMode::Output) {
    try {
      SetLength(handle, 0);
    } catch (...) {
      CloseHandle(handle);
      throw;
    }
  }
  return Register(path, native, handle, mode, 0);
}

FileNumber WindowsFileSystem::Reopen(const std::string& path, int64_t length) {
  const std::string native = NativeToWrite(path);
  const HANDLE handle = OpenForWriting(native, OPEN_EXISTING);
  try {
    if (SizeOf(handle) < length) throw RunTimeError(kInputPastEnd);
    SetLength(handle, length);
  } catch (...) {
    CloseHandle(handle);
    throw;
  }
  return Register(path, native, handle, OpenMode::BinaryWrite, length);
}

// The last component itself is opened, a link too, and checked before it is
// written or emptied: neither a link nor a read-only file is ever changed.
// Output opens and empties rather than recreates, which a hidden file refuses.
void* WindowsFileSystem::OpenForWriting(const std::string& native, unsigned long disposition) {
  constexpr DWORD kRefused = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_REPARSE_POINT;
  if (const std::optional<DWORD> attributes = SystemAttributes(native); attributes && (*attributes & kRefused) != 0) {
    throw RunTimeError(kPathFileAccess);
  }
  const HANDLE handle = CreateFileW(ApiPath(native).c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    disposition,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) RaiseLastError();
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(handle, &info) || GetFileType(handle) != FILE_TYPE_DISK ||
      (info.dwFileAttributes & kRefused) != 0) {
    CloseHandle(handle);
    throw RunTimeError(kPathFileAccess);
  }
  written_.insert(native);
  return handle;
}

FileNumber WindowsFileSystem::Register(const std::string& path, const std::string& native, void* handle,
                                       OpenMode mode, int64_t position) {
  OpenFile open{handle, native, mode, position, "", 0};
  const Drive* drive = table_.Find(path[0]);
  if (mode != OpenMode::BinaryRead && drive->mustBeMounted) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileInformationByHandle(handle, &info)) {
      open.mediumRoot = drive->root;
      open.volumeSerial = info.dwVolumeSerialNumber;
    }
  }
  FileNumber number = 1;
  while (files_.count(number) != 0) ++number;
  files_[number] = open;
  return number;
}

WindowsFileSystem::OpenFile& WindowsFileSystem::Get(FileNumber file) {
  const auto found = files_.find(file);
  if (found == files_.end()) throw RunTimeError(kBadFileNameOrNumber);
  return found->second;
}

WindowsFileSystem::OpenFile& WindowsFileSystem::GetOnMedium(FileNumber file) {
  OpenFile& open = Get(file);
  if (open.mediumRoot.empty()) return open;
  DWORD serial = 0;
  const std::wstring root = Utf8ToWide(open.mediumRoot.back() == '\\' ? open.mediumRoot : open.mediumRoot + "\\");
  if (!GetVolumeInformationW(root.c_str(), nullptr, 0, &serial, nullptr, nullptr, nullptr, 0) ||
      serial != open.volumeSerial) {
    throw RunTimeError(kDriveNotReady);
  }
  return open;
}

std::string WindowsFileSystem::Read(FileNumber file, int64_t count) {
  OpenFile& open = Get(file);
  if (open.mode != OpenMode::BinaryRead) throw RunTimeError(kBadFileMode);
  if (count < 0) throw RunTimeError(kInvalidCall);
  // A damaged length must not make us allocate what the file cannot hold.
  if (count > SizeOf(open.handle) - open.position) throw RunTimeError(kInputPastEnd);
  std::string bytes(static_cast<std::size_t>(count), '\0');
  std::size_t done = 0;
  while (done < bytes.size()) {
    OVERLAPPED at = At(open.position + static_cast<int64_t>(done));
    DWORD n = 0;
    const DWORD wanted = static_cast<DWORD>(std::min(bytes.size() - done, kChunk));
    if (!ReadFile(open.handle, bytes.data() + done, wanted, &n, &at)) {
      const DWORD error = GetLastError();
      if (error == ERROR_HANDLE_EOF) throw RunTimeError(kInputPastEnd);
      RaiseError(error);
    }
    if (n == 0) throw RunTimeError(kInputPastEnd);
    done += n;
  }
  open.position += count;
  return bytes;
}

void WindowsFileSystem::Write(FileNumber file, std::string_view bytes) {
  OpenFile& open = GetOnMedium(file);
  if (open.mode == OpenMode::BinaryRead) throw RunTimeError(kBadFileMode);
  const int64_t before = SizeOf(open.handle);
  std::size_t done = 0;
  while (done < bytes.size()) {
    OVERLAPPED at = At(open.position + static_cast<int64_t>(done));
    DWORD n = 0;
    const DWORD wanted = static_cast<DWORD>(std::min(bytes.size() - done, kChunk));
    const bool written = WriteFile(open.handle, bytes.data() + done, wanted, &n, &at) != 0;
    if (!written || n == 0) {
      const DWORD error = written ? DWORD{ERROR_DISK_FULL} : GetLastError();
      // Take back what part of the item got through, so no partial item stays.
      LARGE_INTEGER after{};
      if (GetFileSizeEx(open.handle, &after) && after.QuadPart > before) {
        try {
          SetLength(open.handle, before);
        } catch (const RunTimeError&) {
          // The write's own failure is the one to report.
        }
      }
      RaiseError(error);
    }
    done += n;
  }
  open.position += static_cast<int64_t>(bytes.size());
}

int64_t WindowsFileSystem::Length(FileNumber file) { return SizeOf(Get(file).handle); }

int64_t WindowsFileSystem::Position(FileNumber file) { return Get(file).position; }

void WindowsFileSystem::Seek(FileNumber file, int64_t position1) {
  OpenFile& open = Get(file);
  if (position1 < 1) throw RunTimeError(kInvalidCall);
  open.position = position1 - 1;
}

void WindowsFileSystem::Flush(FileNumber file) {
  OpenFile& open = GetOnMedium(file);
  if (open.mode != OpenMode::BinaryRead && !FlushFileBuffers(open.handle)) RaiseLastError();
}

void WindowsFileSystem::DropCache(FileNumber file) {
  const HANDLE uncached =
      CreateFileW(ApiPath(Get(file).native).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_NO_BUFFERING, nullptr);
  if (uncached != INVALID_HANDLE_VALUE) CloseHandle(uncached);
}

void WindowsFileSystem::FlushDirectory(const std::string& directory) {
  const std::string native = ToNative(directory);
  if ((ExistingAttributes(native) & FILE_ATTRIBUTE_DIRECTORY) == 0) throw RunTimeError(kPathNotFound);
  const std::string below = native.back() == '\\' ? native : native + "\\";
  for (auto it = written_.begin(); it != written_.end();) {
    if (it->compare(0, below.size(), below) != 0) {
      ++it;
      continue;
    }
    // The system's cache belongs to the file, not the handle: a new handle
    // flushes what the closed ones wrote.
    const HANDLE handle = CreateFileW(ApiPath(*it).c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      const DWORD error = GetLastError();
      // Gone or made read-only since: nothing of ours left to flush.
      if (!IsMissing(error) && error != ERROR_ACCESS_DENIED) RaiseError(error);
    } else {
      const bool flushed = FlushFileBuffers(handle) != 0;
      const DWORD error = GetLastError();
      CloseHandle(handle);
      if (!flushed) RaiseError(error);
    }
    it = written_.erase(it);
  }
}

void WindowsFileSystem::Close(FileNumber file) {
  const HANDLE handle = Get(file).handle;
  files_.erase(file);
  if (!CloseHandle(handle)) RaiseLastError();
}

void WindowsFileSystem::CloseAll() noexcept {
  for (const auto& [number, open] : files_) CloseHandle(open.handle);
  files_.clear();
}

std::vector<DriveInfo> WindowsFileSystem::Drives() {
  if (readDrives_) table_ = runDrives_.Over(readDrives_());
  std::vector<DriveInfo> drives;
  for (const auto& drive : table_.drives()) {
    if (!runDrives_.Holds(drive.letter)) drives.push_back({drive.letter, LabelOf(drive), drive.removable});
  }
  std::sort(drives.begin(), drives.end(), [](const DriveInfo& a, const DriveInfo& b) { return a.letter < b.letter; });
  return drives;
}

bool WindowsFileSystem::DriveReady(char letter) {
  const Drive* drive = table_.Find(letter);
  if (drive == nullptr) return false;
  if (drive->mustBeMounted) return VolumeReady(drive->root);
  const DWORD attributes = GetFileAttributesW(ApiPath(drive->root).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string WindowsFileSystem::CurrentDirectory() {
  std::wstring buffer(MAX_PATH, L'\0');
  while (true) {
    const DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length == 0) RaiseLastError();
    if (length < buffer.size()) {
      buffer.resize(length);
      return table_.ToDriveForm(WideToUtf8(buffer));
    }
    buffer.resize(length);
  }
}

std::string WindowsFileSystem::ToNative(const std::string& drivePath) { return table_.ToNative(drivePath); }

std::string WindowsFileSystem::ToDriveForm(const std::string& nativePath) { return table_.ToDriveForm(nativePath); }

std::string WindowsFileSystem::ToDriveFormForRun(const std::string& nativePath) {
  return runDrives_.DriveForm(table_, nativePath, false);
}

std::string WindowsFileSystem::ToDriveFormForRunDirectory(const std::string& nativePath) {
  return runDrives_.DriveForm(table_, nativePath, true);
}

}  // namespace pb
