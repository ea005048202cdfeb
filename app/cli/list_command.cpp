// SPDX-License-Identifier: GPL-3.0-or-later
#include <iomanip>
#include <ostream>

#include "commands.h"
#include "restore/archive_stream.h"

namespace pb::cli {

namespace {

// One line per file: its length and its stored name.
class FileList : public ArchiveSink {
 public:
  FileList(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}
  Flow BeginFile(const FileHeader& header) override {
    out_ << std::setw(12) << header.FileLength << "  " << header.FileName << "\n";
    return Flow::Continue;
  }
  Flow Fragment(const FragmentHeader&, std::string&) override { return Flow::Continue; }
  Flow EndFile() override { return Flow::Continue; }
  void GaveUp(const std::string& reason) override { err_ << "parcelbarge-cli: abgebrochen: " << reason << "\n"; }

 private:
  std::ostream& out_;
  std::ostream& err_;
};

}  // namespace

int RunListCommand(CliContext& context, const std::vector<std::string>& args) {
  const std::optional<SourceSet> set = SetToRead(context, args, 1);
  if (!set) return kExitUsage;
  PrintSetSummary(context.out, set->display);
  FileList list(context.out, context.err);
  const StreamEnd end = ReadArchiveStream(context.runtime, set->results, set->directory, list);
  return end == StreamEnd::AllFiles ? kExitComplete : kExitGivenUp;
}

}  // namespace pb::cli
