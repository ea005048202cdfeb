// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/wrapping_button.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace pb {

WrappingButton::WrappingButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {}

void WrappingButton::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  option.text.clear();
  painter.drawControl(QStyle::CE_PushButton, option);
  // The caption keeps the distance from the frame that a button sized to its
  // text would have.
  const int margin = style()->pixelMetric(QStyle::PM_ButtonMargin, &option, this) / 2;
  const QRect textRect =
      style()->subElementRect(QStyle::SE_PushButtonContents, &option, this).adjusted(margin, 0, -margin, 0);
  painter.drawItemText(textRect, Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic, palette(), isEnabled(),
                       text(), QPalette::ButtonText);
}

}  // namespace pb
