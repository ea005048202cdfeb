// SPDX-License-Identifier: GPL-3.0-or-later
// probe and restore of the command-line tool, called in process over test
// drives, with the terminal's message boxes.
#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "commands.h"
#include "scripted_boxes.h"
#include "scripted_host.h"
#include "set_builder.h"
#include "terminal_boxes.h"
#include "test_drives.h"

namespace pb {
namespace {

using testing::SetBuilder;

class RestoreCommandsTest : public ::testing::Test {
 protected:
  std::string Native(const std::string& drivePath) { return drives.Native(drivePath).string(); }

  // Runs a command with answers typed on the terminal.
  int Run(int (*command)(cli::CliContext&, const std::vector<std::string>&), const std::vector<std::string>& args,
          const std::string& typed = "") {
    std::istringstream in(typed);
    TerminalBoxes boxes(in, terminal);
    Runtime runtime{drives.fs(), boxes, host};
    cli::CliContext context{runtime, out, err, false};
    return command(context, args);
  }

  testing::TestDrives drives;
  testing::ScriptedHost host;
  std::ostringstream out;
  std::ostringstream err;
  std::ostringstream terminal;
};

TEST_F(RestoreCommandsTest, ProbePrintsTheSummaryAndTheDescription) {
  SetBuilder set;
  set.Header(12, "Fotos f\xFCr Oma").FileWithData("C:\\a", "a");
  set.WriteTo(drives.Native("D:\\Sich"));
  EXPECT_EQ(Run(cli::RunProbeCommand, {Native("D:\\Sich")}), kExitComplete);
  EXPECT_EQ(out.str(), "(12 Dateien, V1.1)\nFotos für Oma\n");
  out.str("");
  EXPECT_EQ(Run(cli::RunProbeCommand, {"d:\\Sich"}), kExitComplete);
  EXPECT_EQ(out.str(), "(12 Dateien, V1.1)\nFotos für Oma\n");
  EXPECT_EQ(err.str(), "");
}

TEST_F(RestoreCommandsTest, ProbeWithoutSetOrWithWrongArguments) {
  EXPECT_EQ(Run(cli::RunProbeCommand, {Native("D:\\")}), kExitGivenUp);
  EXPECT_EQ(out.str(), "(Kein Archiv in diesem Verzeichnis gefunden)\n");
  out.str("");
  EXPECT_EQ(Run(cli::RunProbeCommand, {}), kExitUsage);
  EXPECT_EQ(Run(cli::RunProbeCommand, {"D:\\", "E:\\"}), kExitUsage);
  EXPECT_EQ(err.str().rfind("Aufruf:\n", 0), 0u) << err.str();
  err.str("");
  // A directory on none of the drives.
  EXPECT_EQ(Run(cli::RunProbeCommand, {"/proc/self"}), kExitUsage);
  EXPECT_NE(err.str().find("/proc/self"), std::string::npos) << err.str();
  EXPECT_EQ(out.str(), "");
}

TEST_F(RestoreCommandsTest, RestoreThatEndsWithoutEveryFileIntact) {
  std::string damaged = testing::Compressed("Inhalt");
  damaged[3] ^= 0x40;
  SetBuilder set;
  set.Header(2).File(6, "C:\\kaputt").RawFragment(6, damaged).FileWithData("C:\\heil", "heil");
  set.WriteTo(drives.Native("D:\\Sich"));
  EXPECT_EQ(Run(cli::RunRestoreCommand, {"D:\\Sich", "C:\\Rueck"}, "\n"), kExitGivenUp);
  EXPECT_NE(terminal.str().find("ZlibDecompressString(Buffer, FragmentHeader.NormalLen)"), std::string::npos);
  EXPECT_EQ(testing::ReadFile(drives.Native("C:\\Rueck\\kaputt")), std::string(6, '\0'));
  EXPECT_EQ(testing::ReadFile(drives.Native("C:\\Rueck\\heil")), "heil");
}

// At the end of input the terminal answers Cancel, then Yes: a missing volume
// ends the program as given up.
TEST_F(RestoreCommandsTest, MissingVolumeWithoutInputGivesUp) {
  SetBuilder set;
  set.Header(2).FileWithData("C:\\eins", "eins").Cut().FileWithData("C:\\zwei", "zwei");
  set.WriteTo(drives.Native("D:\\Sich"));
  std::filesystem::remove(drives.Native("D:\\Sich\\DataBlock#2.Parcelbarge"));
  try {
    Run(cli::RunRestoreCommand, {"D:\\Sich", "C:\\Rueck"});
    ADD_FAILURE() << "the program did not end";
  } catch (const testing::ProgramEnded& end) {
    EXPECT_EQ(end.exitStatus, kExitGivenUp);
  }
  EXPECT_NE(terminal.str().find("Bitte den nächsten Datenträger dieses Sicherungssatzes"), std::string::npos);
  EXPECT_EQ(testing::ReadFile(drives.Native("C:\\Rueck\\eins")), "eins");
  EXPECT_EQ(host.beeps, 0);
}

TEST_F(RestoreCommandsTest, RestoresWhatTheBackupCommandWrote) {
  const std::map<std::string, std::string> tree = {
      {"leer", ""},
      {"Unter/gro\xC3\x9F.bin", testing::RandomBytes(2000000, 62)},
      {"Unter/genau.bin", testing::RandomBytes(131072, 63)},
      {"z\xC3\xA4hlt.txt", std::string(400000, 'z')},
  };
  for (const auto& [name, bytes] : tree) testing::WriteFile(drives.Native("C:\\Daten") / name, bytes);
  std::filesystem::create_directories(drives.Native("D:\\Sich"));
  ASSERT_EQ(Run(cli::RunBackupCommand, {"--volume-size", "1423K", Native("D:\\Sich"), Native("C:\\Daten")}, "\n"),
            kExitComplete)
      << err.str();
  ASSERT_TRUE(std::filesystem::exists(drives.Native("D:\\Sich\\DataBlock#2.Parcelbarge")));

  // The target and its parents are created as the files need them.
  EXPECT_EQ(Run(cli::RunRestoreCommand, {Native("D:\\Sich"), Native("C:\\Rueck\\Neu")}), kExitComplete);
  for (const auto& [name, bytes] : tree) {
    EXPECT_TRUE(testing::ReadFile(drives.Native("C:\\Rueck\\Neu\\Daten") / name) == bytes) << name;
  }
}

TEST_F(RestoreCommandsTest, RestoreRefusesWhatIsNoSet) {
  EXPECT_EQ(Run(cli::RunRestoreCommand, {"D:\\", "C:\\Rueck"}), kExitUsage);
  EXPECT_EQ(err.str(), "parcelbarge-cli: D:\\: (Kein Archiv in diesem Verzeichnis gefunden)\n");
  EXPECT_EQ(Run(cli::RunRestoreCommand, {"D:\\"}), kExitUsage);
  EXPECT_FALSE(std::filesystem::exists(drives.Native("C:\\Rueck")));
}

}  // namespace
}  // namespace pb
