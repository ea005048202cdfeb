// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <variant>

#include "backup/backup_plan.h"
#include "support/file_system.h"

namespace pb {

// The plan when a run may start with it, else why it must not, as a German
// message (shown with the critical icon and OK). It refuses what the set's
// fields cannot hold and a run that would delete or overwrite a file it is to
// save. Nothing is written either way; a file that cannot be opened now is let
// through, since the run asks to retry it.
using CheckedPlan = std::variant<BackupPlan, std::string>;
CheckedPlan BackupRefusal(FileSystem& fs, BackupPlan plan);

}  // namespace pb
