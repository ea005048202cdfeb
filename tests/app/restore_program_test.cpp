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

TEST(RestoreProgram, ProbeAndRestoreWhatTheBackupWrote) {
  TempDir dir;
  const std::string big = RandomBytes(3000000, 91);
  WriteFile(dir / "quelle" / "gro\xC3\x9F.bin", big);
  WriteFile(dir / "quelle" / "leer", "");
  std::filesystem::create_directory(dir / "ziel");
  ASSERT_EQ(Cli(dir, "backup --volume-size 1423K --description 'Zum Testen' " + ShellQuoted(dir / "ziel") + " " +
                         ShellQuoted(dir / "quelle"))
                .status,
            0);

  const CliRun probe = Cli(dir, "probe " + ShellQuoted(dir / "ziel"));
  EXPECT_EQ(probe.status, 0);
  EXPECT_EQ(probe.out, "(2 Dateien, V1.1)\nZum Testen\n");

  const CliRun restore = Cli(dir, "restore " + ShellQuoted(dir / "ziel") + " " + ShellQuoted(dir / "rueck"));
  EXPECT_EQ(restore.status, 0) << restore.err;
  // The stored names are full paths: the temporary directory comes back below
  // the target without its leading "/".
  const std::filesystem::path restored = dir / "rueck" / dir.path().relative_path();
  EXPECT_TRUE(ReadFile(restored / "quelle" / "gro\xC3\x9F.bin") == big);
  EXPECT_EQ(ReadFile(restored / "quelle" / "leer"), "");
}

// Only stored names need a drive form: a target, a set's directory, a
// destination and the directory above a backup's sources may have none.
TEST(RestoreProgram, DirectoriesWithoutDriveFormServeEveryCommand) {
  const char* const names[] = {"ziel:1", "a\\b", "\xce\x91\xcf\x81\xcf\x87\xce\xb5\xce\xaf\xce\xb1",
                               "\xd0\x9f\xd0\xb0\xd0\xbf\xd0\xba\xd0\xb0", "\xe8\xb3\x87\xe6\x96\x99"};
  for (const char* name : names) {
    SCOPED_TRACE(name);
    TempDir dir;
    const std::filesystem::path base = dir / name;
    const std::string big = RandomBytes(200000, 7);
    WriteFile(base / "quelle" / "brief.txt", "Brief");
    WriteFile(base / "quelle" / "unter" / "gro\xC3\x9F.bin", big);
    // Stored below the directory, so held to the rules of stored names.
    WriteFile(base / "quelle" / "\xce\xb2.txt", "beta");
    std::filesystem::create_directory(base / "sich");

    const CliRun backup = Cli(dir, "backup " + ShellQuoted(base / "sich") + " " + ShellQuoted(base / "quelle"));
    EXPECT_EQ(backup.status, 1);
    EXPECT_EQ(backup.err, "Übergangen: " + (base / "quelle" / "\xce\xb2.txt").string() +
                              ": Der Name enthält Zeichen, die ein Sicherungssatz nicht speichern kann\n"
                              "Parcelbarge\nDie Kopie ist fertig!\n");
    EXPECT_TRUE(std::filesystem::exists(base / "sich" / "DataBlock#1.Parcelbarge"));

    // The directory's drive holds the set's directory and the sources alike.
    const CliRun list = Cli(dir, "list " + ShellQuoted(base / "sich"));
    EXPECT_EQ(list.status, 0) << list.err;
    EXPECT_EQ(list.out, "(2 Dateien, V1.1)\n           5  Z:\\quelle\\brief.txt\n"
                        "      200000  Z:\\quelle\\unter\\groß.bin\n");
    const CliRun test = Cli(dir, "test " + ShellQuoted(base / "sich"));
    EXPECT_EQ(test.status, 0) << test.err;
    EXPECT_NE(test.out.find("2 von 2 Dateien vollständig gelesen, 0 fehlerhaft"), std::string::npos) << test.out;

    const CliRun restore = Cli(dir, "restore -v " + ShellQuoted(base / "sich") + " " + ShellQuoted(base / "rueck"));
    EXPECT_EQ(restore.status, 0) << restore.err;
    EXPECT_EQ(ReadFile(base / "rueck" / "quelle" / "brief.txt"), "Brief");
    EXPECT_TRUE(ReadFile(base / "rueck" / "quelle" / "unter" / "gro\xC3\x9F.bin") == big);
    // Lines name the files as the system does, never by the run's drive.
    EXPECT_NE(restore.out.find((base / "rueck" / "quelle" / "brief.txt").string() + "\n"), std::string::npos)
        << restore.out;

    // A missing destination is made as on any drive, with the directories
    // missing above it, whatever their names.
    const std::filesystem::path made = dir / "neu" / name / name;
    const CliRun into = Cli(dir, "restore " + ShellQuoted(base / "sich") + " " + ShellQuoted(made));
    EXPECT_EQ(into.status, 0) << into.err;
    EXPECT_EQ(ReadFile(made / "quelle" / "brief.txt"), "Brief");
    EXPECT_TRUE(ReadFile(made / "quelle" / "unter" / "gro\xC3\x9F.bin") == big);
  }
}

}  // namespace
}  // namespace pb::testing
