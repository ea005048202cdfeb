// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPushButton>

namespace pb {

// A push button whose caption wraps at word boundaries to fit its width;
// the caption keeps its "&" access key.
class WrappingButton : public QPushButton {
 public:
  WrappingButton(const QString& caption, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace pb
