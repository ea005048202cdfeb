// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>

namespace pb {

// The face the layout is measured for: a narrow 8.25-point sans serif, with
// Arial's metric twins where the original face is missing, in Arial's widths.
QFont WindowFont(QFont base, QFont::Weight weight = QFont::Normal);

// The font made just small enough to set text no wider than Arial does at
// its size. The fixed layout is measured in Arial's widths; a desktop whose
// only sans serif is wider (DejaVu Sans) would otherwise clip captions.
QFont InArialWidths(QFont font);

}  // namespace pb
