// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "backup/directory_walk.h"
#include "support/runtime.h"

namespace pb {

// Handles the names of one drop on the selection list, first to last: a name
// with "?" is reported and skipped, a directory is replaced by every file below
// it (CollectDirectoryFiles), a file is appended as it is. A name whose
// attributes cannot be queried or that is neither file nor directory is
// skipped without a message; it and whatever
// the walk left out are reported, so a caller without a window can say so.
// Nothing already in fileList is compared with: the same file may stand there
// twice.
SelectionReport AddDroppedNames(Runtime& runtime, const std::vector<std::string>& names,
                                std::vector<std::string>& fileList, bool includeHidden = false);

// The message for a drop that holds no file names.
void ShowNotAFileList(MessageBoxes& boxes);

}  // namespace pb
