// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QWidget>

#include "support/message_boxes.h"

namespace pb {

// Message boxes as application-modal QMessageBoxes with German buttons
// ("OK", "Abbrechen", "Ja", "Nein"), shown over the given window.
class QtMessageBoxes : public MessageBoxes {
 public:
  explicit QtMessageBoxes(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }
  BoxButton Show(const MessageBox& box) override;

 private:
  QPointer<QWidget> parent_;
};

}  // namespace pb
