// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/twips.h"

#include <cmath>

namespace pb {

namespace {
constexpr float kTwipsPerLogicalPixel = 15.0f;
}

int Twips(int twips) {
  return static_cast<int>(std::lround(twips / kTwipsPerLogicalPixel));
}

QRect TwipsRect(int left, int top, int width, int height) {
  return QRect(Twips(left), Twips(top), Twips(width), Twips(height));
}

float PixelsToTwipsX(const QWidget&, float value) {
  return value * kTwipsPerLogicalPixel;
}

float PixelsToTwipsY(const QWidget& window, float value) {
  return PixelsToTwipsX(window, value);
}

}  // namespace pb
