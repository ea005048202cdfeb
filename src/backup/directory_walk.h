// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "support/file_system.h"
#include "support/host.h"

namespace pb {

// Appends the full path of every file below directory to foundFiles, after
// emptying it when reset is true: first the files of directory in the order
// the file system lists them, then the trees of its subdirectories, the one
// listed last first, each whole tree before the next. Entries whose name
// begins with "." are skipped with everything below them; hidden files are
// kept. Entries whose attributes cannot be queried (vanished, or named with
// characters the set cannot store) and directories that cannot be listed add
// nothing. Yields once per directory listed.
void CollectDirectoryFiles(FileSystem& fs, Host& host, const std::string& directory, bool reset,
                           std::vector<std::string>& foundFiles);

}  // namespace pb
