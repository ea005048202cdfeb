// SPDX-License-Identifier: GPL-3.0-or-later
// parcelbarge-cli backup: the selection list, options page and start button
// of the window's write page, as arguments.
#include <algorithm>
#include <functional>
#include <ostream>

#include "backup/backup_plan.h"
#include "backup/backup_refusal.h"
#include "backup/selection_drop.h"
#include "backup/target_clearing.h"
#include "backup/write_archive.h"
#include "commands.h"
#include "progress_line.h"
#include "restore_selection.h"
#include "support/console.h"
#include "support/run_time_error.h"
#include "terminal_text.h"

namespace pb::cli {

namespace {

// The progress line, with the total the run does not know; named, when
// given, gets the number of each file as it is begun.
class CliBackupDisplay : public BackupDisplay {
 public:
  CliBackupDisplay(ProgressLine& progress, int64_t bytesTotal, std::function<void(int)> named)
      : progress_(progress), bytesTotal_(bytesTotal), named_(std::move(named)) {}

  void SetProgress(int) override {}
  void ShowProgress(const BackupProgress& progress) override {
    if (named_ && progress.fileNumber != namedFile_) {
      namedFile_ = progress.fileNumber;
      named_(progress.fileNumber);
    }
    progress_.Show({progress.fileNumber, progress.fileCount, progress.bytesStored, bytesTotal_, progress.volume});
  }

 private:
  ProgressLine& progress_;
  int64_t bytesTotal_;
  std::function<void(int)> named_;
  int namedFile_ = 0;
};

// Sources that an exclusion matches are left out; a pattern that begins like
// a path of this system is taken in drive form.
void LeaveOutExcluded(FileSystem& fs, const std::vector<std::string>& excludes, std::vector<std::string>& files) {
  if (excludes.empty()) return;
  std::vector<std::string> patterns;
  for (const std::string& exclude : excludes) {
    try {
      patterns.push_back(exclude.find_first_of("/\\") == 0 ? DrivePathFromArgument(fs, exclude) : exclude);
    } catch (const RunTimeError&) {
      patterns.push_back(exclude);
    }
  }
  PatternSelection excluded({}, patterns);
  std::erase_if(files, [&](const std::string& file) { return !excluded.Chosen(file); });
}

// --dry-run: what the run would store and, with --clear-target, delete in
// the target before its first volume.
int PrintDryRun(CliContext& context, const BackupPlan& plan) {
  FileSystem& fs = context.runtime.fs;
  for (const std::string& file : plan.files) context.out << TerminalSafe(ShownPath(fs, file)) << '\n';
  if (!plan.clearTarget) return kExitComplete;
  try {
    PathDisplay shown(fs);
    for (const std::string& name : fs.ListDirectory(plan.target, kMaskFiles)) {
      if (!KeptWhenClearing(name)) context.out << "Löschen: " << TerminalSafe(shown(plan.target + name)) << '\n';
    }
  } catch (const RunTimeError& error) {
    context.err << "parcelbarge-cli: " << TerminalSafe(ShownPath(fs, plan.target)) << ": " << error.description() << '\n';
    return kExitUnavailable;
  }
  return kExitComplete;
}

BackupPlan PlanOf(const BackupOptions& options, const std::string& target, std::vector<std::string> files) {
  BackupPlan plan;
  plan.diskette = target == "A:";
  plan.target = PlanTarget(plan.diskette, target);
  if (options.volumeSize) plan.volumeLimit = *options.volumeSize;
  plan.files = std::move(files);
  plan.description = StoredDescription(options.description);
  plan.clearTarget = options.clearTarget;
  plan.verifyVolumes = options.verify;
  plan.repairVolumes = options.repairVolumes;
  return plan;
}

// Files that cannot be opened now are left out before the run, so the run
// does not stop at each; the others' lengths make the progress total.
int64_t KeepReadableFiles(FileSystem& fs, std::vector<std::string>& files, SelectionReport& report) {
  int64_t total = 0;
  std::vector<std::string> readable;
  for (const std::string& file : files) {
    try {
      const FileNumber number = fs.Open(file, OpenMode::BinaryRead);
      try {
        total += fs.Length(number);
      } catch (const RunTimeError&) {
        // The run reads the length itself and handles what fails then.
      }
      fs.Close(number);
      readable.push_back(file);
    } catch (const RunTimeError& error) {
      report.leftOut.push_back({file, error.description()});
    }
  }
  files = std::move(readable);
  return total;
}

}  // namespace

int RunBackupCommand(CliContext& context, const BackupOptions& options) {
  FileSystem& fs = context.runtime.fs;
  std::string target;
  if (!options.target.empty()) {
    // A path no drive holds is told with its reason.
    const std::optional<std::string> given = DirectoryArgument(context, options.target);
    if (!given) return kExitUsage;
    target = *given;
  }
  try {
    // The diskette may still be put in when the run asks for it.
    if (target.empty() || (target != "A:" && !(fs.GetAttributes(target) & kAttrDirectory))) {
      throw RunTimeError(kPathNotFound);
    }
  } catch (const RunTimeError&) {
    context.err << "Das Ziel ist kein Verzeichnis: " << ShownArgument(options.target) << '\n';
    return kExitUsage;
  }

  // Interrupts end the run only between two items, where Yield looks.
  const bool deferred = console::DeferInterrupts(true);
  ProgressLine progress(context.err, context.progressOnTerminal);
  BoxesAfterProgress boxes(context.runtime.boxes, progress, context.err, false);
  ReleaseAfterProgress release(context.runtime.release, progress, context.err);
  Runtime runtime{fs, boxes, context.runtime.host, &release};

  SelectionReport report;
  std::vector<std::string> names;
  for (const std::string& source : options.sources) {
    try {
      names.push_back(DrivePathFromArgument(fs, source));
    } catch (const RunTimeError& error) {
      report.leftOut.push_back({source, error.description()});
    }
  }
  std::vector<std::string> files;
  const SelectionReport dropped = AddDroppedNames(runtime, names, files, options.includeHidden);
  LeaveOutExcluded(fs, options.excludes, files);
  report.leftOut.insert(report.leftOut.end(), dropped.leftOut.begin(), dropped.leftOut.end());
  const int64_t bytesTotal = KeepReadableFiles(fs, files, report);
  PathDisplay shown(fs);
  for (const LeftOut& entry : report.leftOut) {
    context.err << "Übergangen: " << TerminalSafe(shown(entry.name)) << ": " << entry.reason << '\n';
  }
  if (dropped.dotNames > 0 && !context.quiet) {
    context.err << "Übergangen: " << dropped.dotNames << (dropped.dotNames == 1 ? " Eintrag, dessen" : " Einträge, deren")
                << " Name mit \".\" beginnt\n";
  }

  int status = kExitUsage;
  const bool nothing = files.empty();
  // An empty list is told as such, whatever else the plan holds.
  const CheckedPlan checked = BackupRefusal(fs, PlanOf(options, target, std::move(files)));
  std::function<void(int)> named;
  if (const BackupPlan* plan = std::get_if<BackupPlan>(&checked); plan && context.verbose) {
    named = [&context, &fs, plan](int number) {
      context.out << TerminalSafe(ShownPath(fs, plan->files[static_cast<std::size_t>(number - 1)])) << '\n';
    };
  }
  CliBackupDisplay display(progress, bytesTotal, named);
  if (nothing) {
    context.err << "Nichts zu sichern: keine lesbare Datei in den Quellen.\n";
  } else if (const std::string* refusal = std::get_if<std::string>(&checked)) {
    std::string text = *refusal;
    std::replace(text.begin(), text.end(), '\r', '\n');
    context.err << text << '\n';
  } else if (options.dryRun) {
    status = PrintDryRun(context, std::get<BackupPlan>(checked));
    if (status == kExitComplete && (!report.leftOut.empty() || dropped.toldInBox > 0)) status = kExitProblems;
  } else {
    const int workers = options.workers > 0 ? options.workers : DefaultBackupWorkers();
    const BackupOutcome outcome = WriteArchive(runtime, std::get<BackupPlan>(checked), display, workers);
    progress.End();
    if (outcome != BackupOutcome::Complete) {
      status = context.giveUpStatus();
      // A write box nobody answered on a drive without a medium: the medium
      // never came, which is no fault of the run.
      if (status == kExitFatal && !fs.DriveReady(target[0])) status = kExitUnavailable;
    } else {
      status = report.leftOut.empty() && dropped.toldInBox == 0 ? kExitComplete : kExitProblems;
    }
  }
  console::DeferInterrupts(deferred);
  return status;
}

}  // namespace pb::cli
