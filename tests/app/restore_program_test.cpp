// SPDX-License-Identifier: GPL-3.0-or-later
// parcelbarge-cli probe and restore as a script meets them: the real program on
// real directories, judged by exit status and output.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>

#include "temp_dir.h"

namespace pb::testing {
namespace {

struct CliRun {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs the tool with its input at its end from the start.
CliRun Cli(const TempDir& dir, const std::string& args) {
  const std::string command = "'" PB_CLI_PATH "' " + args + " </dev/null >'" + (dir / "out").string() + "' 2>'" +
                              (dir / "err").string() + "'";
  const int raw = std::system(command.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(dir / "out"), ReadFile(dir / "err")};
}

std::string Quoted(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

TEST(RestoreProgram, ProbeAndRestoreWhatTheBackupWrote) {
  TempDir dir;
  const std::string big = RandomBytes(3000000, 91);
  WriteFile(dir / "quelle" / "gro\xC3\x9F.bin", big);
  WriteFile(dir / "quelle" / "leer", "");
  std::filesystem::create_directory(dir / "ziel");
  ASSERT_EQ(Cli(dir, "backup --volume-size 1423K --description 'Zum Testen' " + Quoted(dir / "ziel") + " " +
                         Quoted(dir / "quelle"))
                .status,
            0);

  const CliRun probe = Cli(dir, "probe " + Quoted(dir / "ziel"));
  EXPECT_EQ(probe.status, 0);
  EXPECT_EQ(probe.out, "(2 Dateien, V1.1)\nZum Testen\n");

  const CliRun restore = Cli(dir, "restore " + Quoted(dir / "ziel") + " " + Quoted(dir / "rueck"));
  EXPECT_EQ(restore.status, 0) << restore.err;
  // The stored names are full paths: the temporary directory comes back below
  // the target without its leading "/".
  const std::filesystem::path restored = dir / "rueck" / dir.path().relative_path();
  EXPECT_TRUE(ReadFile(restored / "quelle" / "gro\xC3\x9F.bin") == big);
  EXPECT_EQ(ReadFile(restored / "quelle" / "leer"), "");
}

}  // namespace
}  // namespace pb::testing
