// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "backup/backup_plan.h"
#include "support/runtime.h"

namespace pb {

enum class BackupOutcome { Complete, GivenUp };

// Turns the files of plan into a numbered series of volume files in the
// target directory, or on successive diskettes in A:, showing its progress on
// display. Returns Complete after
// "Die Kopie ist fertig!", GivenUp when the user gave up in one of the run's
// boxes or a fragment could not be compressed. Every other failure ends the
// program through ReportFatalError("PUT"). Run BackupRefusal first: the run
// itself does not check the plan.
//
// With two or more workers the fragments are read (where the file system
// allows it) and compressed ahead on that many threads; the volumes are byte
// for byte those of one worker, and every open, volume write, dialog, yield
// and progress update stays on the calling thread, in the same order.
BackupOutcome WriteArchive(Runtime& runtime, const BackupPlan& plan, BackupDisplay& display, int workers = 1);

// One worker per core, at most 16 (each holds about 1 MB).
int DefaultBackupWorkers();

}  // namespace pb
