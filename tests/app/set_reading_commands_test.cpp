// SPDX-License-Identifier: GPL-3.0-or-later
// list and test of the command-line tool: they read a set as the restore does
// and write nothing.
#include <gtest/gtest.h>

#include <sstream>

#include "commands.h"
#include "scripted_host.h"
#include "set_builder.h"
#include "set_mutation.h"
#include "terminal_boxes.h"
#include "test_drives.h"

namespace pb {
namespace {

using testing::SetBuilder;

// Every file below a directory with its size: what must stay as it was.
std::map<std::string, uintmax_t> Sizes(const std::filesystem::path& root) {
  std::map<std::string, uintmax_t> sizes;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    sizes[entry.path().string()] = entry.is_regular_file() ? entry.file_size() : 0;
  }
  return sizes;
}

class SetReadingCommandsTest : public ::testing::Test {
 protected:
  // Runs a command with the terminal's input at its end from the start.
  int Run(int (*command)(cli::CliContext&, const std::vector<std::string>&)) {
    std::istringstream in;
    TerminalBoxes boxes(in, terminal);
    Runtime runtime{drives.fs(), boxes, host};
    cli::CliContext context{runtime, out, err, false};
    return command(context, {"D:\\Sich"});
  }
  void Write(SetBuilder& set) { set.WriteTo(drives.Native("D:\\Sich")); }

  testing::TestDrives drives;
  testing::ScriptedHost host;
  std::ostringstream out;
  std::ostringstream err;
  std::ostringstream terminal;
};

TEST_F(SetReadingCommandsTest, ListShowsEveryFileWithItsLength) {
  SetBuilder set;
  set.Header(3, "Liste")
      .FileWithData("C:\\Daten\\gro\xDF.bin", testing::RandomBytes(300000, 1))
      .Cut()
      .File(0, "C:\\leer")
      .FileWithData("C:\\a.txt", "a");
  Write(set);
  EXPECT_EQ(Run(cli::RunListCommand), kExitComplete);
  EXPECT_EQ(out.str(),
            "(3 Dateien, V1.1)\nListe\n"
            "      300000  C:\\Daten\\groß.bin\n"
            "           0  C:\\leer\n"
            "           1  C:\\a.txt\n");
  EXPECT_EQ(terminal.str(), "");
}

TEST_F(SetReadingCommandsTest, ListThatCannotReadOnGivesUp) {
  SetBuilder set;
  set.Header(2).FileWithData("C:\\a.txt", "a").File(5, "C:\\b.txt").RawFragment(6, testing::Compressed("bbbbbb"));
  Write(set);
  EXPECT_EQ(Run(cli::RunListCommand), kExitGivenUp);
  EXPECT_EQ(out.str(), "(2 Dateien, V1.1)\n           1  C:\\a.txt\n           5  C:\\b.txt\n");
  EXPECT_EQ(err.str(), "parcelbarge-cli: abgebrochen: Fragmentlängen passen nicht zur Datei oder zum Datenträger\n");
  EXPECT_NE(terminal.str().find("Auf das Archiv kann kann nicht zugegriffen werden."), std::string::npos);
}

TEST_F(SetReadingCommandsTest, TestOfAnIntactSet) {
  SetBuilder set;
  set.Header(2).FileWithData("C:\\a.bin", testing::RandomBytes(200000, 2)).Cut().FileWithData("C:\\b", "b");
  Write(set);
  const auto before = Sizes(drives.Root('C').parent_path());
  EXPECT_EQ(Run(cli::RunTestCommand), kExitComplete);
  EXPECT_EQ(out.str(), "(2 Dateien, V1.1)\nOK      C:\\a.bin\nOK      C:\\b\n2 von 2 Dateien vollständig gelesen, 0 fehlerhaft\n");
  EXPECT_EQ(Sizes(drives.Root('C').parent_path()), before);
}

TEST_F(SetReadingCommandsTest, TestNamesWhatIsWrongPerFile) {
  std::string damaged = testing::Compressed(std::string(1000, 'x'));
  damaged[damaged.size() - 2] ^= 1;  // the checksum
  SetBuilder set;
  set.Header(4)
      .File(2000, "C:\\kaputt.bin")
      .Fragment(std::string(1000, 'y'))
      .RawFragment(1000, damaged)
      .FileWithData("C:\\..\\..\\boese", "boese")
      .FileWithData("C:\\gut", "gut")
      .File(10, "C:\\zu lang")
      .RawFragment(11, testing::Compressed("elf Zeichen"));
  Write(set);
  const auto before = Sizes(drives.Root('C').parent_path());
  EXPECT_EQ(Run(cli::RunTestCommand), kExitGivenUp);
  EXPECT_EQ(out.str(),
            "(4 Dateien, V1.1)\n"
            "FEHLER  C:\\kaputt.bin: Fragment 2 lässt sich nicht entpacken (-3)\n"
            "FEHLER  C:\\..\\..\\boese: Name würde bei der Wiederherstellung abgelehnt\n"
            "OK      C:\\gut\n"
            "FEHLER  C:\\zu lang: Fragmentlängen passen nicht zur Datei oder zum Datenträger, abgebrochen\n"
            "3 von 4 Dateien vollständig gelesen, 3 fehlerhaft; Prüfung abgebrochen\n");
  EXPECT_EQ(Sizes(drives.Root('C').parent_path()), before);
}

TEST_F(SetReadingCommandsTest, TestOfASetWithoutItsLastVolumeEndsAsGivenUp) {
  SetBuilder set;
  set.Header(2).FileWithData("C:\\a", "a").Cut().FileWithData("C:\\b", "b");
  Write(set);
  std::filesystem::remove(drives.Native("D:\\Sich\\DataBlock#2.Parcelbarge"));
  try {
    Run(cli::RunTestCommand);
    ADD_FAILURE() << "the program did not end";
  } catch (const testing::ProgramEnded& end) {
    EXPECT_EQ(end.exitStatus, kExitGivenUp);
  }
  EXPECT_EQ(out.str(), "(2 Dateien, V1.1)\nOK      C:\\a\n");
}

TEST_F(SetReadingCommandsTest, WrongArgumentsOrNoSet) {
  std::istringstream in;
  TerminalBoxes boxes(in, terminal);
  Runtime runtime{drives.fs(), boxes, host};
  cli::CliContext context{runtime, out, err, false};
  for (auto command : {cli::RunListCommand, cli::RunTestCommand}) {
    EXPECT_EQ(command(context, {}), kExitUsage);
    EXPECT_EQ(command(context, {"D:\\", "C:\\"}), kExitUsage);
    EXPECT_EQ(command(context, {"D:\\"}), kExitUsage);
  }
  EXPECT_EQ(out.str(), "");
  EXPECT_NE(err.str().find("(Kein Archiv in diesem Verzeichnis gefunden)"), std::string::npos);
}

// The restore's mutation loop: list and test of damaged sets end, and write
// nothing anywhere.
TEST_F(SetReadingCommandsTest, MutatedSetsAreReadSafely) {
  const std::vector<std::string> valid = testing::ValidVolumes();
  std::mt19937 random(7122026);
  for (int iteration = 0; iteration < 200; ++iteration) {
    SCOPED_TRACE("iteration " + std::to_string(iteration));
    std::filesystem::remove_all(drives.Native("D:\\Sich"));
    SetBuilder set;
    set.volumes() = valid;
    testing::Mutate(set.volumes(), random);
    Write(set);
    const auto before = Sizes(drives.Root('C').parent_path());
    for (auto command : {cli::RunListCommand, cli::RunTestCommand}) {
      try {
        const int status = Run(command);
        EXPECT_TRUE(status == kExitComplete || status == kExitGivenUp || status == kExitUsage) << status;
      } catch (const testing::ProgramEnded& end) {
        EXPECT_EQ(end.exitStatus, kExitGivenUp);
        drives.fs().CloseAll();
      }
    }
    ASSERT_EQ(Sizes(drives.Root('C').parent_path()), before);
  }
}

}  // namespace
}  // namespace pb
