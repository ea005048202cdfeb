// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>

namespace pb {

// The face the layout is measured for: a narrow 8.25-point sans serif, with
// Arial's metric twins where the original face is missing.
QFont WindowFont(QFont base);

}  // namespace pb
