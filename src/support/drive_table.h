#pragma once

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
  // The table of this machine, read from its mounts.
  static DriveTable FromSystem();

  const std::vector<Drive>& drives() const { return drives_; }
  const Drive* Find(char letter) const;  // any case; nullptr when unknown

  // Drive form to native path. Refuses (RunTimeError 52) a path without a
  // known drive, and any path whose components, apart from the trailing "\" of
  // a directory, are empty, "." or "..", or hold a character that cannot stand
  // in a name. The result never lies outside the drive's root.
  std::string ToNative(const std::string& drivePath) const;

  // Native path (UTF-8) to drive form, by the drive with the longest root that
  // contains it. A character that cannot be represented shows as "?".
  std::string ToDriveForm(const std::string& nativePath) const;

 private:
  std::vector<Drive> drives_;
};

// True when a native name can be stored: every character is in Windows-1252
// and none is \ / : * ? " < > | or a control character.
bool IsRepresentableName(const std::string& utf8Name);

}  // namespace pb
