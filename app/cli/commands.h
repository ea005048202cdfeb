#pragma once

#include <iosfwd>
#include <string>
#include <vector>

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

}  // namespace pb::cli
