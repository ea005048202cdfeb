// SPDX-License-Identifier: GPL-3.0-or-later
#include <ostream>

#include "commands.h"
#include "restore/probe_archive.h"
#include "store/volume_name.h"
#include "support/run_time_error.h"
#include "terminal_text.h"

namespace pb::cli {

namespace {

SourceSet Probe(CliContext& context, const std::string& directory) {
  SourceSet set{directory, ProbeDisplay(directory), {}};
  ProbeArchive(set.display, context.runtime.fs, set.results);
  return set;
}

// Why a directory where the probe found no set cannot even be looked into;
// nullopt when it can.
std::optional<std::string> Unreadable(FileSystem& fs, const std::string& directory) {
  try {
    fs.ListDirectory(directory, kMaskOrdinary);
    return std::nullopt;
  } catch (const RunTimeError& error) {
    return error.description();
  }
}

}  // namespace

std::variant<SourceSet, int> SetToRead(CliContext& context, const ReadOptions& options) {
  const std::optional<std::string> directory = DirectoryArgument(context, options.source);
  if (!directory) return kExitUsage;
  SourceSet set = Probe(context, *directory);
  if (!set.display.restoreEnabled) {
    const std::optional<std::string> unreadable = Unreadable(context.runtime.fs, *directory);
    context.err << "parcelbarge-cli: " << ShownArgument(options.source) << ": "
                << unreadable.value_or(set.display.restoreInfo) << "\n";
    return kExitUnavailable;
  }
  return set;
}

int StatusOfReading(CliContext& context, StreamEnd end, bool problems) {
  switch (end) {
    case StreamEnd::AllFiles: return problems ? kExitProblems : kExitComplete;
    case StreamEnd::Damaged:
    case StreamEnd::VolumesLost: return kExitProblems;
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

std::optional<std::string> FileCountProblem(const ProbeResults& results) {
  if (results.ArchiveFileCount > 0) return std::nullopt;
  return "Der Satz nennt " + std::to_string(results.ArchiveFileCount) + " Dateien";
}

std::vector<std::string> UnreadAfterLastFile(int64_t trailingBytes, bool furtherVolume, int16_t lastVolume) {
  std::vector<std::string> unread;
  if (trailingBytes > 0) unread.push_back(std::to_string(trailingBytes) + " Byte nach der letzten Datei");
  if (furtherVolume) {
    unread.push_back(VolumeFileName(static_cast<int16_t>(lastVolume + 1)) + " folgt nach dem Ende des Satzes");
  }
  return unread;
}

std::string CutFileText(const LostVolumes& lost) { return LostVolumesText(lost) + ", der Rest der Datei ist verloren"; }

std::string FilesLostText(int32_t count, int32_t firstNumber) {
  const std::string which =
      count == 1 ? "1 Datei verloren, ihr Name stand in einem fehlenden Band"
                 : std::to_string(count) + " Dateien verloren, ihre Namen standen in fehlenden Bänden";
  if (firstNumber == 0) return which;
  if (count == 1) return which + " (Datei " + std::to_string(firstNumber) + " des Satzes)";
  return which + " (Dateien " + std::to_string(firstNumber) + " bis " + std::to_string(firstNumber + count - 1) +
         " des Satzes)";
}

void PrintSetSummary(std::ostream& out, const ProbeDisplay& display) {
  out << display.restoreInfo << "\n";
  if (!display.description.empty()) out << TerminalSafe(display.description) << "\n";
}

int RunProbeCommand(CliContext& context, const ReadOptions& options) {
  const std::optional<std::string> directory = DirectoryArgument(context, options.source);
  if (!directory) return kExitUsage;
  const SourceSet set = Probe(context, *directory);
  // Quiet, the exit status alone tells whether a set is there.
  if (!context.quiet) PrintSetSummary(context.out, set.display);
  if (!set.display.restoreEnabled) {
    if (const std::optional<std::string> unreadable = Unreadable(context.runtime.fs, *directory)) {
      context.err << "parcelbarge-cli: " << ShownArgument(options.source) << ": " << *unreadable << "\n";
    }
    return kExitUnavailable;
  }
  const std::optional<int16_t> lastVolume = IncompleteEnd(context.runtime.fs, *directory);
  if (lastVolume && !context.quiet) context.out << IncompleteSetText(*lastVolume) << "\n";
  return kExitComplete;
}

}  // namespace pb::cli
