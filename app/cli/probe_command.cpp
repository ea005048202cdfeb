// SPDX-License-Identifier: GPL-3.0-or-later
#include <ostream>

#include "arguments.h"
#include "commands.h"
#include "restore/probe_archive.h"
#include "support/run_time_error.h"

namespace pb::cli {

namespace {

SourceSet Probe(CliContext& context, const std::string& directory) {
  SourceSet set{directory, ProbeDisplay(directory), {}};
  ProbeArchive(set.display, context.runtime.fs, set.results);
  return set;
}

}  // namespace

std::optional<std::string> DirectoryArgument(CliContext& context, const std::string& arg) {
  try {
    return DrivePathFromArgument(context.runtime.fs, arg);
  } catch (const RunTimeError& error) {
    context.err << "parcelbarge-cli: " << arg << ": " << error.description() << "\n";
    return std::nullopt;
  }
}

std::optional<SourceSet> SetToRead(CliContext& context, const std::vector<std::string>& args,
                                   std::size_t argumentCount) {
  if (args.size() != argumentCount) {
    PrintUsage(context.err);
    return std::nullopt;
  }
  const std::string& arg = args[0];
  const std::optional<std::string> directory = DirectoryArgument(context, arg);
  if (!directory) return std::nullopt;
  SourceSet set = Probe(context, *directory);
  if (!set.display.restoreEnabled) {
    context.err << "parcelbarge-cli: " << arg << ": " << set.display.restoreInfo << "\n";
    return std::nullopt;
  }
  return set;
}

void PrintSetSummary(std::ostream& out, const ProbeDisplay& display) {
  out << display.restoreInfo << "\n";
  if (!display.description.empty()) out << display.description << "\n";
}

int RunProbeCommand(CliContext& context, const std::vector<std::string>& args) {
  if (args.size() != 1) {
    PrintUsage(context.err);
    return kExitUsage;
  }
  const std::optional<std::string> directory = DirectoryArgument(context, args[0]);
  if (!directory) return kExitUsage;
  const SourceSet set = Probe(context, *directory);
  PrintSetSummary(context.out, set.display);
  return set.display.restoreEnabled ? kExitComplete : kExitGivenUp;
}

}  // namespace pb::cli
