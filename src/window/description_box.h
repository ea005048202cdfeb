// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPlainTextEdit>
#include <string>

#include "window/framed_scroll_area.h"

namespace pb {

// A multi-line text box with a vertical scroll bar; Tab leaves it. While editable it holds at
// most maxLength characters in stored form, where a line break counts two.
class DescriptionBox : public FramedScrollArea<QPlainTextEdit> {
 public:
  DescriptionBox(int maxLength, QWidget* parent);

  std::string StoredText() const;
  void SetStoredText(const std::string& text);

 protected:
  void insertFromMimeData(const QMimeData* source) override;
  void paintEvent(QPaintEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void EnforceMaxLength();

  int maxLength_;
};

}  // namespace pb
