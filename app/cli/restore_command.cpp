// SPDX-License-Identifier: GPL-3.0-or-later
#include <ostream>

#include "commands.h"
#include "progress_line.h"
#include "restore/read_archive.h"
#include "restore_selection.h"
#include "support/paths.h"
#include "terminal_text.h"

namespace pb::cli {

namespace {

// The tool's other lines name the target's files as the system does; the
// boxes of the run name them so too.
class NativePathBoxes : public MessageBoxes {
 public:
  NativePathBoxes(MessageBoxes& boxes, FileSystem& fs) : boxes_(boxes), fs_(fs) {}
  BoxButton Show(const MessageBox& box) override {
    const std::size_t at = box.path.empty() ? std::string::npos : box.text.find(box.path);
    if (at == std::string::npos) return boxes_.Show(box);
    MessageBox shown = box;
    shown.text.replace(at, box.path.size(), ShownPath(fs_, box.path));
    return boxes_.Show(shown);
  }

 private:
  MessageBoxes& boxes_;
  FileSystem& fs_;
};

}  // namespace

int RunRestoreCommand(CliContext& context, const ReadOptions& options) {
  std::variant<SourceSet, int> found = SetToRead(context, options);
  if (const int* status = std::get_if<int>(&found)) return *status;
  const SourceSet& set = std::get<SourceSet>(found);
  if (options.toStdout) return RestoreToStdout(context, set, options);
  const std::optional<std::string> target = DirectoryArgument(context, options.target);
  if (!target) return kExitUsage;
  if (HoldsOtherThanDirectory(context.runtime.fs, *target)) {
    context.err << "Das Ziel ist kein Verzeichnis: " << ShownArgument(options.target) << '\n';
    return kExitUsage;
  }

  const std::optional<std::string> countProblem = FileCountProblem(set.results);
  if (countProblem) context.err << "parcelbarge-cli: " << *countProblem << "\n";

  ProgressLine progress(context.err, context.progressOnTerminal);
  RestoreOptions restore;
  PatternSelection selection(options.patterns, options.excludes);
  restore.place = [&](const std::string& FileName) {
    std::optional<std::string> place = selection.PlaceBelowTarget(FileName, options.stripComponents);
    if (place && context.verbose) context.out << TerminalSafe(ShownPath(context.runtime.fs, WithTrailingBackslash(*target) + *place)) << '\n';
    return place;
  };
  restore.keepExisting = options.keepExisting;
  restore.kept = [&](const std::string& targetPath) {
    progress.End();
    if (!context.quiet) context.err << "Beibehalten: " << TerminalSafe(ShownPath(context.runtime.fs, targetPath)) << '\n';
  };
  int16_t volume = 0;
  restore.progress = [&](const RestoreProgress& state) {
    volume = static_cast<int16_t>(state.volume);
    progress.Show({state.fileNumber, state.fileCount, state.bytesRead, 0, state.volume});
  };
  bool unread = false;
  restore.afterLastFile = [&](int64_t trailingBytes, bool furtherVolume) {
    progress.End();
    for (const std::string& text : UnreadAfterLastFile(trailingBytes, furtherVolume, volume)) {
      context.err << "parcelbarge-cli: " << text << "\n";
      unread = true;
    }
  };
  restore.damagedFile = [&](const std::string& targetPath, int16_t damagedVolume) {
    progress.End();
    context.err << "parcelbarge-cli: gelesen aus dem beschädigten Band " << damagedVolume << ": "
                << TerminalSafe(ShownPath(context.runtime.fs, targetPath)) << "\n";
  };
  restore.cutFile = [&](const std::string& targetPath, const LostVolumes& lost) {
    progress.End();
    context.err << "parcelbarge-cli: " << CutFileText(lost) << ": " << TerminalSafe(ShownPath(context.runtime.fs, targetPath))
                << "\n";
  };
  restore.filesLost = [&](int32_t count, int32_t firstNumber) {
    progress.End();
    context.err << "parcelbarge-cli: " << FilesLostText(count, firstNumber) << "\n";
  };
  NativePathBoxes native(context.runtime.boxes, context.runtime.fs);
  BoxesAfterProgress boxes(native, progress, context.err, true);
  Runtime runtime{context.runtime.fs, boxes, context.runtime.host};
  const RestoreOutcome outcome = ReadArchive(runtime, set.results, set.directory, *target, DefaultWorkers(), restore);
  progress.End();
  for (const std::string& name : selection.StrippedAway()) {
    context.err << "Übergangen: " << TerminalSafe(name) << ": nach --strip-components bleibt vom Namen nichts\n";
  }
  const bool leftOut = countProblem || unread || !selection.StrippedAway().empty();
  switch (outcome) {
    case RestoreOutcome::Intact:
      return StatusAfterPatterns(context, selection, leftOut ? kExitProblems : kExitComplete);
    case RestoreOutcome::Damaged: return kExitProblems;
    case RestoreOutcome::GivenUp: return context.giveUpStatus();
    case RestoreOutcome::TargetFull: break;
  }
  return kExitFatal;
}

}  // namespace pb::cli
