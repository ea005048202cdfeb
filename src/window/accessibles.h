// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QLabel;

namespace pb {

// Teaches Qt's accessibility how screen readers are to meet the window's own
// kinds of control (picture links, decorations). Installing twice does no harm.
void InstallWindowAccessibles();

// A picture that only adorns: screen readers pass it by.
void MarkAsDecoration(QLabel& picture);

}  // namespace pb
