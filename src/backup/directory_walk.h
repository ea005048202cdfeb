// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "support/file_system.h"
#include "support/host.h"

namespace pb {

// An entry a selection leaves out, and why.
struct LeftOut {
  std::string name;
  std::string reason;
};

// What a selection left out, so a caller without a window can say so.
struct SelectionReport {
  std::vector<LeftOut> leftOut;
  int dotNames = 0;   // entries skipped for a name beginning with "."
  int toldInBox = 0;  // names refused with a message box of their own
};

// Why an entry with these attributes cannot be taken; "" for a file or a
// directory. Such an entry is never opened: a pipe or device would block.
std::string ReasonNotTaken(int attributes);

// Appends the full path of every file below directory to foundFiles, after
// emptying it when reset is true: first the files of directory in the order
// the file system lists them, then the trees of its subdirectories, the one
// listed last first, each whole tree before the next. Entries whose name
// begins with "." are skipped with everything below them, unless
// includeHidden; hidden files are kept. Entries whose attributes cannot be queried (vanished, or named with
// characters the set cannot store), entries that are neither file nor
// directory, links back to a directory above (ReasonNotTaken) and directories that cannot be listed add
// nothing; report, when given, gets each of them and the count of "." names.
// Yields once per directory listed.
void CollectDirectoryFiles(FileSystem& fs, Host& host, const std::string& directory, bool reset,
                           std::vector<std::string>& foundFiles, SelectionReport* report = nullptr,
                           bool includeHidden = false);

}  // namespace pb
