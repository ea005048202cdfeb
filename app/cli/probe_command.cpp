// SPDX-License-Identifier: GPL-3.0-or-later
#include <ostream>

#include "commands.h"
#include "restore/probe_archive.h"
#include "terminal_text.h"

namespace pb::cli {

namespace {

SourceSet Probe(CliContext& context, const std::string& directory) {
  SourceSet set{directory, ProbeDisplay(directory), {}};
  ProbeArchive(set.display, context.runtime.fs, set.results);
  return set;
}

}  // namespace

std::variant<SourceSet, int> SetToRead(CliContext& context, const ReadOptions& options) {
  const std::optional<std::string> directory = DirectoryArgument(context, options.source);
  if (!directory) return kExitUsage;
  SourceSet set = Probe(context, *directory);
  if (!set.display.restoreEnabled) {
    context.err << "parcelbarge-cli: " << TerminalSafe(options.source) << ": " << set.display.restoreInfo << "\n";
    return kExitUnavailable;
  }
  return set;
}

int StatusOfReading(CliContext& context, StreamEnd end, bool problems) {
  switch (end) {
    case StreamEnd::AllFiles: return problems ? kExitProblems : kExitComplete;
    case StreamEnd::Damaged: return kExitProblems;
    case StreamEnd::Finished:
    case StreamEnd::VolumeMissing: break;
  }
  return context.giveUpStatus();
}

int StatusAfterPatterns(CliContext& context, const PatternSelection& selection, int status) {
  const std::vector<std::string> unmatched = selection.Unmatched();
  for (const std::string& pattern : unmatched) {
    context.err << "parcelbarge-cli: nicht im Sicherungssatz: " << TerminalSafe(pattern) << "\n";
  }
  return unmatched.empty() || status != kExitComplete ? status : kExitProblems;
}

void PrintSetSummary(std::ostream& out, const ProbeDisplay& display) {
  out << display.restoreInfo << "\n";
  if (!display.description.empty()) out << TerminalSafe(display.description) << "\n";
}

int RunProbeCommand(CliContext& context, const ReadOptions& options) {
  const std::optional<std::string> directory = DirectoryArgument(context, options.source);
  if (!directory) return kExitUsage;
  const SourceSet set = Probe(context, *directory);
  PrintSetSummary(context.out, set.display);
  if (!set.display.restoreEnabled) return kExitUnavailable;
  if (const std::optional<int16_t> lastVolume = IncompleteEnd(context.runtime.fs, *directory)) {
    context.out << IncompleteSetText(*lastVolume) << "\n";
  }
  return kExitComplete;
}

}  // namespace pb::cli
