// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/qt_host.h"

#include <QApplication>
#include <QCoreApplication>

#include "platform/process_host.h"

namespace pb {

void QtHost::Yield() { QCoreApplication::processEvents(); }

void QtHost::Beep() { QApplication::beep(); }

void QtHost::EndProgram(int exitStatus) { EndProcess(exitStatus); }

}  // namespace pb
