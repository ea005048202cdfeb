// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QComboBox>
#include <vector>

#include "support/file_system.h"

namespace pb {

// The drives of the system, each shown as its lower-case letter and colon,
// with its label in brackets where it has one ("c: [/]").
class DriveListBox : public QComboBox {
 public:
  DriveListBox(const std::vector<DriveInfo>& drives, QWidget* parent);

  char Drive() const;  // upper case; '\0' when there are no drives
  // Selects the drive; raises Change (currentIndexChanged) only when the
  // selection moves. An unknown drive changes nothing.
  void SetDrive(char letter);
  // Selects the drive without raising Change.
  void SetDriveQuietly(char letter);

 private:
  int IndexOf(char letter) const;
};

}  // namespace pb
