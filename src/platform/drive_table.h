// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
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
  bool removable = false;     // its medium can be taken out and another put in
};

// Maps drive letters to native roots. On Linux C: is "/", A: the diskette
// drive and D: onward the other mounted media; on Windows each drive is its
// own root; tests build their own table.
class DriveTable {
 public:
  explicit DriveTable(std::vector<Drive> drives);

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
  // contains is refused (RunTimeError 76). On Windows a network path
  // ("\\Server\Share") and the "\\?\" and "\\.\" forms are refused with
  // their reason (52): no drive holds them.
  std::string ToDriveForm(const std::string& nativePath) const;

  // The native path up to the deepest name on it that ToNative would refuse
  // (the whole path when that is its last name); "" when the drive form names
  // the path exactly. Refused as ToDriveForm refuses.
  std::string DeepestUnnamedPath(const std::string& nativePath) const;

 private:
  // The drive with the longest root that holds an absolute native path.
  const Drive& Holder(const std::string& absolute) const;

  std::vector<Drive> drives_;
};

// Reads the drive table as it is now; the file system calls it again
// whenever a drive is consulted, so a drive follows its medium.
using DriveReader = std::function<DriveTable()>;

// The drives of this machine. On Linux from the mount table (system_drives.h):
// C: is "/", A: the diskette drive wherever its medium is mounted, D: onward
// the other media; a letter stays with its drive while media come and go. On
// Windows the system's drives, and A: always (removable, not ready without a
// medium).
DriveReader SystemDriveReader();

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

// A drive path as a user writes it ("c:\Daten\..\x\"), in the form the
// drive table takes: the letter in upper case, empty and "." steps dropped,
// ".." going up no further than the drive's root, no trailing "\". On Windows
// "/" separates too and names lose their trailing dots and spaces, as Windows
// itself drops them. Takes "X:" or "X:\..." only.
std::string NormalDrivePath(const std::string& drivePath);

// The form in which names compare as this system compares them: on Windows
// upper and lower case of the code page's letters are one, elsewhere names
// are as they are.
std::string NameComparisonForm(std::string utf8Name);

// The order of directory listings: case folded first, as the format's home
// platform lists its directories; bytes decide between names that differ only
// in case. Sets written on any platform list their files alike.
bool ListedBefore(const std::string& a, const std::string& b);

}  // namespace pb
