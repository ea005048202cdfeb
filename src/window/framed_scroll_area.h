// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QResizeEvent>
#include <cmath>

namespace pb {

// A list or box whose frame stays whole at every scale. Where a device pixel
// is not a whole number of the window's pixels (1.25, 1.5), the viewport is
// placed at whole device pixels and can cover the frame's last line at the
// bottom or the right; there it keeps one pixel off them.
template <class ScrollArea>
class FramedScrollArea : public ScrollArea {
 public:
  using ScrollArea::ScrollArea;

 protected:
  void resizeEvent(QResizeEvent* event) override {
    KeepFrameClear();
    ScrollArea::resizeEvent(event);
  }

  // Again after a base class set the margins for its own needs.
  void KeepFrameClear() {
    const qreal ratio = this->devicePixelRatioF();
    const int margin = ratio == std::floor(ratio) ? 0 : 1;
    this->setViewportMargins(0, 0, margin, margin);
  }
};

}  // namespace pb
