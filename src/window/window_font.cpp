// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/window_font.h"

#include <QFontMetricsF>
#include <QStringList>

namespace pb {

namespace {

// Measured at one pixel per font unit, where hinting does not round.
constexpr int kUnitsPerEm = 2048;

// A line made of the window's own words, and its advance in Arial's font
// units, regular and bold.
constexpr char16_t kSample[] = u"Auf Diskette in Laufwerk A: Beschreibung des gefundenen Sicherungssatzes";
constexpr qreal kArialSampleUnits = 69674;
constexpr qreal kArialBoldSampleUnits = 75109;

}  // namespace

QFont WindowFont(QFont base, QFont::Weight weight) {
  base.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                    QStringLiteral("Nimbus Sans")});
  base.setPointSizeF(8.25);
  base.setWeight(weight);
  return InArialWidths(base);
}

QFont InArialWidths(QFont font) {
  QFont unhinted = font;
  unhinted.setPixelSize(kUnitsPerEm);
  unhinted.setHintingPreference(QFont::PreferNoHinting);
  unhinted.setKerning(false);
  const qreal units = QFontMetricsF(unhinted).horizontalAdvance(QString::fromUtf16(kSample));
  const qreal arialUnits = font.bold() ? kArialBoldSampleUnits : kArialSampleUnits;
  if (units > arialUnits) font.setPointSizeF(font.pointSizeF() * arialUnits / units);
  return font;
}

}  // namespace pb
