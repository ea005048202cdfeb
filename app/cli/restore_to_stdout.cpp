// SPDX-License-Identifier: GPL-3.0-or-later
// restore --to-stdout: the chosen files' bytes on standard output, one file
// after the other, for a pipe; every message stays on standard error.
#include <ostream>

#include "commands.h"
#include "restore/archive_stream.h"
#include "support/console.h"
#include "terminal_text.h"

namespace pb::cli {

namespace {

class BytesToStdout : public ArchiveSink {
 public:
  BytesToStdout(CliContext& context, const ReadOptions& options)
      : context_(context), selection_(options.patterns, options.excludes) {}

  Flow BeginFile(const FileHeader& header) override {
    chosen_ = selection_.Chosen(header.FileName);
    if (chosen_ && context_.verbose) context_.err << TerminalSafe(header.FileName) << '\n';
    return Flow::Continue;
  }

  Flow Fragment(const FragmentHeader& header, std::string& Buffer) override {
    if (!chosen_) return Flow::Continue;
    if (const int status = DecompressFragment(Buffer, header.NormalLen); status != 0) {
      ++damaged_;
      context_.err << "parcelbarge-cli: beschädigtes Fragment (" << status << "), als Nullbytes ausgegeben\n";
    }
    // A reader that went away ends the run: nothing else is wanted.
    return context_.out.write(Buffer.data(), static_cast<std::streamsize>(Buffer.size())) ? Flow::Continue
                                                                                           : Flow::Finish;
  }

  Flow EndFile() override { return Flow::Continue; }

  void GaveUp(const std::string& reason) override {
    context_.err << "parcelbarge-cli: abgebrochen: " << reason << "\n";
  }

  const PatternSelection& selection() const { return selection_; }
  int damaged() const { return damaged_; }

 private:
  CliContext& context_;
  PatternSelection selection_;
  bool chosen_ = false;
  int damaged_ = 0;
};

}  // namespace

int RestoreToStdout(CliContext& context, const SourceSet& set, const ReadOptions& options) {
  console::BinaryOutput();
  BytesToStdout sink(context, options);
  const StreamEnd end = ReadArchiveStream(context.runtime, set.results, set.directory, sink);
  if (!context.out) return kExitFatal;
  const int status = StatusOfReading(context, end, sink.damaged() > 0);
  return end == StreamEnd::AllFiles ? StatusAfterPatterns(context, sink.selection(), status) : status;
}

}  // namespace pb::cli
