// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/drive_list_box.h"

#include <QSignalBlocker>
#include <cctype>

namespace pb {

DriveListBox::DriveListBox(const std::vector<DriveInfo>& drives, QWidget* parent) : QComboBox(parent) {
  for (const DriveInfo& drive : drives) {
    QString text = QString(QChar::fromLatin1(static_cast<char>(std::tolower(drive.letter)))) + QLatin1Char(':');
    if (!drive.label.empty()) text += QStringLiteral(" [%1]").arg(QString::fromStdString(drive.label));
    addItem(text, QVariant(static_cast<int>(drive.letter)));
  }
}

char DriveListBox::Drive() const {
  return currentIndex() < 0 ? '\0' : static_cast<char>(currentData().toInt());
}

void DriveListBox::SetDrive(char letter) {
  const int index = IndexOf(letter);
  if (index >= 0) setCurrentIndex(index);
}

void DriveListBox::SetDriveQuietly(char letter) {
  const QSignalBlocker blocker(this);
  SetDrive(letter);
}

int DriveListBox::IndexOf(char letter) const {
  return findData(QVariant(std::toupper(static_cast<unsigned char>(letter))));
}

}  // namespace pb
