#include <ostream>

#include "arguments.h"
#include "commands.h"
#include "restore/probe_archive.h"
#include "restore/probe_display.h"
#include "support/run_time_error.h"

namespace pb::cli {

// Prints the read page's summary line, then the description, if any.
int RunProbeCommand(CliContext& context, const std::vector<std::string>& args) {
  if (args.size() != 1) {
    PrintUsage(context.err);
    return kExitUsage;
  }
  FileSystem& fs = context.runtime.fs;
  std::string source;
  try {
    source = DrivePathFromArgument(fs, args[0]);
  } catch (const RunTimeError& error) {
    context.err << "parcelbarge-cli: " << args[0] << ": " << error.description() << "\n";
    return kExitUsage;
  }
  ProbeDisplay display(source);
  ProbeResults results;
  ProbeArchive(display, fs, results);
  context.out << display.restoreInfo << "\n";
  if (!display.description.empty()) context.out << display.description << "\n";
  return display.restoreEnabled ? kExitComplete : kExitGivenUp;
}

}  // namespace pb::cli
