// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands.h"
#include "restore/read_archive.h"

namespace pb::cli {

int RunRestoreCommand(CliContext& context, const std::vector<std::string>& args) {
  const std::optional<SourceSet> set = SetToRead(context, args, 2);
  if (!set) return kExitUsage;
  const std::optional<std::string> target = DirectoryArgument(context, args[1]);
  if (!target) return kExitUsage;
  const RestoreOutcome outcome = ReadArchive(context.runtime, set->results, set->directory, *target);
  return outcome == RestoreOutcome::Intact ? kExitComplete : kExitGivenUp;
}

}  // namespace pb::cli
