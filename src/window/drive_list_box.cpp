// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/drive_list_box.h"

#include <QDir>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <algorithm>
#include <cctype>

#include "support/run_time_error.h"

namespace pb {

QString DriveLabel(const std::string& tableLabel, const QString& root, const QString& mountRoot,
                   const QString& volumeName) {
  const auto same = [](const QString& path) { return QDir::cleanPath(QDir::fromNativeSeparators(path)); };
  if (!root.isEmpty() && same(root) == same(mountRoot) && !volumeName.isEmpty()) return volumeName;
  return QString::fromStdString(tableLabel);
}

DriveListBox::DriveListBox(FileSystem& fs, QWidget* parent) : QComboBox(parent), fs_(fs) {
  Refresh(true);
  connect(&refresh_, &QTimer::timeout, this, [this] { Refresh(false); });
  refresh_.start(kRefreshMs);
}

void DriveListBox::Refresh(bool relabel) {
  std::vector<DriveInfo> drives = fs_.Drives();
  const auto same = [](const DriveInfo& a, const DriveInfo& b) {
    return a.letter == b.letter && a.label == b.label && a.removable == b.removable;
  };
  const bool changed = !std::equal(drives.begin(), drives.end(), drives_.begin(), drives_.end(), same);
  if (changed) {
    const QSignalBlocker blocker(this);
    const char current = Drive();
    drives_ = std::move(drives);
    clear();
    for (const DriveInfo& drive : drives_) addItem(QString(), QVariant(static_cast<int>(drive.letter)));
    setCurrentIndex(std::max(IndexOf(current), 0));
  }
  if (changed || relabel) Label();
}

void DriveListBox::Label() {
  for (int i = 0; i < count(); ++i) {
    const DriveInfo& drive = drives_[static_cast<std::size_t>(i)];
    QString label = QString::fromStdString(drive.label);
    try {
      const QString root = QString::fromStdString(fs_.ToNative(std::string(1, drive.letter) + ":\\"));
      const QStorageInfo storage(root);
      label = DriveLabel(drive.label, root, storage.rootPath(), storage.isValid() ? storage.name() : QString());
    } catch (const RunTimeError&) {
      // No native root: the table's label is all there is.
    }
    QString text = QString(QChar::fromLatin1(static_cast<char>(std::tolower(drive.letter)))) + QLatin1Char(':');
    if (!label.isEmpty()) text += QStringLiteral(" [%1]").arg(label);
    setItemText(i, text);
  }
}

void DriveListBox::showPopup() {
  Refresh(true);
  QComboBox::showPopup();
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
