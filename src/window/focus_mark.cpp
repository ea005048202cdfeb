// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/focus_mark.h"

#include <QStyleOptionFocusRect>
#include <QStylePainter>

namespace pb {

void DrawFocusMark(QWidget& widget) {
  QStylePainter painter(&widget);
  QStyleOptionFocusRect option;
  option.initFrom(&widget);
  option.rect = widget.rect().adjusted(1, 1, -1, -1);
  option.backgroundColor = widget.palette().color(QPalette::Base);
  // Styles that mark the focus only after a key moved it would leave a click
  // into the box unmarked.
  option.state |= QStyle::State_HasFocus | QStyle::State_KeyboardFocusChange;
  painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
}

}  // namespace pb
