// SPDX-License-Identifier: GPL-3.0-or-later
#include <ostream>

#include "commands.h"
#include "restore/archive_stream.h"
#include "restore/create_target_file.h"
#include "support/paths.h"
#include "support/run_time_error.h"

namespace pb::cli {

namespace {

// Reads every file of a set as a restore would, decompressing every fragment,
// and says per file whether it would come back intact.
class SetCheck : public ArchiveSink {
 public:
  SetCheck(std::ostream& out, FileSystem& fs, std::string drive) : out_(out), fs_(fs), drive_(std::move(drive)) {}

  Flow BeginFile(const FileHeader& header) override {
    fileName_ = header.FileName;
    inFile_ = true;
    problems_.clear();
    fragments_ = 0;
    if (!Restorable(header.FileName)) problems_ += "; Name würde bei der Wiederherstellung abgelehnt";
    return Flow::Continue;
  }

  Flow Fragment(const FragmentHeader& header, std::string& Buffer) override {
    ++fragments_;
    const int status = DecompressFragment(Buffer, header.NormalLen);
    if (status != 0) {
      problems_ += "; Fragment " + std::to_string(fragments_) + " lässt sich nicht entpacken (" +
                   std::to_string(status) + ")";
    }
    return Flow::Continue;
  }

  Flow EndFile() override {
    ++filesRead_;
    Report();
    return Flow::Continue;
  }

  void GaveUp(const std::string& reason) override {
    if (!inFile_) fileName_ = "(Datei " + std::to_string(filesRead_ + 1) + ")";
    problems_ += "; " + reason + ", abgebrochen";
    Report();
  }

  int damaged() const { return damaged_; }
  int filesRead() const { return filesRead_; }

 private:
  // A restore creates the name below its target; checked here below the root
  // of the set's own drive, where the path translation refuses the same names.
  bool Restorable(const std::string& FileName) {
    const std::string path = TargetPathFor(drive_, FileName);
    if (path.size() <= drive_.size() || path.back() == '\\') return false;
    try {
      fs_.ToNative(path);
      return true;
    } catch (const RunTimeError&) {
      return false;
    }
  }

  void Report() {
    inFile_ = false;
    if (problems_.empty()) {
      out_ << "OK      " << fileName_ << "\n";
    } else {
      ++damaged_;
      out_ << "FEHLER  " << fileName_ << ": " << problems_.substr(2) << "\n";
    }
  }

  std::ostream& out_;
  FileSystem& fs_;
  std::string drive_;
  std::string fileName_;
  bool inFile_ = false;
  std::string problems_;
  int fragments_ = 0;
  int filesRead_ = 0;
  int damaged_ = 0;
};

}  // namespace

int RunTestCommand(CliContext& context, const std::vector<std::string>& args) {
  const std::optional<SourceSet> set = SetToRead(context, args, 1);
  if (!set) return kExitUsage;
  PrintSetSummary(context.out, set->display);
  SetCheck check(context.out, context.runtime.fs, WithTrailingBackslash(set->directory.substr(0, 2)));
  const StreamEnd end = ReadArchiveStream(context.runtime, set->results, set->directory, check);
  const bool complete = end == StreamEnd::AllFiles;
  context.out << check.filesRead() << " von " << set->results.ArchiveFileCount
              << " Dateien vollständig gelesen, " << check.damaged() << " fehlerhaft"
              << (complete ? "" : "; Prüfung abgebrochen") << "\n";
  return complete && check.damaged() == 0 ? kExitComplete : kExitGivenUp;
}

}  // namespace pb::cli
