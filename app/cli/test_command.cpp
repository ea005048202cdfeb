// SPDX-License-Identifier: GPL-3.0-or-later
#include <ostream>
#include <set>

#include "commands.h"
#include "restore/archive_stream.h"
#include "restore/create_target_file.h"
#include "restore/probe_archive.h"
#include "store/volume_name.h"
#include "support/paths.h"
#include "support/run_time_error.h"
#include "terminal_text.h"

namespace pb::cli {

namespace {

// Reads every file of a set as a restore would, decompressing every fragment,
// and says per file whether it would come back intact.
class SetCheck : public ArchiveSink {
 public:
  SetCheck(CliContext& context, std::string drive) : context_(context), drive_(std::move(drive)) {}

  void VolumeOpened(int16_t number) override { volume_ = number; }

  Flow BeginFile(const FileHeader& header) override {
    fileName_ = header.FileName;
    inFile_ = true;
    problems_.clear();
    fragments_ = 0;
    const std::string place = TargetPathFor("", header.FileName);
    if (!Restorable(header.FileName)) {
      problems_ += "; Name würde bei der Wiederherstellung abgelehnt";
    } else if (UnderAnEarlierFile(place)) {
      problems_ += "; ein Verzeichnis im Namen ist eine frühere Datei des Satzes";
    } else if (directories_.count(place) != 0) {
      problems_ += "; der Name ist ein Verzeichnis früherer Dateien des Satzes";
    } else {
      Remember(place);
    }
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

  void VolumeDamaged(int16_t number) override {
    Fail("Band " + std::to_string(number) + ": Länge oder Prüfsumme weichen von seiner Kennung ab");
  }

  bool StopAtIncompleteEnd(int16_t lastVolume) override {
    GaveUp("der Satz endet mit Band " + std::to_string(lastVolume));
    context_.out << IncompleteSetText(lastVolume) << "\n";
    return true;
  }

  // A restore reads what a set promises and no more: what follows was not
  // written with it.
  void AfterLastFile(int64_t trailingBytes, bool furtherVolume) override {
    if (trailingBytes > 0) Warn(std::to_string(trailingBytes) + " Byte nach der letzten Datei");
    if (furtherVolume) {
      Warn(VolumeFileName(static_cast<int16_t>(volume_ + 1)) + " folgt nach dem Ende des Satzes");
    }
  }

  void Warn(const std::string& text) {
    ++warnings_;
    context_.out << "WARNUNG " << text << "\n";
  }

  void Fail(const std::string& text) {
    ++damaged_;
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

  void Report() {
    inFile_ = false;
    if (!problems_.empty()) {
      Fail(TerminalSafe(fileName_) + ": " + problems_.substr(2));
    } else if (!context_.quiet) {
      context_.out << "OK      " << TerminalSafe(fileName_) << "\n";
    }
  }

  CliContext& context_;
  std::string drive_;
  std::string fileName_;
  bool inFile_ = false;
  std::string problems_;
  int fragments_ = 0;
  int16_t volume_ = 0;
  int filesRead_ = 0;
  int damaged_ = 0;
  int warnings_ = 0;
  std::set<std::string> files_;
  std::set<std::string> directories_;
};

}  // namespace

int RunTestCommand(CliContext& context, const ReadOptions& options) {
  std::variant<SourceSet, int> found = SetToRead(context, options);
  if (const int* status = std::get_if<int>(&found)) return *status;
  const SourceSet& set = std::get<SourceSet>(found);
  PrintSetSummary(context.out, set.display);
  RepairSurvey survey(context.runtime.fs, WithTrailingBackslash(set.directory));
  if (!survey.Empty()) PrintRecoverability(context, survey);
  SetCheck check(context, WithTrailingBackslash(set.directory.substr(0, 2)));
  const int32_t count = set.results.ArchiveFileCount;
  if (count <= 0) check.Fail("Der Satz nennt " + std::to_string(count) + " Dateien");
  const StreamEnd end = ReadArchiveStream(context.runtime, set.results, set.directory, check);
  const bool lostVolumes = !survey.Empty() && (!survey.Losses().empty() || !survey.BrokenRepairVolumes().empty());
  if (end == StreamEnd::VolumeMissing) check.GaveUp("der nächste Datenträger fehlt");
  const bool complete = end == StreamEnd::AllFiles;
  context.out << check.filesRead() << " von " << count << " Dateien vollständig gelesen, " << check.damaged()
              << " fehlerhaft";
  if (check.warnings() > 0) context.out << ", " << check.warnings() << " Warnungen";
  context.out << (complete ? "" : "; Prüfung abgebrochen") << "\n";
  return StatusOfReading(context, end, lostVolumes || check.damaged() + check.warnings() > 0);
}

}  // namespace pb::cli
