// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/picture_link.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include "window/accessibles.h"
#include "window/focus_mark.h"

namespace pb {

PictureLink::PictureLink(QWidget* parent) : QLabel(parent) {
  InstallWindowAccessibles();
  setFocusPolicy(Qt::StrongFocus);
  setCursor(Qt::PointingHandCursor);
}

void PictureLink::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && Click) Click();
}

void PictureLink::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if ((key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) && Click) {
    Click();
    return;
  }
  QLabel::keyPressEvent(event);
}

void PictureLink::paintEvent(QPaintEvent* event) {
  QLabel::paintEvent(event);
  if (hasFocus()) DrawFocusMark(*this);
}

}  // namespace pb
