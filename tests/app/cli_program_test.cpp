// SPDX-License-Identifier: GPL-3.0-or-later
// The real parcelbarge-cli executable as a user or a script meets it: its
// output streams, its exit status and its man page.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <regex>
#include <set>
#include <string>

#include "temp_dir.h"

namespace {

using pb::testing::ReadFile;
using pb::testing::TempDir;

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs the tool with input from /dev/null; its standard output goes to
// stdoutFile when one is given, else it is captured.
Outcome RunCli(const std::string& args, const std::string& stdoutFile = "") {
  TempDir dir;
  const std::string out = stdoutFile.empty() ? (dir / "out").string() : stdoutFile;
  const std::string command = "'" PB_CLI_PATH "' " + args + " </dev/null >'" + out + "' 2>'" +
                              (dir / "err").string() + "'";
  const int raw = std::system(command.c_str());
  Outcome outcome;
  if (WIFEXITED(raw)) outcome.status = WEXITSTATUS(raw);
  if (stdoutFile.empty()) outcome.out = ReadFile(out);
  outcome.err = ReadFile(dir / "err");
  return outcome;
}

TEST(CliProgram, HelpPrintsTheUsageOnStandardOutput) {
  const Outcome unknown = RunCli("--hlep");
  EXPECT_EQ(unknown.status, 2);
  EXPECT_EQ(unknown.out, "");
  ASSERT_EQ(unknown.err.rfind("Aufruf:\n", 0), 0u) << unknown.err;

  for (const std::string option : {"--help", "-h"}) {
    SCOPED_TRACE(option);
    const Outcome help = RunCli(option);
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out, unknown.err);
    EXPECT_EQ(help.err, "");
  }
}

TEST(CliProgram, VersionNamesTheProgramAndTheProjectVersion) {
  const Outcome version = RunCli("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "parcelbarge-cli " PB_PROJECT_VERSION "\n");
  EXPECT_EQ(version.err, "");
}

TEST(CliProgram, OutputLostToAFullDiskIsNoSuccess) {
  for (const std::string option : {"--help", "--version"}) {
    SCOPED_TRACE(option);
    EXPECT_NE(RunCli(option, "/dev/full").status, 0);
  }
}

// The man page is written by hand; this keeps it from falling behind the
// commands and options the tool offers.
TEST(CliProgram, ManPageDocumentsEveryCommandAndOptionOfTheUsage) {
  const std::string usage = RunCli("--help").out;
  const std::string manPage = ReadFile(PB_CLI_MAN_PAGE);

  std::set<std::string> commands;
  const std::regex commandLine(R"(parcelbarge-cli ([a-z]+))");
  for (std::sregex_iterator it(usage.begin(), usage.end(), commandLine), end; it != end; ++it) {
    commands.insert((*it)[1]);
  }
  EXPECT_FALSE(commands.empty()) << usage;
  for (const std::string& command : commands) {
    EXPECT_NE(manPage.find(".B parcelbarge-cli " + command + "\n"), std::string::npos) << command;
  }

  const std::regex option(R"(--[a-z]+(-[a-z]+)*)");
  for (std::sregex_iterator it(usage.begin(), usage.end(), option), end; it != end; ++it) {
    // In roff source every hyphen of an option is escaped.
    const std::string roff = std::regex_replace(it->str(), std::regex("-"), "\\-");
    EXPECT_NE(manPage.find(roff), std::string::npos) << it->str();
  }
}

}  // namespace
