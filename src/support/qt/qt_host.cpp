#include "support/qt/qt_host.h"

#include <QApplication>
#include <QCoreApplication>

#include "support/process_host.h"

namespace pb {

void QtHost::Yield() { QCoreApplication::processEvents(); }

void QtHost::Beep() { QApplication::beep(); }

void QtHost::EndProgram(int exitStatus) { EndProcess(exitStatus); }

}  // namespace pb
