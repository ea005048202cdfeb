// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/window_font.h"

#include <QStringList>

namespace pb {

QFont WindowFont(QFont base) {
  base.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                    QStringLiteral("Nimbus Sans")});
  base.setPointSizeF(8.25);
  return base;
}

}  // namespace pb
