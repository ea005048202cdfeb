// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "size_argument.h"

namespace pb::cli {

enum class Command { Backup, Probe, Restore, List, Test, Repair };

// How the terminal answers and what it shows.
struct TerminalOptions {
  bool quiet = false;  // nothing but errors and questions
  bool yes = false;    // OK to every prompt for the next medium
  bool verbose = false;  // each file named as it is stored, restored or tested
};

// Names read from a file, one a line or each ended by NUL: a backup's sources,
// a restore's or list's patterns.
struct NameListOptions {
  std::optional<std::string> filesFrom;  // "-": standard input
  bool nullSeparated = false;
};

struct BackupOptions {
  std::optional<int64_t> volumeSize;  // bytes
  bool clearTarget = false;
  bool verify = false;  // read each volume back after writing it
  int repairVolumes = 0;  // per group of volumes
  std::string description;
  int workers = 0;  // 0: one per core
  bool dryRun = false;         // name what would be stored and deleted; write nothing
  bool includeHidden = false;  // take names beginning with "." below directories
  std::vector<std::string> excludes;
  std::string target;
  std::vector<std::string> sources;
};

// probe, restore, list, test and repair.
struct ReadOptions {
  std::string source;
  std::string target;                 // restore
  std::vector<std::string> patterns;  // restore and list: only matching stored names
  int stripComponents = 0;            // restore
  bool keepExisting = false;          // restore
  bool longList = false;              // list
  bool porcelain = false;             // list: tab-separated fields for scripts
  bool toStdout = false;              // restore: the chosen files' bytes on standard output
  std::vector<std::string> excludes;  // restore and list: stored names left out
};

struct Invocation {
  Command command = Command::Probe;
  TerminalOptions terminal;
  NameListOptions nameList;
  BackupOptions backup;
  ReadOptions read;
};

// The arguments after the program name. Help and version are printed on out,
// a refusal (one line naming what is wrong, then a hint to --help) on err;
// the result is then the exit status.
std::variant<Invocation, int> ParseCommandLine(const std::vector<std::string>& args, std::ostream& out,
                                               std::ostream& err);

}  // namespace pb::cli
