// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>

class QWidget;

namespace pb {

// The layout is given in twips (1/1440 inch, 15 to a pixel at 96 dpi). Qt's
// logical pixels already follow the screen's scale, so a twip is always a
// fifteenth of a logical pixel.
int Twips(int twips);
QRect TwipsRect(int left, int top, int width, int height);

// The window's pixels in twips. Its pixels are the logical ones its whole
// layout is reckoned in, so on a scaled screen a picture of 16 pixels keeps
// its size beside the text.
float PixelsToTwipsX(const QWidget& window, float value);
float PixelsToTwipsY(const QWidget& window, float value);

}  // namespace pb
