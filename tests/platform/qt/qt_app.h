// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>

namespace pb::testing {

// The one QApplication of a Qt test executable, made on first use. It is never
// destroyed: at exit Qt's own globals may already be gone.
inline QApplication& QtApp() {
  static int argc = 1;
  static char name[] = "support_qt_tests";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

}  // namespace pb::testing
