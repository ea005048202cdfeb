// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>
#include <functional>

namespace pb {

// A picture that opens something: a click, Return or Space follows it. It
// takes the keyboard focus, marks it, and a screen reader meets it as a link
// by its accessible name.
class PictureLink : public QLabel {
 public:
  explicit PictureLink(QWidget* parent);

  std::function<void()> Click;

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace pb
