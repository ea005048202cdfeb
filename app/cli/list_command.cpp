// SPDX-License-Identifier: GPL-3.0-or-later
#include <iomanip>
#include <ostream>

#include "commands.h"
#include "restore/archive_stream.h"
#include "restore/probe_archive.h"
#include "restore_selection.h"
#include "terminal_text.h"

namespace pb::cli {

namespace {

// One line per chosen file: its length and its stored name; the long form
// also its stored (compressed) bytes and the volume it begins on.
class FileList : public ArchiveSink {
 public:
  FileList(CliContext& context, const ReadOptions& options)
      : context_(context), options_(options), selection_(options.patterns) {}

  void VolumeOpened(int16_t number) override { volume_ = number; }

  Flow BeginFile(const FileHeader& header) override {
    header_ = header;
    chosen_ = selection_.Chosen(header.FileName);
    firstVolume_ = volume_;
    packed_ = 0;
    if (chosen_ && !options_.longList) {
      context_.out << std::setw(12) << header.FileLength << "  " << TerminalSafe(header.FileName) << "\n";
    }
    return Flow::Continue;
  }
  Flow Fragment(const FragmentHeader& header, std::string&) override {
    packed_ += header.PackedLen;
    return Flow::Continue;
  }
  Flow EndFile() override {
    if (chosen_ && options_.longList) {
      context_.out << std::setw(12) << header_.FileLength << std::setw(12) << packed_ << std::setw(6) << firstVolume_
                   << "  " << TerminalSafe(header_.FileName) << "\n";
    }
    return Flow::Continue;
  }
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

  const PatternSelection& selection() const { return selection_; }
  bool problems() const { return problems_; }

 private:
  CliContext& context_;
  const ReadOptions& options_;
  PatternSelection selection_;
  FileHeader header_;
  bool chosen_ = false;
  int16_t volume_ = 0;
  int16_t firstVolume_ = 0;
  int64_t packed_ = 0;
  bool problems_ = false;
};

}  // namespace

int RunListCommand(CliContext& context, const ReadOptions& options) {
  std::variant<SourceSet, int> found = SetToRead(context, options);
  if (const int* status = std::get_if<int>(&found)) return *status;
  const SourceSet& set = std::get<SourceSet>(found);
  PrintSetSummary(context.out, set.display);
  if (options.longList) context.out << "       Länge     Gepackt  Teil  Name\n";
  const std::optional<std::string> countProblem = FileCountProblem(set.results);
  if (countProblem) context.err << "parcelbarge-cli: " << *countProblem << "\n";
  FileList list(context, options);
  const StreamEnd end = ReadArchiveStream(context.runtime, set.results, set.directory, list);
  const int status = StatusOfReading(context, end, countProblem || list.problems());
  return end == StreamEnd::AllFiles ? StatusAfterPatterns(context, list.selection(), status) : status;
}

}  // namespace pb::cli
