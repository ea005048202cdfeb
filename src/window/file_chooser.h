// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace pb {

// Asks the user for what to add to the selection list; answers are native
// paths, empty when the user cancels. A test answers in place of the modal
// dialogs.
class FileChooser {
 public:
  virtual ~FileChooser() = default;
  virtual QStringList Files(QWidget& parent) = 0;
  virtual QString Directory(QWidget& parent) = 0;
};

// The desktop's file dialogs.
class DialogFileChooser : public FileChooser {
 public:
  QStringList Files(QWidget& parent) override;
  QString Directory(QWidget& parent) override;
};

}  // namespace pb
