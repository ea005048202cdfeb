// SPDX-License-Identifier: GPL-3.0-or-later
// parcelbarge-cli: the headless companion of the window. main parses the
// command line; each command does its work through the core.
#include <functional>
#include <iostream>
#include <string>
#include <variant>
#include <vector>

#include "command_line.h"
#include "commands.h"
#include "platform/drive_table.h"
#include "platform/native_file_system.h"
#include "platform/process_host.h"
#include "support/console.h"
#include "terminal_boxes.h"

namespace {

// The process host, with what the tool adds: a noted interrupt ends the run
// at the next yield, between two items, with every file closed; a run given
// up in a box ends with the status that says how.
class CliHost : public pb::Host {
 public:
  CliHost(pb::FileSystem& fs, const pb::TerminalBoxes& boxes) : fs_(fs), boxes_(boxes) {}
  void Yield() override {
    if (!pb::console::InterruptNoted()) return;
    if (tidy_) tidy_();
    fs_.CloseAll();
    pb::console::EndInterrupted();
  }
  void Beep() override { host_.Beep(); }
  void SetEarlyEndTidy(std::function<void()> tidy) override { tidy_ = std::move(tidy); }
  [[noreturn]] void EndProgram(int exitStatus) override {
    host_.EndProgram(exitStatus == pb::kExitGivenUp ? boxes_.GiveUpStatus() : exitStatus);
  }

 private:
  pb::ProcessHost host_;
  pb::FileSystem& fs_;
  const pb::TerminalBoxes& boxes_;
  std::function<void()> tidy_;
};

int Run(pb::cli::CliContext& context, const pb::cli::Invocation& invocation) {
  using pb::cli::Command;
  switch (invocation.command) {
    case Command::Backup: return pb::cli::RunBackupCommand(context, invocation.backup);
    case Command::Probe: return pb::cli::RunProbeCommand(context, invocation.read);
    case Command::Restore: return pb::cli::RunRestoreCommand(context, invocation.read);
    case Command::List: return pb::cli::RunListCommand(context, invocation.read);
    case Command::Repair: return pb::cli::RunRepairCommand(context, invocation.read);
    case Command::Test: break;
  }
  return pb::cli::RunTestCommand(context, invocation.read);
}

}  // namespace

int main(int argc, char** argv) {
  pb::console::GuardStandardStreams();
  const std::variant<pb::cli::Invocation, int> parsed =
      pb::cli::ParseCommandLine(pb::console::Arguments(argc, argv), std::cout, std::cerr);
  if (const int* status = std::get_if<int>(&parsed)) return *status;
  pb::cli::Invocation invocation = std::get<pb::cli::Invocation>(parsed);

  const bool terminal = pb::console::IsTerminal(pb::console::Stream::Err);
  pb::console::CatchInterrupts(terminal ? "\nAbgebrochen\n" : "Abgebrochen\n", pb::cli::kExitInterrupted);
  pb::NativeFileSystem fs(pb::SystemDriveReader());
  pb::TerminalBoxes boxes(std::cin, std::cerr, invocation.terminal);
  CliHost host(fs, boxes);
  pb::NativeMediumRelease release(fs);
  pb::Runtime runtime{fs, boxes, host, &release};
  // A list of names shown as they go by has no room for a progress line.
  pb::cli::CliContext context{runtime,
                              std::cout,
                              std::cerr,
                              terminal && !invocation.terminal.quiet && !invocation.terminal.verbose,
                              invocation.terminal.quiet,
                              [&] { return boxes.GiveUpStatus(); },
                              invocation.terminal.verbose};
  if (const std::optional<int> refused = pb::cli::AddNamesFromList(context, invocation, std::cin)) return *refused;
  const int status = Run(context, invocation);
  // What was printed and lost to a full disk is no success.
  std::cout.flush();
  if (std::cout) return status;
  std::cerr << "parcelbarge-cli: Schreibfehler auf der Standardausgabe\n";
  return status == pb::kExitComplete ? pb::kExitFatal : status;
}
