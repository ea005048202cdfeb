// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "support/host.h"

namespace pb {

// The host of the command-line tool: no window events to process, the beep
// is the terminal bell, and the program end is the end of the process.
class ProcessHost : public Host {
 public:
  void Yield() override {}
  void Beep() override;
  [[noreturn]] void EndProgram(int exitStatus) override;
};

// Flushes the standard streams and ends the process at once: no destructors,
// no exit handlers, no window closing.
[[noreturn]] void EndProcess(int exitStatus);

}  // namespace pb
