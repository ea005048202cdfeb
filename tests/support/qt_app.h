#pragma once

#include <QApplication>

namespace pb::testing {

// The one QApplication of a Qt test executable, made on first use.
inline QApplication& QtApp() {
  static int argc = 1;
  static char name[] = "support_qt_tests";
  static char* argv[] = {name, nullptr};
  static QApplication app(argc, argv);
  return app;
}

}  // namespace pb::testing
