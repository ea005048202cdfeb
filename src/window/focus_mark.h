// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

namespace pb {

// Draws the style's focus rectangle just inside widget, for controls that
// show neither a cursor nor a current entry to mark the focus by. Call it
// from the widget's paint event.
void DrawFocusMark(QWidget& widget);

}  // namespace pb
