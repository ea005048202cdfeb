// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pb {

struct Drive {
  char letter = 'C';          // upper case
  std::string root;           // native directory, no trailing "/" except "/"
  std::string label;          // shown in the drive list; may be empty
  bool mustBeMounted = false; // not ready (71) unless a file system is mounted at root
};

// Maps drive letters to native roots. On Linux C: is "/", A: the diskette
// drive and D: onward the other mounted media; tests build their own table.
class DriveTable {
 public:
  explicit DriveTable(std::vector<Drive> drives);
  // The table of this machine, read from /proc/self/mountinfo: C: is "/"; A:
  // the diskette drive (mount point of /dev/fd0, else a medium of diskette
  // capacity mounted below /media or /run/media, else the first existing of
  // /media/floppy0, /media/floppy, /mnt/floppy; always present and not ready
  // while nothing is mounted there); D: onward the other file systems mounted
  // below /media, /run/media and /mnt, in order of their mount paths.
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

// True when a native name can be stored: every character is in Windows-1252
// and none is \ / : * ? " < > | or a control character.
bool IsRepresentableName(const std::string& utf8Name);

// The name as the drive form shows it: each character that cannot be
// represented (and each byte of invalid UTF-8) becomes "?".
std::string DriveFormName(const std::string& nativeName);

// One line of /proc/self/mountinfo, as FromSystem needs it.
struct MountPoint {
  std::string path;        // where it is mounted
  std::string source;      // the device, e.g. "/dev/fd0"
  uint64_t capacity = 0;   // bytes; 0 when unknown
};

// Mount points of mountinfo text, in its order, escapes resolved.
std::vector<MountPoint> ParseMountInfo(const std::string& text);

// The table FromSystem builds, from given mounts and the diskette mount-point
// directories that exist.
DriveTable DriveTableFromMounts(const std::vector<MountPoint>& mounts,
                                const std::vector<std::string>& existingDisketteDirs);

}  // namespace pb
