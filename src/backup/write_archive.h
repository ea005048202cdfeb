#pragma once

#include "backup/backup_inputs.h"
#include "support/runtime.h"

namespace pb {

enum class BackupOutcome { Complete, GivenUp };

// Turns the selection list of inputs into a numbered series of volume files in
// the target directory, or on successive diskettes in A:. Returns Complete after
// "Die Kopie ist fertig!", GivenUp when the user gave up in one of the run's
// boxes or a fragment could not be compressed. Every other failure ends the
// program through ReportFatalError("PUT"). Run BackupRefusal first: the run
// itself does not check its inputs.
BackupOutcome WriteArchive(Runtime& runtime, BackupInputs& inputs);

}  // namespace pb
