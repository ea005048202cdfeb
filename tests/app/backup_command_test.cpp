// SPDX-License-Identifier: GPL-3.0-or-later
// parcelbarge-cli backup, called in-process on test drives.
#include <gtest/gtest.h>

#include <sstream>

#include "commands.h"
#include "faulty_file_system.h"
#include "scripted_boxes.h"
#include "scripted_host.h"
#include "set_reader.h"
#include "test_drives.h"

namespace pb::testing {
namespace {

class BackupCommandTest : public ::testing::Test {
 protected:
  BackupCommandTest() { std::filesystem::create_directories(drives.Native("D:\\Sich")); }

  int Backup(cli::BackupOptions options, bool terminal = false) {
    cli::CliContext context{runtime, out, err, terminal};
    if (options.target.empty()) options.target = "D:\\Sich";
    return cli::RunBackupCommand(context, options);
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

TEST_F(BackupCommandTest, SourcesAreHandledLikeADropInOrder) {
  Make("C:\\Daten\\b.txt", std::string(3000, 'b'));
  Make("C:\\Daten\\Unter\\c.bin", RandomBytes(5000, 1));
  Make("C:\\Daten\\.profil", "versteckt");
  Make("C:\\einzeln.txt", "einzeln");
  boxes.Then(BoxButton::Ok).Then(BoxButton::Ok);

  cli::BackupOptions options;
  options.volumeSize = 2048;
  options.description = " Wochenende ";
  options.sources = {"C:\\einzeln.txt", "C:\\wer?", "C:\\Daten", "C:\\fehlt.txt"};
  const int status = Backup(options);

  ASSERT_EQ(status, cli::kExitProblems) << err.str();
  EXPECT_EQ(boxes.texts().front().rfind("Der Verzeichnisname 'C:\\wer?'", 0), 0u);
  EXPECT_EQ(boxes.texts().back(), "Die Kopie ist fertig!");
  EXPECT_EQ(err.str(), "Übergangen: " + drives.Native("C:\\fehlt.txt").string() +
                           ": Datei nicht gefunden\nÜbergangen: 1 Eintrag, dessen Name mit \".\" beginnt\n");
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

// Sources written out with steps, doubled or trailing separators are stored
// under their plain names, which a restore can give back.
TEST_F(BackupCommandTest, WrittenOutSourcesAreStoredUnderTheirPlainNames) {
  Make("C:\\Daten\\leer", "");
  Make("C:\\Daten\\b.txt", "b");
  Make("C:\\Daten\\c.txt", "c");
  Make("C:\\Daten\\d.txt", "d");
  const struct {
    std::string source;
    const char* stored;
  } table[] = {
      {"C:\\Daten\\leer\\", "C:\\Daten\\leer"},
      {"C:\\Daten\\..\\Daten\\.\\b.txt", "C:\\Daten\\b.txt"},
      {"c:\\\\Daten\\\\c.txt", "C:\\Daten\\c.txt"},
      // A native path, no drive form on Windows either.
      {GenericUtf8(drives.Native("C:\\Daten\\d.txt")) + "/", "C:\\Daten\\d.txt"},
#ifdef _WIN32
      {"C:\\Daten.\\leer. ", "C:\\Daten\\leer"},
#endif
  };
  for (const auto& c : table) {
    SCOPED_TRACE(c.source);
    std::filesystem::remove_all(drives.Native("D:\\Sich"));
    std::filesystem::create_directories(drives.Native("D:\\Sich"));
    boxes.Then(BoxButton::Ok);
    cli::BackupOptions options;
    options.sources = {c.source};
    ASSERT_EQ(Backup(options), kExitComplete) << err.str();
    const DecodedSet set = DecodeSet(Volumes());
    ASSERT_EQ(set.files.size(), 1u);
    EXPECT_EQ(set.files[0].name, c.stored);
  }
}

#ifdef _WIN32
// Paths on no drive are refused with their reason, never taken as a path on
// the current drive.
TEST_F(BackupCommandTest, NetworkAndSystemPathsAreRefusedWithTheirReason) {
  Make("C:\\srv\\share\\x", "x");
  const std::string network = "Netzwerkpfade (\\\\Rechner\\Freigabe) werden nicht unterstützt; bitte die Freigabe als "
                              "Laufwerk verbinden";
  const std::string system = "Pfade der Form \\\\?\\ und \\\\.\\ werden nicht unterstützt; bitte den Pfad mit "
                             "Laufwerksbuchstaben angeben";
  const std::pair<const char*, const std::string&> table[] = {
      {"\\\\srv\\share\\x", network},
      {"//srv/share/x", network},
      {"\\\\?\\C:\\srv\\share\\x", system},
      {"\\\\.\\C:\\srv\\share\\x", system},
  };
  for (const auto& [path, reason] : table) {
    SCOPED_TRACE(path);
    err.str("");
    cli::BackupOptions options;
    options.sources = {path};
    EXPECT_EQ(Backup(options), kExitUsage);
    EXPECT_EQ(err.str(), std::string("Übergangen: ") + path + ": " + reason +
                             "\nNichts zu sichern: keine lesbare Datei in den Quellen.\n");
    err.str("");
    options.sources = {"C:\\srv\\share\\x"};
    options.target = path;
    EXPECT_EQ(Backup(options), kExitUsage);
    EXPECT_EQ(err.str(), std::string("parcelbarge-cli: ") + path + ": " + reason + "\n");
  }
  EXPECT_TRUE(Volumes().empty());
}
#endif

// A file that cannot be opened is named and left out before the run starts,
// so the run does not stop at it.
TEST_F(BackupCommandTest, UnreadableFilesAreLeftOutBeforeTheRun) {
  Make("C:\\a.txt", "abc");
  Make("C:\\gesperrt.txt", "gesperrt");
  faulty.Fail(Op::Open, 1, 70, "gesperrt");
  boxes.Then(BoxButton::Ok);
  cli::BackupOptions options;
  options.sources = {"C:\\gesperrt.txt", "C:\\a.txt"};
  EXPECT_EQ(Backup(options), cli::kExitProblems);
  EXPECT_EQ(err.str(), "Übergangen: " + drives.Native("C:\\gesperrt.txt").string() + ": Zugriff verweigert\n");
  const DecodedSet set = DecodeSet(Volumes());
  ASSERT_EQ(set.files.size(), 1u);
  EXPECT_EQ(set.files[0].name, "C:\\a.txt");
}

TEST_F(BackupCommandTest, GivingUpInABoxEndsWithTheBoxesStatus) {
  const struct {
    std::string target;
    int boxesStatus;
    int expected;
  } cases[] = {
      {"D:\\Sich", 42, 42},
      {"D:\\Sich", kExitFatal, kExitFatal},
      // No diskette in the drive: the medium is not available.
      {"A:", kExitFatal, cli::kExitUnavailable},
      {"A:", cli::kExitCancelled, cli::kExitCancelled},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.target + " " + std::to_string(c.boxesStatus));
    TestDrives notReady(true);
    FaultyFileSystem fs(notReady.fs());
    ScriptedBoxes answers;
    Runtime run{fs, answers, host};
    WriteFile(notReady.Native("C:\\a.txt"), "abc");
    std::filesystem::create_directories(notReady.Native("D:\\Sich"));
    fs.Fail(Op::Open, 1, 70, "DataBlock");
    answers.Then(BoxButton::Cancel).Then(BoxButton::Yes);
    cli::CliContext context{run, out, err, false, false, [&] { return c.boxesStatus; }};
    cli::BackupOptions options;
    options.target = c.target;
    options.sources = {"C:\\a.txt"};
    EXPECT_EQ(cli::RunBackupCommand(context, options), c.expected);
    EXPECT_TRUE(answers.scriptDone());
  }
}

TEST_F(BackupCommandTest, VerifyReadsEachVolumeBackPastTheCache) {
  Make("C:\\a.bin", RandomBytes(5000, 2));
  boxes.Then(BoxButton::Ok).Then(BoxButton::Ok);
  cli::BackupOptions options;
  options.volumeSize = 2048;
  options.sources = {"C:\\a.bin"};
  ASSERT_EQ(Backup(options), kExitComplete);
  EXPECT_EQ(faulty.calls(Op::DropCache), 0);
  options.verify = true;
  ASSERT_EQ(Backup(options), kExitComplete);
  EXPECT_EQ(faulty.calls(Op::DropCache), static_cast<int>(Volumes().size()));
  EXPECT_EQ(faulty.calls(Op::Open, "DataBlock#3"), 1 + 2);  // written; written and read back
}

TEST_F(BackupCommandTest, ProgressLineOnlyOnATerminalAndEndedBeforeEachBox) {
  Make("C:\\a.txt", "abc");
  Make("C:\\b.txt", "def");
  boxes.Then(BoxButton::Ok, [&] { EXPECT_EQ(err.str().back(), '\n'); });
  cli::BackupOptions options;
  options.sources = {"C:\\a.txt", "C:\\b.txt"};
  ASSERT_EQ(Backup(options, true), kExitComplete);
  EXPECT_NE(err.str().find("\r0 %, 0,0 von 0,0 MB"), std::string::npos) << err.str();

  err.str("");
  boxes.Then(BoxButton::Ok);
  ASSERT_EQ(Backup(options, false), kExitComplete);
  EXPECT_EQ(err.str(), "");
}

}  // namespace
}  // namespace pb::testing
