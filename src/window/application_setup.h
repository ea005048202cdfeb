// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QApplication;

namespace pb {

// What the window program asks of the application before its window exists:
// the desktop entry it belongs to and Qt's own texts in German.
void SetUpApplication(QApplication& app);

}  // namespace pb
