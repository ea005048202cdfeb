// SPDX-License-Identifier: GPL-3.0-or-later
// parcelbarge: the window program. One backup or one restore per start; the
// program ends when the run returns.
#include <QApplication>

#include "platform/drive_table.h"
#include "platform/native_file_system.h"
#include "platform/qt/qt_host.h"
#include "platform/qt/qt_message_boxes.h"
#include "platform/qt/qt_shell.h"
#include "window/application_setup.h"
#include "window/form1.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  pb::SetUpApplication(app);
  pb::NativeFileSystem fs(pb::SystemDriveReader());
  pb::QtMessageBoxes boxes;
  pb::QtHost host;
  pb::QtShell shell(fs, boxes);
  pb::NativeMediumRelease release(fs);
  pb::Form1 window(pb::Runtime{fs, boxes, host, &release}, shell);
  boxes.SetParent(&window);
  window.Form_Load();
  return QApplication::exec();
}
