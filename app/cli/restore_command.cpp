#include <ostream>

#include "arguments.h"
#include "commands.h"
#include "restore/probe_archive.h"
#include "restore/probe_display.h"
#include "restore/read_archive.h"
#include "support/run_time_error.h"

namespace pb::cli {

// Probes SOURCE_DIR as the read page would, then restores below TARGET_DIR.
int RunRestoreCommand(CliContext& context, const std::vector<std::string>& args) {
  if (args.size() != 2) {
    PrintUsage(context.err);
    return kExitUsage;
  }
  FileSystem& fs = context.runtime.fs;
  std::vector<std::string> directories;
  for (const std::string& arg : args) {
    try {
      directories.push_back(DrivePathFromArgument(fs, arg));
    } catch (const RunTimeError& error) {
      context.err << "parcelbarge-cli: " << arg << ": " << error.description() << "\n";
      return kExitUsage;
    }
  }
  ProbeDisplay display(directories[0]);
  ProbeResults probe;
  ProbeArchive(display, fs, probe);
  if (!display.restoreEnabled) {
    context.err << "parcelbarge-cli: " << args[0] << ": " << display.restoreInfo << "\n";
    return kExitUsage;
  }
  const RestoreOutcome outcome = ReadArchive(context.runtime, probe, directories[0], directories[1]);
  return outcome == RestoreOutcome::Intact ? kExitComplete : kExitGivenUp;
}

}  // namespace pb::cli
