// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "support/message_boxes.h"
#include "support/run_time_error.h"

namespace pb {

// Thrown when the user gives a run up in one of its boxes; the run then ends
// through its end step, without the final message.
struct RunGivenUp {};

// The guarded steps of the backup run, each with its own box.
enum class FailureGroup { SourceAccess, Clearing, VolumeManagement };

// Shows the group's box (critical, OK and Cancel). Returns on OK so the caller
// repeats its step; Cancel asks ConfirmCancel: Yes throws RunGivenUp, No shows
// the box again.
void AskRetry(MessageBoxes& boxes, FailureGroup group);

// The same for a write that found the drive not ready (71).
void AskRetryDriveNotReady(MessageBoxes& boxes);

// "Der Datenträger ist voll! ..." (information, OK and Cancel). Returns once
// the user has put in the next diskette; a confirmed Cancel throws RunGivenUp.
void AskForNextDiskette(MessageBoxes& boxes);

// Runs step until it succeeds; each RunTimeError shows the group's box.
template <class Step>
auto Guarded(MessageBoxes& boxes, FailureGroup group, Step step) -> decltype(step()) {
  for (;;) {
    try {
      return step();
    } catch (const RunTimeError&) {
      AskRetry(boxes, group);
    }
  }
}

}  // namespace pb
