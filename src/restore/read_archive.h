// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "restore/probe_view.h"
#include "store/worker_pool.h"
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
//
// With two or more workers the next fragments are inflated on that many
// threads while the files are written; every box, file access and the beep
// stay on the calling thread, in the order one worker gives them.
RestoreOutcome ReadArchive(Runtime& runtime, const ProbeResults& probe, const std::string& sourceDir,
                           const std::string& targetDir, int workers = DefaultWorkers());

}  // namespace pb
