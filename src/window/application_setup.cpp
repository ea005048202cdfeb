// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/application_setup.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace pb {

void SetUpApplication(QApplication& app) {
  // Lets the desktop match the running window to its menu entry and icon.
  QGuiApplication::setDesktopFileName(QStringLiteral(PB_APP_ID));
  // Qt's own dialogs and menus (the file dialogs, a text box's menu) speak
  // German too.
  auto* qtTexts = new QTranslator(&app);
  if (qtTexts->load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qtbase"), QStringLiteral("_"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QApplication::installTranslator(qtTexts);
  }
}

}  // namespace pb
