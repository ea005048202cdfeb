// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/file_list_box.h"

#include <QDropEvent>
#include <QMimeData>

namespace pb {

FileListBox::FileListBox(QWidget* parent) : QListWidget(parent) {
  setAcceptDrops(true);
  // Drops arrive at the viewport; it must take them itself.
  viewport()->setAcceptDrops(true);
  setDragDropMode(QAbstractItemView::DropOnly);
  setSelectionMode(QAbstractItemView::SingleSelection);
}

// Every drag is welcome: data that is not a file list is refused with a
// message at the drop, not by a forbidden cursor.
void FileListBox::dragEnterEvent(QDragEnterEvent* event) {
  event->setDropAction(Qt::CopyAction);
  event->accept();
}

void FileListBox::dragMoveEvent(QDragMoveEvent* event) {
  event->setDropAction(Qt::CopyAction);
  event->accept();
}

void FileListBox::dropEvent(QDropEvent* event) {
  event->setDropAction(Qt::CopyAction);
  event->accept();
  if (OLEDragDrop) OLEDragDrop(*event->mimeData());
}

}  // namespace pb
