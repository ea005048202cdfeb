// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "support/host.h"

namespace pb {

// The host of the window program: one pass of the Qt event loop, the
// desktop's beep, and the immediate end of the process.
class QtHost : public Host {
 public:
  void Yield() override;
  void Beep() override;
  [[noreturn]] void EndProgram(int exitStatus) override;
};

}  // namespace pb
