// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <iosfwd>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "command_line.h"
#include "exit_status.h"
#include "restore_selection.h"
#include "restore/archive_stream.h"
#include "restore/probe_display.h"
#include "restore/repair_survey.h"
#include "support/runtime.h"

namespace pb::cli {

// What every command works with; main builds the real one, tests their own.
struct CliContext {
  Runtime& runtime;
  std::ostream& out;
  std::ostream& err;
  bool progressOnTerminal = false;
  bool quiet = false;
  // The status of a run given up in a box (TerminalBoxes::GiveUpStatus).
  std::function<int()> giveUpStatus = [] { return kExitCancelled; };
  bool verbose = false;  // each file named as it is stored, restored or tested
};

// The names of --files-from split at line ends (a CR before one dropped) or
// at NUL bytes; empty names are left out.
std::vector<std::string> SplitNameList(const std::string& text, bool nullSeparated);
// Adds the names of --files-from to a backup's sources or a reader's
// patterns; the exit status after a message on err when the list cannot be read.
std::optional<int> AddNamesFromList(CliContext& context, Invocation& invocation, std::istream& in);

// Each command returns the exit status.
int RunBackupCommand(CliContext& context, const BackupOptions& options);
int RunProbeCommand(CliContext& context, const ReadOptions& options);
int RunRestoreCommand(CliContext& context, const ReadOptions& options);
int RunListCommand(CliContext& context, const ReadOptions& options);
int RunTestCommand(CliContext& context, const ReadOptions& options);
int RunRepairCommand(CliContext& context, const ReadOptions& options);

// What the repair volumes beside a set can bring back of it, as test says.
void PrintRecoverability(CliContext& context, RepairSurvey& survey);


// "A:", "D:\Sich" and the like are taken as drive form; anything else is a
// native path, made absolute and translated (FileSystem::ToDriveFormForRun).
std::string DrivePathFromArgument(FileSystem& fs, const std::string& arg);

// A drive path as the system names it, where it can; else as it is.
std::string ShownPath(FileSystem& fs, const std::string& drivePath);

// Shows drive paths as ShownPath does, also those whose last name the drive
// form cannot hold ("?" for each character it lacks): that name is found in
// its directory and shown as ShownNativeName does. Names of one directory
// that the drive form shows alike are shown one after the other, each once.
class PathDisplay {
 public:
  explicit PathDisplay(FileSystem& fs) : fs_(fs) {}
  std::string operator()(const std::string& drivePath);

 private:
  FileSystem& fs_;
  std::map<std::string, std::size_t> shown_;  // how often each drive path was shown
};

// A path argument as a message shows it: an empty one as "".
std::string ShownArgument(const std::string& arg);

// A directory argument in drive form, as DrivePathFromArgument gives it but
// by FileSystem::ToDriveFormForRunDirectory; nullopt, after a message on err,
// when it is no path on a drive.
std::optional<std::string> DirectoryArgument(CliContext& context, const std::string& arg);

// Whether a file, or anything else but a directory, lies at drivePath.
bool HoldsOtherThanDirectory(FileSystem& fs, const std::string& drivePath);

// A set found in a SOURCE_DIR argument by the probe of the read page.
struct SourceSet {
  std::string directory;  // drive form
  ProbeDisplay display;
  ProbeResults results;
};
// The set in options.source for the commands that read one; the exit status
// after a message on err when there is none to read.
std::variant<SourceSet, int> SetToRead(CliContext& context, const ReadOptions& options);
// restore --to-stdout: the chosen files' bytes one after the other.
int RestoreToStdout(CliContext& context, const SourceSet& set, const ReadOptions& options);
// The exit status of list and test after reading a set to end; problems:
// the reader found something wrong on the way.
int StatusOfReading(CliContext& context, StreamEnd end, bool problems);
// After a whole set was read: names each pattern that chose no file, which
// makes a complete run one with problems.
int StatusAfterPatterns(CliContext& context, const PatternSelection& selection, int status);
// A file count below one: the set's head is damaged and reading it yields
// nothing. nullopt for a count a set may have.
std::optional<std::string> FileCountProblem(const ProbeResults& results);
// What lies after the last file a set announces and so is never read: bytes
// on its last volume, a volume of the next number.
std::vector<std::string> UnreadAfterLastFile(int64_t trailingBytes, bool furtherVolume, int16_t lastVolume);
// What test and restore say of what lost volumes take with them: the rest of
// a file begun before them, and files begun in them.
std::string CutFileText(const LostVolumes& lost);
std::string FilesLostText(int32_t count, int32_t firstNumber);
// The read page's summary line and the description, if there is one.
void PrintSetSummary(std::ostream& out, const ProbeDisplay& display);

}  // namespace pb::cli
