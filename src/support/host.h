// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

namespace pb {

// What the core needs of the program around it besides dialogs.
class Host {
 public:
  virtual ~Host() = default;
  // Processes all pending window events once, then returns.
  virtual void Yield() = 0;
  virtual void Beep() = 0;
  // Ends the process at once with the given exit status; no further code of
  // the program runs. Callers close their files first (Runtime::EndProgram).
  // A test host throws instead, so the test can observe the end.
  [[noreturn]] virtual void EndProgram(int exitStatus) = 0;
  // What the run under way does to leave its files in order when the host
  // ends the program before the run ends (the command line on an interrupt,
  // at a yield); empty for nothing. tidy never throws.
  virtual void SetEarlyEndTidy(std::function<void()> /*tidy*/) {}
};

}  // namespace pb
