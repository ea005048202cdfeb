// SPDX-License-Identifier: GPL-3.0-or-later
// parcelbarge-cli backup: the selection list, options page and start button
// of the window's write page, as arguments.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <ostream>

#include "arguments.h"
#include "backup/backup_inputs.h"
#include "backup/backup_refusal.h"
#include "backup/selection_drop.h"
#include "backup/write_archive.h"
#include "commands.h"
#include "support/run_time_error.h"

namespace pb::cli {

namespace {

// Each worker holds about 1 MB.
constexpr int kMaxWorkers = 64;

struct BackupArguments {
  std::optional<std::string> volumeSize;
  bool clearTarget = false;
  std::string description;
  int workers = 0;  // 0: one per core
  std::string target;
  std::vector<std::string> sources;
};

// Nullopt when the arguments do not follow the usage.
std::optional<BackupArguments> ParseBackupArguments(const std::vector<std::string>& args) {
  BackupArguments parsed;
  std::vector<std::string> positional;
  bool optionsEnd = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnd || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
      positional.push_back(arg);
    } else if (arg == "--") {
      optionsEnd = true;
    } else if (arg == "--clear-target") {
      parsed.clearTarget = true;
    } else if (arg == "--volume-size" && i + 1 < args.size()) {
      parsed.volumeSize = args[++i];
    } else if (arg == "--description" && i + 1 < args.size()) {
      parsed.description = args[++i];
    } else if (arg == "--workers" && i + 1 < args.size()) {
      const std::string& count = args[++i];
      const auto digit = [](char c) { return c >= '0' && c <= '9'; };
      if (count.empty() || count.size() > 2 || !std::all_of(count.begin(), count.end(), digit)) return std::nullopt;
      parsed.workers = std::stoi(count);
      if (parsed.workers < 1 || parsed.workers > kMaxWorkers) return std::nullopt;
    } else {
      return std::nullopt;
    }
  }
  if (positional.size() < 2) return std::nullopt;
  parsed.target = positional.front();
  parsed.sources.assign(positional.begin() + 1, positional.end());
  return parsed;
}

// "1423K", "1.5M": the number as the options page's text, the unit as its
// list index.
std::optional<int> UnitIndexOf(const std::string& size) {
  if (size.empty()) return std::nullopt;
  switch (size.back()) {
    case 'K': case 'k': return 0;
    case 'M': case 'm': return 1;
    default: return std::nullopt;
  }
}

// One line on the terminal, rewritten as the run goes on.
class ProgressLine {
 public:
  ProgressLine(std::ostream& out, bool shown) : out_(out), shown_(shown) {}

  void Show(const BackupProgress& progress) {
    if (!shown_) return;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    const double megabytes = static_cast<double>(progress.bytesStored) / 1048576.0;
    char line[128];
    std::snprintf(line, sizeof line, "\rDatei %d von %d, %.1f MB, %.1f MB/s  ", progress.fileNumber,
                  progress.fileCount, megabytes, seconds > 0 ? megabytes / seconds : 0.0);
    std::string text = line;
    std::replace(text.begin(), text.end(), '.', ',');
    out_ << text << std::flush;
    open_ = true;
  }

  // Ends the line, so what follows starts on a line of its own.
  void End() {
    if (open_) out_ << '\n';
    open_ = false;
  }

 private:
  std::ostream& out_;
  bool shown_;
  bool open_ = false;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

class CliBackupInputs : public BackupInputs {
 public:
  CliBackupInputs(const BackupArguments& args, std::string target, std::vector<std::string> files,
                  ProgressLine& progress)
      : args_(args), target_(std::move(target)), files_(std::move(files)), progress_(progress) {}

  bool DisketteTarget() const override { return target_ == "A:"; }
  std::string TargetDirectory() const override { return target_; }
  bool OwnVolumeSize() const override { return args_.volumeSize.has_value(); }
  std::string VolumeSizeText() const override {
    return args_.volumeSize ? args_.volumeSize->substr(0, args_.volumeSize->size() - 1) : "";
  }
  int VolumeSizeUnitIndex() const override { return args_.volumeSize ? *UnitIndexOf(*args_.volumeSize) : 0; }
  int FileCount() const override { return static_cast<int>(files_.size()); }
  std::string FileAt(int index) const override { return files_.at(static_cast<std::size_t>(index)); }
  std::string Description() const override { return args_.description; }
  bool ClearTarget() const override { return args_.clearTarget; }
  void SetProgress(int) override {}
  void ShowProgress(const BackupProgress& progress) override { progress_.Show(progress); }

 private:
  const BackupArguments& args_;
  std::string target_;
  std::vector<std::string> files_;
  ProgressLine& progress_;
};

// The run's boxes, each on a line of its own after the progress line.
class BoxesAfterProgress : public MessageBoxes {
 public:
  BoxesAfterProgress(MessageBoxes& boxes, ProgressLine& progress) : boxes_(boxes), progress_(progress) {}
  BoxButton Show(const MessageBox& box) override {
    progress_.End();
    return boxes_.Show(box);
  }

 private:
  MessageBoxes& boxes_;
  ProgressLine& progress_;
};

std::string TerminalText(std::string text) {
  std::replace(text.begin(), text.end(), '\r', '\n');
  return text;
}

int UsageError(CliContext& context, const std::string& message) {
  if (!message.empty()) context.err << message << '\n';
  PrintUsage(context.err);
  return kExitUsage;
}

}  // namespace

int RunBackupCommand(CliContext& context, const std::vector<std::string>& args) {
  const std::optional<BackupArguments> parsed = ParseBackupArguments(args);
  if (!parsed) return UsageError(context, "");
  if (parsed->volumeSize && !UnitIndexOf(*parsed->volumeSize)) {
    return UsageError(context, "Die Größe braucht die Einheit K oder M: " + *parsed->volumeSize);
  }
  FileSystem& fs = context.runtime.fs;
  std::string target;
  try {
    target = DrivePathFromArgument(fs, parsed->target);
    // The diskette may still be put in when the run asks for it.
    if (target != "A:" && !(fs.GetAttributes(target) & kAttrDirectory)) throw RunTimeError(kPathNotFound);
  } catch (const RunTimeError&) {
    return UsageError(context, "Das Ziel ist kein Verzeichnis: " + parsed->target);
  }

  ProgressLine progress(context.err, context.progressOnTerminal);
  BoxesAfterProgress boxes(context.runtime.boxes, progress);
  Runtime runtime{fs, boxes, context.runtime.host};

  std::vector<std::string> names;
  for (const std::string& source : parsed->sources) {
    try {
      names.push_back(DrivePathFromArgument(fs, source));
    } catch (const RunTimeError&) {
      context.err << "Übergangen, nicht lesbar: " << source << '\n';
    }
  }
  std::vector<std::string> files;
  for (const std::string& skipped : AddDroppedNames(runtime, names, files)) {
    context.err << "Übergangen, nicht lesbar: " << skipped << '\n';
  }

  CliBackupInputs inputs(*parsed, target, std::move(files), progress);
  if (const std::optional<std::string> refusal = BackupRefusal(fs, inputs)) {
    context.err << TerminalText(*refusal) << '\n';
    return kExitUsage;
  }
  const int workers = parsed->workers > 0 ? parsed->workers : DefaultBackupWorkers();
  const BackupOutcome outcome = WriteArchive(runtime, inputs, workers);
  progress.End();
  return outcome == BackupOutcome::Complete ? kExitComplete : kExitGivenUp;
}

}  // namespace pb::cli
