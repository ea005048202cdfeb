// SPDX-License-Identifier: GPL-3.0-or-later
#include <iomanip>
#include <ostream>
#include <vector>

#include "commands.h"
#include "restore/archive_stream.h"
#include "restore/probe_archive.h"
#include "restore/set_stamps.h"
#include "restore_selection.h"
#include "support/paths.h"
#include "terminal_text.h"
#include "time_text.h"

namespace pb::cli {

namespace {

// One line per chosen file: its length and its stored name; the long form
// and the one for scripts also its stored (compressed) bytes, the volume it
// begins on and its time. The times lie beside the set's last volume, so
// those lines wait for the end of the set.
class FileList : public ArchiveSink {
 public:
  FileList(CliContext& context, const ReadOptions& options)
      : context_(context), options_(options), selection_(options.patterns, options.excludes) {}

  void VolumeOpened(int16_t number) override { volume_ = number; }

  Flow BeginFile(const FileHeader& header) override {
    stamps_.FileBegun(header.FileName);
    ++fileNumber_;
    chosen_ = selection_.Chosen(header.FileName);
    if (chosen_ && !Detailed()) {
      context_.out << std::setw(12) << header.FileLength << "  " << TerminalSafe(header.FileName) << "\n";
    }
    if (chosen_ && Detailed()) entries_.push_back({fileNumber_, header.FileLength, 0, volume_, header.FileName});
    return Flow::Continue;
  }
  Flow Fragment(const FragmentHeader& header, std::string&) override {
    if (chosen_ && Detailed()) entries_.back().packed += header.PackedLen;
    return Flow::Continue;
  }
  Flow EndFile() override { return Flow::Continue; }
  void GaveUp(const std::string& reason) override {
    context_.err << "parcelbarge-cli: abgebrochen: " << reason << "\n";
  }
  // The box said which; the listing goes on.
  void VolumeDamaged(int16_t) override { problems_ = true; }
  void AfterLastFile(int64_t trailingBytes, bool furtherVolume) override {
    for (const std::string& unread : UnreadAfterLastFile(trailingBytes, furtherVolume, volume_)) {
      context_.err << "parcelbarge-cli: " << unread << "\n";
      problems_ = true;
    }
  }
  bool StopAtIncompleteEnd(int16_t lastVolume) override {
    context_.err << "parcelbarge-cli: " << IncompleteSetText(lastVolume) << "\n";
    return true;
  }

  // The detailed lines, with times where the set's record is found in
  // directory (ending in "\") and fits the set read.
  void PrintDetails(const std::string& directory, bool setRead) {
    const bool timed = setRead && stamps_.Load(context_.runtime.fs, directory) == SetStamps::Found::Fits;
    for (const Entry& entry : entries_) {
      const std::optional<FileStamp> stamp = timed ? stamps_.FileStampOf(entry.number) : std::nullopt;
      if (options_.porcelain) {
        context_.out << entry.length << '\t' << entry.packed << '\t' << entry.volume << '\t' << UtcTimeText(stamp)
                     << '\t' << TerminalSafe(entry.name) << '\n';
      } else {
        context_.out << std::setw(12) << entry.length << std::setw(12) << entry.packed << std::setw(6) << entry.volume
                     << "  " << std::left << std::setw(16) << LocalTimeText(stamp) << std::right << "  "
                     << TerminalSafe(entry.name) << '\n';
      }
    }
  }

  const PatternSelection& selection() const { return selection_; }
  bool problems() const { return problems_; }

 private:
  struct Entry {
    int number;
    int32_t length;
    int64_t packed;
    int16_t volume;
    std::string name;
  };

  bool Detailed() const { return options_.longList || options_.porcelain; }

  CliContext& context_;
  const ReadOptions& options_;
  PatternSelection selection_;
  SetStamps stamps_;
  bool chosen_ = false;
  int fileNumber_ = 0;
  int16_t volume_ = 0;
  std::vector<Entry> entries_;
  bool problems_ = false;
};

}  // namespace

int RunListCommand(CliContext& context, const ReadOptions& options) {
  std::variant<SourceSet, int> found = SetToRead(context, options);
  if (const int* status = std::get_if<int>(&found)) return *status;
  const SourceSet& set = std::get<SourceSet>(found);
  if (!context.quiet && !options.porcelain) {
    PrintSetSummary(context.out, set.display);
    if (options.longList) context.out << "       Länge     Gepackt  Band  Zeit              Name\n";
  }
  const std::optional<std::string> countProblem = FileCountProblem(set.results);
  if (countProblem) context.err << "parcelbarge-cli: " << *countProblem << "\n";
  FileList list(context, options);
  const StreamEnd end = ReadArchiveStream(context.runtime, set.results, set.directory, list);
  list.PrintDetails(WithTrailingBackslash(set.directory), end == StreamEnd::AllFiles);
  const int status = StatusOfReading(context, end, countProblem || list.problems());
  return end == StreamEnd::AllFiles ? StatusAfterPatterns(context, list.selection(), status) : status;
}

}  // namespace pb::cli
