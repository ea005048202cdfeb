// SPDX-License-Identifier: GPL-3.0-or-later
// parcelbarge-cli backup, called in-process on test drives.
#include <gtest/gtest.h>

#include <sstream>

#include "set_reader.h"
#include "commands.h"
#include "faulty_file_system.h"
#include "scripted_boxes.h"
#include "scripted_host.h"
#include "test_drives.h"

namespace pb::testing {
namespace {

class BackupCommandTest : public ::testing::Test {
 protected:
  BackupCommandTest() { std::filesystem::create_directories(drives.Native("D:\\Sich")); }

  int Backup(const std::vector<std::string>& args, bool terminal = false) {
    cli::CliContext context{runtime, out, err, terminal};
    return cli::RunBackupCommand(context, args);
  }

  std::vector<std::string> Volumes() { return ReadVolumes(drives.Native("D:\\Sich")); }

  void Make(const std::string& drivePath, const std::string& bytes) { WriteFile(drives.Native(drivePath), bytes); }

  TestDrives drives;
  FaultyFileSystem faulty{drives.fs()};
  ScriptedBoxes boxes;
  ScriptedHost host;
  Runtime runtime{faulty, boxes, host};
  std::ostringstream out;
  std::ostringstream err;
};

TEST_F(BackupCommandTest, ArgumentsOutsideTheUsageWriteNothing) {
  Make("C:\\a.txt", "abc");
  const std::vector<std::vector<std::string>> wrong = {
      {},
      {"D:\\Sich"},
      {"--volume-size"},
      {"--bogus", "D:\\Sich", "C:\\a.txt"},
      {"--volume-size", "1423", "D:\\Sich", "C:\\a.txt"},
      {"--volume-size", "12X", "D:\\Sich", "C:\\a.txt"},
      {"D:\\Fehlt", "C:\\a.txt"},
      {"C:\\a.txt", "C:\\a.txt"},
  };
  for (const auto& args : wrong) {
    err.str("");
    EXPECT_EQ(Backup(args), kExitUsage) << ::testing::PrintToString(args);
    EXPECT_NE(err.str().find("Aufruf:"), std::string::npos);
  }
  EXPECT_TRUE(Volumes().empty());
  EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(BackupCommandTest, RefusedInputIsAUsageErrorWithItsMessage) {
  Make("C:\\a.txt", "abc");
  EXPECT_EQ(Backup({"--volume-size", "0K", "D:\\Sich", "C:\\a.txt"}), kExitUsage);
  EXPECT_EQ(err.str(), "Die Größe der Teilblöcke muss über 0 Byte und unter 2048 Mbyte liegen.\n"
                       "Die Sicherung wird nicht gestartet.\n");
  EXPECT_TRUE(Volumes().empty());
}

TEST_F(BackupCommandTest, SourcesAreHandledLikeADropInOrder) {
  Make("C:\\Daten\\b.txt", std::string(3000, 'b'));
  Make("C:\\Daten\\Unter\\c.bin", RandomBytes(5000, 1));
  Make("C:\\einzeln.txt", "einzeln");
  boxes.Then(BoxButton::Ok).Then(BoxButton::Ok);

  const int status = Backup({"--volume-size", "2K", "--description", " Wochenende ", "--", "D:\\Sich",
                             "C:\\einzeln.txt", "C:\\wer?", "C:\\Daten", "C:\\fehlt.txt"});

  ASSERT_EQ(status, kExitComplete) << err.str();
  EXPECT_EQ(boxes.texts().front().rfind("Der Verzeichnisname 'C:\\wer?'", 0), 0u);
  EXPECT_EQ(boxes.texts().back(), "Die Kopie ist fertig!");
  EXPECT_EQ(err.str(), "Übergangen, nicht lesbar: C:\\fehlt.txt\n");
  const std::vector<std::string> volumes = Volumes();
  ASSERT_GT(volumes.size(), 2u);
  for (std::size_t i = 0; i + 1 < volumes.size(); ++i) EXPECT_GE(volumes[i].size(), 2048u);
  const DecodedSet set = DecodeSet(volumes);
  EXPECT_EQ(set.description, "Wochenende");
  ASSERT_EQ(set.files.size(), 3u);
  EXPECT_EQ(set.files[0].name, "C:\\einzeln.txt");
  EXPECT_EQ(set.files[1].name, "C:\\Daten\\b.txt");
  EXPECT_EQ(set.files[2].name, "C:\\Daten\\Unter\\c.bin");
  EXPECT_EQ(set.files[2].data, RandomBytes(5000, 1));
}

TEST_F(BackupCommandTest, GivingUpInABoxEndsWithStatus1) {
  Make("C:\\a.txt", "abc");
  faulty.Fail(Op::Open, 1, 70, "DataBlock");
  boxes.Then(BoxButton::Cancel).Then(BoxButton::Yes);

  EXPECT_EQ(Backup({"D:\\Sich", "C:\\a.txt"}), kExitGivenUp);
  EXPECT_TRUE(boxes.scriptDone());
}

TEST_F(BackupCommandTest, ProgressLineOnlyOnATerminalAndEndedBeforeEachBox) {
  Make("C:\\a.txt", "abc");
  Make("C:\\b.txt", "def");
  boxes.Then(BoxButton::Ok, [&] { EXPECT_EQ(err.str().back(), '\n'); });
  ASSERT_EQ(Backup({"D:\\Sich", "C:\\a.txt", "C:\\b.txt"}, true), kExitComplete);
  EXPECT_NE(err.str().find("\rDatei 2 von 2, 0,0 MB"), std::string::npos) << err.str();

  err.str("");
  boxes.Then(BoxButton::Ok);
  ASSERT_EQ(Backup({"D:\\Sich", "C:\\a.txt"}, false), kExitComplete);
  EXPECT_EQ(err.str(), "");
}

}  // namespace
}  // namespace pb::testing
