// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QListWidget>
#include <functional>

class QMimeData;

namespace pb {

// A list box that takes any drop and leaves its handling to the window.
class FileListBox : public QListWidget {
 public:
  explicit FileListBox(QWidget* parent);

  std::function<void(const QMimeData&)> OLEDragDrop;

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
};

}  // namespace pb
