// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pb {

// The separator of native paths.
#ifdef _WIN32
constexpr char kNativeSeparator = '\\';
#else
constexpr char kNativeSeparator = '/';
#endif

struct Drive {
  char letter = 'C';          // upper case
  std::string root;           // native directory, no trailing separator except "/" or "C:\"
  std::string label;          // shown in the drive list; may be empty
  bool mustBeMounted = false; // not ready (71) unless a medium is mounted at root
};

// Maps drive letters to native roots. On Linux C: is "/", A: the diskette
// drive and D: onward the other mounted media; on Windows each drive is its
// own root; tests build their own table.
class DriveTable {
 public:
  explicit DriveTable(std::vector<Drive> drives);
  // The table of this machine. On Linux read from /proc/self/mountinfo: C: is
  // "/"; A: the diskette drive (mount point of /dev/fd0, else a medium of
  // diskette capacity mounted below /media or /run/media, else the first
  // existing of /media/floppy0, /media/floppy, /mnt/floppy; always present and
  // not ready while nothing is mounted there); D: onward the other file systems
  // mounted below /media, /run/media and /mnt, in order of their mount paths.
  // On Windows the system's drives, and A: always (removable, not ready
  // without a medium).
  static DriveTable FromSystem();

  const std::vector<Drive>& drives() const { return drives_; }
  const Drive* Find(char letter) const;  // any case; nullptr when unknown

  // Drive form to native path. Refuses (RunTimeError 52) a path without a
  // known drive, and any path whose components, apart from the trailing "\" of
  // a directory, are empty, "." or "..", or hold a character that cannot stand
  // in a name. The result never lies outside the drive's root.
  std::string ToNative(const std::string& drivePath) const;

  // Native path (UTF-8) to drive form, by the drive with the longest root that
  // contains it. A character that cannot be represented shows as "?". A
  // relative path is taken from the current directory; a path no drive
  // contains is refused (RunTimeError 76).
  std::string ToDriveForm(const std::string& nativePath) const;

 private:
  std::vector<Drive> drives_;
};

// True when the native directory contains the native path (both absolute and
// without a trailing separator, except a top root such as "/" or "C:\\"):
// equal, or the path continues below it. Case-insensitive on Windows.
bool NativeContains(const std::string& directory, const std::string& path);

// True when a native name can be stored: every character is in Windows-1252
// and none is \ / : * ? " < > | or a control character.
bool IsRepresentableName(const std::string& utf8Name);

// The name as the drive form shows it: each character that cannot be
// represented (and each byte of invalid UTF-8) becomes "?".
std::string DriveFormName(const std::string& nativeName);

// The order of directory listings: case folded first, as the format's home
// platform lists its directories; bytes decide between names that differ only
// in case. Sets written on any platform list their files alike.
bool ListedBefore(const std::string& a, const std::string& b);

}  // namespace pb
