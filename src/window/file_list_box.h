// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QListWidget>
#include <functional>

#include "window/framed_scroll_area.h"

class QMimeData;

namespace pb {

// A list box that takes any drop and leaves its handling to the window. Its
// context menu (also on the menu key and Shift+F10) adds files or a
// directory through the window and removes the selected entries, as Delete
// does; the paste key hands the clipboard to the window.
class FileListBox : public FramedScrollArea<QListWidget> {
 public:
  explicit FileListBox(QWidget* parent);

  std::function<void(const QMimeData&)> OLEDragDrop;
  std::function<void(const QMimeData&)> paste;
  std::function<void()> addFiles;
  std::function<void()> addDirectory;

  void RemoveSelected();

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void ShowContextMenu(const QPoint& globalPosition);
};

}  // namespace pb
