// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

#include "backup/backup_inputs.h"
#include "support/file_system.h"

namespace pb {

// Why a backup with these inputs must not start, as a German message (shown
// with the critical icon and OK); nullopt when it may start. It refuses what
// the set's fields cannot hold and a run that would delete or overwrite a file
// it is to save. Nothing is written either way; a file that cannot be opened
// now is let through, since the run asks to retry it.
std::optional<std::string> BackupRefusal(FileSystem& fs, const BackupInputs& inputs);

}  // namespace pb
