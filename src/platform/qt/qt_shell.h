// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QUrl>
#include <string>

#include "support/file_system.h"
#include "support/message_boxes.h"
#include "support/shell.h"

namespace pb {

// Opens targets with the desktop's registered handler (QDesktopServices).
// The show mode has no counterpart there; the handler decides how to show.
// Where the desktop has no handler at all, a box names what could not be
// opened: no other part of the desktop would say so.
class QtShell : public Shell {
 public:
  QtShell(FileSystem& fs, MessageBoxes& boxes) : fs_(fs), boxes_(boxes) {}
  void ShellOpen(const std::string& target, int showMode) override;

 private:
  FileSystem& fs_;
  MessageBoxes& boxes_;
};

// The URL a target is opened as: a drive-form document becomes a local file,
// a "mailto:" address or an address with a scheme stays as it is, and a web
// address without a scheme gets "https://". Empty when the document's path is
// refused.
QUrl ShellTargetUrl(FileSystem& fs, const std::string& target);

}  // namespace pb
