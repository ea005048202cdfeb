// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "support/runtime.h"

namespace pb::cli {

// The tool's exit statuses, so scripts tell damaged data from a cancel.
// kExitComplete (0), kExitUsage (2) and kExitFatal (3) are the runtime's.
constexpr int kExitProblems = 1;     // finished, but files left out or damaged data found
constexpr int kExitCancelled = 4;    // a person chose to give the run up
constexpr int kExitUnavailable = 5;  // no set there, or the medium asked for never came
constexpr int kExitInterrupted = 130;

}  // namespace pb::cli
