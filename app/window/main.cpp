// SPDX-License-Identifier: GPL-3.0-or-later
// parcelbarge: the window program. One backup or one restore per start; the
// program ends when the run returns.
#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "platform/drive_table.h"
#include "platform/native_file_system.h"
#include "platform/qt/qt_host.h"
#include "platform/qt/qt_message_boxes.h"
#include "platform/qt/qt_shell.h"
#include "window/form1.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // Lets the desktop match the running window to its menu entry and icon.
  QGuiApplication::setDesktopFileName(PB_APP_ID);
  // Qt's own dialogs and menus (the file dialogs, a text box's menu) speak
  // German too where Qt's translations are installed.
  QTranslator qtTexts;
  if (qtTexts.load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qtbase"), QStringLiteral("_"),
                   QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QApplication::installTranslator(&qtTexts);
  }
  pb::NativeFileSystem fs(pb::DriveTable::FromSystem());
  pb::QtMessageBoxes boxes;
  pb::QtHost host;
  pb::QtShell shell(fs);
  pb::Form1 window(pb::Runtime{fs, boxes, host}, shell);
  boxes.SetParent(&window);
  window.Form_Load();
  return QApplication::exec();
}
