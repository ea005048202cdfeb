// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/keyboard_rules.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace pb {

KeyboardRules::KeyboardRules(QWidget& window, std::function<void()> beep) : QObject(&window), beep_(std::move(beep)) {
  for (QWidget* control : window.findChildren<QWidget*>()) {
    if (qobject_cast<QPushButton*>(control) || qobject_cast<QLineEdit*>(control) ||
        qobject_cast<QPlainTextEdit*>(control)) {
      control->installEventFilter(this);
    }
  }
}

bool KeyboardRules::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  const auto* key = static_cast<QKeyEvent*>(event);
  const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
  if (auto* button = qobject_cast<QPushButton*>(watched)) {
    if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) || modifiers != Qt::NoModifier) return false;
    button->click();
    return true;
  }
  // Ctrl+Alt is AltGr on some keyboards, and AltGr types.
  if (!(modifiers & Qt::AltModifier) || (modifiers & Qt::ControlModifier) || key->text().isEmpty()) return false;
  beep_();
  return true;
}

}  // namespace pb
