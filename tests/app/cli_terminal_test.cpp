// SPDX-License-Identifier: GPL-3.0-or-later
// parcelbarge-cli on a real terminal (a pseudo-terminal): boxes that only
// inform do not wait, Ctrl+C ends a run cleanly.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "set_builder.h"
#include "temp_dir.h"

namespace pb::testing {
namespace {

struct TerminalRun {
  int status = -1;
  std::string screen;
};

// Runs the tool on a new terminal with no keys typed, except Ctrl+C once
// interruptAt appears on the screen.
TerminalRun RunOnTerminal(const std::vector<std::string>& args, const std::optional<std::string>& interruptAt) {
  int master = -1;
  const pid_t child = forkpty(&master, nullptr, nullptr, nullptr);
  if (child == 0) {
    std::vector<char*> argv{const_cast<char*>(PB_CLI_PATH)};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(PB_CLI_PATH, argv.data());
    _exit(127);
  }
  TerminalRun run;
  if (child < 0) return run;
  bool interrupted = false;
  // Generous for a loaded machine; a run that waits for input never ends.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  while (std::chrono::steady_clock::now() < deadline) {
    pollfd fd{master, POLLIN, 0};
    if (poll(&fd, 1, 100) > 0) {
      char buffer[4096];
      const ssize_t got = read(master, buffer, sizeof buffer);
      if (got <= 0) break;  // the terminal closed with the tool's end
      run.screen.append(buffer, static_cast<std::size_t>(got));
    }
    if (interruptAt && !interrupted && run.screen.find(*interruptAt) != std::string::npos) {
      interrupted = write(master, "\x03", 1) == 1;
    }
  }
  // The terminal closes a moment before the process is gone.
  int raw = 0;
  pid_t ended = 0;
  while ((ended = waitpid(child, &raw, WNOHANG)) == 0 && std::chrono::steady_clock::now() < deadline) {
    poll(nullptr, 0, 10);
  }
  if (ended == 0) {
    kill(child, SIGKILL);
    waitpid(child, &raw, 0);
  } else if (WIFEXITED(raw)) {
    run.status = WEXITSTATUS(raw);
  }
  close(master);
  return run;
}

TEST(CliTerminal, InformsWithoutWaitingAndStopsCleanlyOnCtrlC) {
  TempDir dir;
  WriteFile(dir / "klein.txt", "klein");
  WriteFile(dir / "gross.bin", RandomBytes(64 << 20, 5));
  std::filesystem::create_directories(dir / "ziel1");
  std::filesystem::create_directories(dir / "ziel2");
  SetBuilder set;
  set.Header(2).FileWithData("C:\\a", "a").Cut().FileWithData("C:\\b", "b");
  set.WriteTo(dir / "luecke");
  std::filesystem::remove(dir / "luecke" / "DataBlock#2.Parcelbarge");

  const struct {
    const char* what;
    std::vector<std::string> args;
    std::optional<std::string> interruptAt;
    int status;
    std::string shown;
  } cases[] = {
      {"the final message", {"backup", (dir / "ziel1").string(), (dir / "klein.txt").string()}, std::nullopt, 0,
       "Die Kopie ist fertig!"},
      // The set just written; each "OK" line takes the progress line's row,
      // which comes back below it.
      {"test's progress", {"test", (dir / "ziel1").string()}, std::nullopt, 0,
       " \rOK      "},
      {"Ctrl+C while writing",
       {"backup", "--workers", "1", "-s", "1M", (dir / "ziel2").string(), (dir / "gross.bin").string()},
       "Band 2", 130, "Abgebrochen"},
      {"Ctrl+C at a question", {"restore", (dir / "luecke").string(), (dir / "rueck").string()}, "Abbrechen: ", 130,
       "Abgebrochen"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const TerminalRun run = RunOnTerminal(c.args, c.interruptAt);
    EXPECT_EQ(run.status, c.status) << run.screen;
    EXPECT_NE(run.screen.find(c.shown), std::string::npos) << run.screen;
  }
  // The interrupted set ends between two items on its last volume: it reads
  // without a fault up to there, and its identity record tells that the
  // backup did not finish.
  const std::string check = "'" PB_CLI_PATH "' test '" + (dir / "ziel2").string() + "' </dev/null >'" +
                            (dir / "test").string() + "' 2>/dev/null";
  const int raw = std::system(check.c_str());
  EXPECT_EQ(WEXITSTATUS(raw), 1);
  const std::string report = ReadFile(dir / "test");
  EXPECT_NE(report.find("gross.bin: der Satz endet mit Band "), std::string::npos) << report;
  EXPECT_NE(report.find("Der Sicherungssatz ist unvollständig: die Sicherung wurde nach Band "), std::string::npos)
      << report;
  EXPECT_NE(report.find("0 von 1 Dateien vollständig gelesen, 1 fehlerhaft; Prüfung abgebrochen\n"), std::string::npos)
      << report;
}

}  // namespace
}  // namespace pb::testing
