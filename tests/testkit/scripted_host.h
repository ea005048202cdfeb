// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

#include "support/host.h"

namespace pb::testing {

// Thrown where the program would end, so a test can observe the end.
struct ProgramEnded {
  int exitStatus;
};

// Counts yields and beeps; onYield lets a test act while a run yields (a click
// on the cancel button, say). EndProgram throws ProgramEnded.
class ScriptedHost : public Host {
 public:
  void Yield() override {
    ++yields;
    if (onYield) onYield(yields);
  }
  void Beep() override { ++beeps; }
  [[noreturn]] void EndProgram(int exitStatus) override { throw ProgramEnded{exitStatus}; }
  void SetEarlyEndTidy(std::function<void()> given) override { tidy = std::move(given); }

  int yields = 0;
  // What a run under way gave to be done before an early end.
  std::function<void()> tidy;
  int beeps = 0;
  std::function<void(int yieldNumber)> onYield;
};

}  // namespace pb::testing
