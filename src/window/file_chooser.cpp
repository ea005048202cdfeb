// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/file_chooser.h"

#include <QFileDialog>

namespace pb {

QStringList DialogFileChooser::Files(QWidget& parent) {
  return QFileDialog::getOpenFileNames(&parent, QStringLiteral("Dateien hinzufügen"));
}

QString DialogFileChooser::Directory(QWidget& parent) {
  return QFileDialog::getExistingDirectory(&parent, QStringLiteral("Verzeichnis hinzufügen"));
}

}  // namespace pb
