// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "support/guarded_step.h"
#include "support/message_boxes.h"

namespace pb {

// The guarded steps of the backup run, each with its own box.
enum class FailureGroup { SourceAccess, Clearing, VolumeManagement };

// The text of the group's box (critical, OK and Cancel).
std::string FailureGroupText(FailureGroup group);

// "Der Datenträger ist voll! ..." (information, OK and Cancel). Returns once
// the user has put in the next diskette; a confirmed Cancel throws RunGivenUp.
void AskForNextDiskette(MessageBoxes& boxes);

// The same when the diskette put in holds a volume of this run.
void AskForAnotherDiskette(MessageBoxes& boxes);

// Volume number read back differently from how it was written (critical, OK
// and Cancel). Returns once the user has put in another disk for it; a
// confirmed Cancel throws RunGivenUp.
void AskToWriteVolumeAgain(MessageBoxes& boxes, int number);

// Runs step until it succeeds; each RunTimeError shows the group's box, whose
// confirmed Cancel throws RunGivenUp.
template <class Step>
auto Guarded(MessageBoxes& boxes, FailureGroup group, Step step) -> decltype(step()) {
  return GuardedStep(step,
                     [&](const RunTimeError&) { AskRetryOrGiveUp(boxes, FailureGroupText(group), BoxIcon::Critical); });
}

}  // namespace pb
