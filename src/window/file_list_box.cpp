// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/file_list_box.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>

#include "window/focus_mark.h"

namespace pb {

FileListBox::FileListBox(QWidget* parent) : FramedScrollArea(parent) {
  setAcceptDrops(true);
  // Drops arrive at the viewport; it must take them itself.
  viewport()->setAcceptDrops(true);
  setDragDropMode(QAbstractItemView::DropOnly);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
}

void FileListBox::RemoveSelected() {
  qDeleteAll(selectedItems());
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

void FileListBox::contextMenuEvent(QContextMenuEvent* event) {
  // From the keyboard the menu opens at the current entry, not at the pointer.
  QPoint at = event->globalPos();
  if (event->reason() == QContextMenuEvent::Keyboard) {
    const QRect current = visualItemRect(currentItem());
    at = viewport()->mapToGlobal(current.isValid() ? current.center() : QPoint(0, 0));
  }
  ShowContextMenu(at);
}

void FileListBox::ShowContextMenu(const QPoint& globalPosition) {
  QMenu menu(this);
  // A popup is a window of its own and would not take the list's font.
  menu.setFont(font());
  menu.addAction(QString::fromUtf8("Dateien hinzufügen …"), this, [this] {
    if (addFiles) addFiles();
  });
  menu.addAction(QString::fromUtf8("Verzeichnis hinzufügen …"), this, [this] {
    if (addDirectory) addDirectory();
  });
  menu.addSeparator();
  QAction* remove = menu.addAction(QStringLiteral("Ausgewählte entfernen"), this, [this] { RemoveSelected(); });
  remove->setEnabled(!selectedItems().isEmpty());
  menu.exec(globalPosition);
}

void FileListBox::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Delete)) {
    RemoveSelected();
  } else if (event->matches(QKeySequence::Paste)) {
    const QMimeData* clipboard = QGuiApplication::clipboard()->mimeData();
    if (paste && clipboard) paste(*clipboard);
  } else if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
    // Keyboards without a menu key open context menus this way.
    QContextMenuEvent menu(QContextMenuEvent::Keyboard, QPoint(), QPoint());
    contextMenuEvent(&menu);
  } else {
    QListWidget::keyPressEvent(event);
  }
}

// An empty list has no current entry to show the focus by.
void FileListBox::paintEvent(QPaintEvent* event) {
  QListWidget::paintEvent(event);
  if (hasFocus() && count() == 0) DrawFocusMark(*viewport());
}

void FileListBox::focusInEvent(QFocusEvent* event) {
  QListWidget::focusInEvent(event);
  viewport()->update();
}

void FileListBox::focusOutEvent(QFocusEvent* event) {
  QListWidget::focusOutEvent(event);
  viewport()->update();
}

}  // namespace pb
