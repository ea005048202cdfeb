// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <functional>

class QWidget;

namespace pb {

// What a keyboard user expects of every control in a window that is not a
// dialog: Return presses the focused button, as Space does; Alt with a key
// that no visible control claims types nothing into a text box but beeps.
class KeyboardRules : public QObject {
 public:
  // Watches the buttons and text boxes inside window as they are now.
  KeyboardRules(QWidget& window, std::function<void()> beep);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::function<void()> beep_;
};

}  // namespace pb
