// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace pb {

constexpr int kShowNormal = 1;   // SW_SHOWNORMAL
constexpr int kShowDefault = 10; // SW_SHOWDEFAULT

// Hands a document (drive form), a web address (with or without scheme) or a
// "mailto:" address to the desktop's registered handler. Reports nothing.
class Shell {
 public:
  virtual ~Shell() = default;
  virtual void ShellOpen(const std::string& target, int showMode) = 0;
};

inline void OpenHelpDocument(Shell& shell, const std::string& document) {
  shell.ShellOpen(document, kShowDefault);
}

}  // namespace pb
