// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <array>
#include <string>

#include "support/shell.h"

class QLabel;
class QPushButton;

namespace pb {

// The about text: name and subtitle, credits, version, contact and web site,
// lines separated by a single "\r".
std::string AboutText(const std::string& name, const std::string& subtitle);

// The about window: a fixed modal dialog with a picture, the about text and
// three buttons (e-mail, news page, close). Escape does not close it.
class InfoForm : public QDialog {
 public:
  explicit InfoForm(Shell& shell);

  // Fills in title and text and shows the window modally; returns when it is
  // closed.
  void main(const std::string& name, const std::string& subtitle);
  // What a fresh load sets: the launch buttons' tooltips.
  void Form_Load();
  void Btn_Click(int index);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  Shell& shell_;
  QLabel* label_ = nullptr;
  std::array<QPushButton*, 3> btn_{};
};

}  // namespace pb
