// SPDX-License-Identifier: GPL-3.0-or-later
#include <ostream>
#include <set>

#include "commands.h"
#include "progress_line.h"
#include "restore/archive_stream.h"
#include "restore/create_target_file.h"
#include "restore/damage_spans.h"
#include "restore/probe_archive.h"
#include "support/paths.h"
#include "support/run_time_error.h"
#include "terminal_text.h"

namespace pb::cli {

namespace {

struct FileReport {
  std::string name;
  std::string problems;  // each after "; "
};

// Reads every file of a set as a restore would, decompressing every fragment,
// and says per file whether it would come back intact.
class SetCheck : public ArchiveSink {
 public:
  // namesVolumes: no survey of repair volumes names the lost volumes already.
  SetCheck(CliContext& context, ProgressLine& progress, std::string drive, int fileCount, bool namesVolumes)
      : context_(context),
        progress_(progress),
        drive_(std::move(drive)),
        fileCount_(fileCount),
        namesVolumes_(namesVolumes),
        spans_([this](FileReport& file, int16_t damagedVolume) {
          if (damagedVolume != 0) file.problems += "; gelesen aus dem beschädigten Band " + std::to_string(damagedVolume);
          Report(file);
        }) {}

  void VolumeOpened(int16_t number) override {
    volume_ = number;
    spans_.VolumeOpened(number);
    Tell();
  }

  Flow BeginFile(const FileHeader& header) override {
    inFile_ = true;
    fragments_ = 0;
    ++fileNumber_;
    Tell();
    std::string problems;
    const std::string place = TargetPathFor("", header.FileName);
    if (!Restorable(header.FileName)) {
      problems += "; Name würde bei der Wiederherstellung abgelehnt";
    } else if (UnderAnEarlierFile(place)) {
      problems += "; ein Verzeichnis im Namen ist eine frühere Datei des Satzes";
    } else if (directories_.count(place) != 0) {
      problems += "; der Name ist ein Verzeichnis früherer Dateien des Satzes";
    } else {
      Remember(place);
    }
    spans_.FileBegun({header.FileName, problems});
    return Flow::Continue;
  }

  Flow Fragment(const FragmentHeader& header, std::string& Buffer) override {
    ++fragments_;
    bytesRead_ += header.NormalLen;
    Tell();
    const int status = DecompressFragment(Buffer, header.NormalLen);
    if (status != 0) {
      spans_.Current().problems += "; Fragment " + std::to_string(fragments_) + " lässt sich nicht entpacken (" +
                   std::to_string(status) + ")";
    }
    return Flow::Continue;
  }

  Flow EndFile() override {
    ++filesRead_;
    inFile_ = false;
    spans_.FileEnded();
    return Flow::Continue;
  }

  void GaveUp(const std::string& reason) override {
    if (!inFile_) spans_.FileBegun({"(Datei " + std::to_string(filesRead_ + 1) + ")", ""});
    spans_.Current().problems += "; " + reason + ", abgebrochen";
    Settle();
  }

  void VolumeDamaged(int16_t number) override {
    Fail("Band " + std::to_string(number) + ": Länge oder Prüfsumme weichen von seiner Kennung ab");
    spans_.VolumeDamaged(number);
  }

  void VolumesLost(const LostVolumes& lost, bool cut) override {
    for (int number = lost.first; namesVolumes_ && number <= lost.last; ++number) {
      Fail("Band " + std::to_string(number) + " fehlt; nicht wiederherstellbar");
    }
    if (!cut) return;
    spans_.Current().problems += "; " + CutFileText(lost);
    spans_.FileEnded();
    inFile_ = false;
  }

  // Told after the last file: the files read are reported first.
  void FilesLost(int32_t count, int32_t firstNumber) override {
    spans_.SettleAll();
    Fail(FilesLostText(count, firstNumber));
  }

  // Once the reading has ended, every file read is reported.
  void Settle() {
    spans_.SettleAll();
    inFile_ = false;
    for (const std::string& unread : unread_) Warn(unread);
    unread_.clear();
  }

  bool StopAtIncompleteEnd(int16_t lastVolume) override {
    GaveUp("der Satz endet mit Band " + std::to_string(lastVolume));
    context_.out << IncompleteSetText(lastVolume) << "\n";
    return true;
  }

  // A restore reads what a set promises and no more: what follows was not
  // written with it.
  // Told after the last files, which are settled only once their volume
  // has been read.
  void AfterLastFile(int64_t trailingBytes, bool furtherVolume) override {
    unread_ = UnreadAfterLastFile(trailingBytes, furtherVolume, volume_);
  }

  void Warn(const std::string& text) {
    ++warnings_;
    progress_.Clear();
    context_.out << "WARNUNG " << text << "\n";
  }

  void Fail(const std::string& text) {
    ++damaged_;
    progress_.Clear();
    context_.out << "FEHLER  " << text << "\n";
  }

  int damaged() const { return damaged_; }
  int warnings() const { return warnings_; }
  int filesRead() const { return filesRead_; }

 private:
  // A restore creates the name below its target; checked here below the root
  // of the set's own drive, where the path translation refuses the same names.
  bool Restorable(const std::string& FileName) {
    const std::string path = TargetPathFor(drive_, FileName);
    if (path.size() <= drive_.size() || path.back() == '\\') return false;
    try {
      context_.runtime.fs.ToNative(path);
      return true;
    } catch (const RunTimeError&) {
      return false;
    }
  }

  bool UnderAnEarlierFile(const std::string& place) const {
    for (std::size_t end = place.find('\\'); end != std::string::npos; end = place.find('\\', end + 1)) {
      if (files_.count(place.substr(0, end)) != 0) return true;
    }
    return false;
  }

  void Remember(const std::string& place) {
    files_.insert(place);
    for (std::size_t end = place.find('\\'); end != std::string::npos; end = place.find('\\', end + 1)) {
      directories_.insert(place.substr(0, end));
    }
  }

  void Tell() { progress_.Show({fileNumber_, fileCount_, bytesRead_, 0, volume_}); }

  void Report(const FileReport& file) {
    if (!file.problems.empty()) {
      Fail(TerminalSafe(file.name) + ": " + file.problems.substr(2));
    } else if (!context_.quiet) {
      progress_.Clear();
      context_.out << "OK      " << TerminalSafe(file.name) << "\n";
    }
  }

  CliContext& context_;
  ProgressLine& progress_;
  std::string drive_;
  int fileCount_;
  bool namesVolumes_;
  bool inFile_ = false;
  int fragments_ = 0;
  int16_t volume_ = 0;
  int filesRead_ = 0;
  int fileNumber_ = 0;
  int64_t bytesRead_ = 0;
  int damaged_ = 0;
  int warnings_ = 0;
  std::set<std::string> files_;
  std::set<std::string> directories_;
  std::vector<std::string> unread_;
  DamageSpans<FileReport> spans_;
};

}  // namespace

int RunTestCommand(CliContext& context, const ReadOptions& options) {
  std::variant<SourceSet, int> found = SetToRead(context, options);
  if (const int* status = std::get_if<int>(&found)) return *status;
  const SourceSet& set = std::get<SourceSet>(found);
  PrintSetSummary(context.out, set.display);
  RepairSurvey survey(context.runtime.fs, WithTrailingBackslash(set.directory));
  if (!survey.Empty()) PrintRecoverability(context, survey);
  const int32_t count = set.results.ArchiveFileCount;
  ProgressLine progress(context.err, context.progressOnTerminal);
  SetCheck check(context, progress, WithTrailingBackslash(set.directory.substr(0, 2)), count, survey.Empty());
  if (const std::optional<std::string> problem = FileCountProblem(set.results)) check.Fail(*problem);
  BoxesAfterProgress boxes(context.runtime.boxes, progress, context.err, true);
  Runtime runtime{context.runtime.fs, boxes, context.runtime.host};
  const StreamEnd end = ReadArchiveStream(runtime, set.results, set.directory, check);
  const bool lostVolumes = !survey.Empty() && (!survey.Losses().empty() || !survey.BrokenRepairVolumes().empty());
  if (end == StreamEnd::VolumeMissing) check.GaveUp("der nächste Datenträger fehlt");
  check.Settle();
  progress.End();
  const bool complete = end == StreamEnd::AllFiles || end == StreamEnd::VolumesLost;
  context.out << check.filesRead() << " von " << count << " Dateien vollständig gelesen, " << check.damaged()
              << " fehlerhaft";
  if (check.warnings() > 0) context.out << ", " << check.warnings() << " Warnungen";
  context.out << (complete ? "" : "; Prüfung abgebrochen") << "\n";
  return StatusOfReading(context, end, lostVolumes || check.damaged() + check.warnings() > 0);
}

}  // namespace pb::cli
