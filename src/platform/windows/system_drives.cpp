// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/drive_table.h"
#include "platform/windows/wide_text.h"

#include "platform/windows/windows_api.h"

namespace pb {

namespace {

bool TakesMedia(UINT type) { return type == DRIVE_REMOVABLE || type == DRIVE_CDROM; }

}  // namespace

DriveReader SystemDriveReader() {
  return [] {
    const DWORD present = GetLogicalDrives();
    std::vector<Drive> drives;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
      // A: stays without a diskette drive, never ready, as the target offered first.
      if (letter != 'A' && (present & (DWORD{1} << (letter - 'A'))) == 0) continue;
      const std::string root = std::string(1, letter) + ":\\";
      const bool media = letter == 'A' || TakesMedia(GetDriveTypeW(Utf8ToWide(root).c_str()));
      drives.push_back({letter, root, "", media, media});
    }
    return DriveTable(std::move(drives));
  };
}

}  // namespace pb
