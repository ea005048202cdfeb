// SPDX-License-Identifier: GPL-3.0-or-later
// parcelbarge-cli: the headless companion of the window. It only parses the
// command word; each command does its own work through the core.
#include <unistd.h>

#include <functional>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "arguments.h"
#include "commands.h"
#include "platform/posix/drive_table.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/process_host.h"
#include "terminal_boxes.h"

int main(int argc, char** argv) {
  using Command = std::function<int(pb::cli::CliContext&, const std::vector<std::string>&)>;
  const std::map<std::string, Command> commands = {
      // commands: backup
      {"backup", pb::cli::RunBackupCommand},
      // commands: probe, restore, list, test
      {"probe", pb::cli::RunProbeCommand},
      {"restore", pb::cli::RunRestoreCommand},
      {"list", pb::cli::RunListCommand},
      {"test", pb::cli::RunTestCommand},
  };

  const std::vector<std::string> words(argv + 1, argv + argc);
  if (!words.empty() && (words.front() == "--help" || words.front() == "-h" || words.front() == "--version")) {
    if (words.front() == "--version") {
      pb::cli::PrintVersion(std::cout);
    } else {
      pb::cli::PrintUsage(std::cout);
    }
    // Text lost to a full disk is no success.
    return std::cout.flush() ? pb::kExitComplete : pb::kExitGivenUp;
  }
  if (words.empty() || commands.find(words.front()) == commands.end()) {
    pb::cli::PrintUsage(std::cerr);
    return pb::kExitUsage;
  }

  pb::PosixFileSystem fs(pb::DriveTable::FromSystem());
  pb::TerminalBoxes boxes(std::cin, std::cerr);
  pb::ProcessHost host;
  pb::Runtime runtime{fs, boxes, host};
  pb::cli::CliContext context{runtime, std::cout, std::cerr, isatty(STDERR_FILENO) == 1};
  return commands.at(words.front())(context, std::vector<std::string>(words.begin() + 1, words.end()));
}
