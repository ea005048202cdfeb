// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "restore/probe_display.h"
#include "support/runtime.h"

namespace pb::cli {

// What every command works with; main builds the real one, tests their own.
struct CliContext {
  Runtime& runtime;
  std::ostream& out;
  std::ostream& err;
  bool progressOnTerminal = false;
};

// Each command takes its arguments without the command word and returns the
// exit status.
int RunBackupCommand(CliContext& context, const std::vector<std::string>& args);
int RunProbeCommand(CliContext& context, const std::vector<std::string>& args);
int RunRestoreCommand(CliContext& context, const std::vector<std::string>& args);
int RunListCommand(CliContext& context, const std::vector<std::string>& args);
int RunTestCommand(CliContext& context, const std::vector<std::string>& args);

// A directory argument in drive form; nullopt, after a message on err, when it
// is no path on a drive.
std::optional<std::string> DirectoryArgument(CliContext& context, const std::string& arg);

// A set found in a SOURCE_DIR argument by the probe of the read page.
struct SourceSet {
  std::string directory;  // drive form
  ProbeDisplay display;
  ProbeResults results;
};
// For the commands that read a set, SOURCE_DIR first of argumentCount
// arguments: nullopt, after the usage or a message on err, when there is none
// to read.
std::optional<SourceSet> SetToRead(CliContext& context, const std::vector<std::string>& args,
                                   std::size_t argumentCount);
// The read page's summary line and the description, if there is one.
void PrintSetSummary(std::ostream& out, const ProbeDisplay& display);

}  // namespace pb::cli
