// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

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

// The program's arguments after its name, as UTF-8, with the standard streams
// set up to carry UTF-8 text to a console.
std::vector<std::string> StartProcess(int argc, char** argv);

// True when standard error is shown on a terminal or console.
bool ErrorStreamIsTerminal();

}  // namespace pb
