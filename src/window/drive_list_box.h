// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QComboBox>
#include <QTimer>
#include <string>

#include "support/file_system.h"

namespace pb {

// What a drive shows after its letter: the name of the file system mounted at
// its root, where it has one; otherwise the drive table's label (on Linux the
// mount point). A root that is a mere directory of a larger file system
// (an empty diskette mount point) does not take that file system's name.
QString DriveLabel(const std::string& tableLabel, const QString& root, const QString& mountRoot,
                   const QString& volumeName);

// The drives of the system, each shown as its lower-case letter and colon,
// with its label in brackets where it has one ("c: [/]"). The list follows
// the media: it is read again when it opens and every kRefreshMs, and shown
// anew when a medium came or went, without raising Change.
class DriveListBox : public QComboBox {
 public:
  static constexpr int kRefreshMs = 1000;

  DriveListBox(FileSystem& fs, QWidget* parent);

  char Drive() const;  // upper case; '\0' when there are no drives
  // Selects the drive; raises Change (currentIndexChanged) only when the
  // selection moves. An unknown drive changes nothing.
  void SetDrive(char letter);
  // Selects the drive without raising Change.
  void SetDriveQuietly(char letter);

 protected:
  // A medium inserted since the list was filled shows its name.
  void showPopup() override;

 private:
  int IndexOf(char letter) const;
  // Reads the drives again; shows them anew when they changed (always with
  // relabel, which also asks each drive's file system for its name).
  void Refresh(bool relabel);
  void Label();

  FileSystem& fs_;
  std::vector<DriveInfo> drives_;
  QTimer refresh_;
};

}  // namespace pb
