// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/process_host.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "support/console.h"

namespace pb {

void ProcessHost::Beep() {
  if (console::IsTerminal(console::Stream::Err)) std::cerr << '\a' << std::flush;
}

void ProcessHost::EndProgram(int exitStatus) { EndProcess(exitStatus); }

void EndProcess(int exitStatus) {
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
  std::_Exit(exitStatus);
}

}  // namespace pb
