// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>

#include "support/message_boxes.h"
#include "support/run_time_error.h"
#include "support/runtime.h"

namespace pb {

// Thrown when the user gives a run up in one of its retry boxes. The owner of
// the run catches it and decides what giving up means there.
struct RunGivenUp {};

// Shows text with OK and Cancel. Returns on OK so the caller repeats its step;
// Cancel asks ConfirmCancel: Yes throws RunGivenUp, No shows the box again.
// volume: the volume a prompt for the next medium asks for (MessageBox).
void AskRetryOrGiveUp(MessageBoxes& boxes, const std::string& text, BoxIcon icon, int volume = 0);

// Runs step until it succeeds and returns its result. Each RunTimeError goes
// to onFailure, which returns to have the step run again or throws to leave.
template <class Step, class OnFailure>
auto GuardedStep(Step&& step, OnFailure&& onFailure) -> decltype(step()) {
  for (;;) {
    try {
      return step();
    } catch (const RunTimeError& error) {
      onFailure(error);
    }
  }
}

enum class WriteResult { Done, MediumFull };

// A write to the target medium: a drive that is not ready (71) asks to retry,
// a full medium (61) is returned for the caller to handle, any other failure
// goes to ReportFatalError from location.
WriteResult GuardedTargetWrite(Runtime& runtime, const std::string& location, const std::function<void()>& write);

}  // namespace pb
