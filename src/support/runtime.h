// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdlib>

#include "support/file_system.h"
#include "support/host.h"
#include "support/medium_release.h"
#include "support/message_boxes.h"

namespace pb {

// The three services every run works through, and the release of full media
// where the program offers it (without, a full medium is only flushed).
struct Runtime {
  FileSystem& fs;
  MessageBoxes& boxes;
  Host& host;
  MediumRelease* release = nullptr;

  // Closes every open file with what was written, then ends the process.
  [[noreturn]] void EndProgram(int exitStatus) {
    fs.CloseAll();
    host.EndProgram(exitStatus);
    // A host that returns from EndProgram breaks its contract.
    std::abort();
  }
};

// Exit statuses of the program end.
constexpr int kExitComplete = 0;
constexpr int kExitGivenUp = 1;
constexpr int kExitUsage = 2;
constexpr int kExitFatal = 3;

}  // namespace pb
