// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "restore/probe_view.h"
#include "support/runtime.h"

namespace pb {

enum class RestoreOutcome {
  Intact,      // every file of the set restored as stored
  Incomplete,  // a file not created, a damaged fragment, a full target, or given up
};

// Restores the set found by the probe from the volumes in sourceDir below
// targetDir (both drive form), then beeps. Ends the program instead of
// returning when the user abandons the next-volume prompt or after a fatal
// error report.
RestoreOutcome ReadArchive(Runtime& runtime, const ProbeResults& probe, const std::string& sourceDir,
                           const std::string& targetDir);

}  // namespace pb
