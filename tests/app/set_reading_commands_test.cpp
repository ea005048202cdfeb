// SPDX-License-Identifier: GPL-3.0-or-later
// list and test of the command-line tool: they read a set as the restore does
// and write nothing.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "commands.h"
#include "scripted_boxes.h"
#include "scripted_host.h"
#include "set_builder.h"
#include "set_media.h"
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
  int Run(int (*command)(cli::CliContext&, const cli::ReadOptions&), cli::ReadOptions options = {}) {
    std::istringstream in;
    TerminalBoxes boxes(in, terminal);
    Runtime runtime{drives.fs(), boxes, host};
    cli::CliContext context{runtime, out, err, false, false, [&] { return boxes.GiveUpStatus(); }};
    options.source = "D:\\Sich";
    return command(context, options);
  }
  void Write(SetBuilder& set) { set.WriteTo(drives.Native("D:\\Sich")); }

  testing::TestDrives drives;
  testing::ScriptedHost host;
  std::ostringstream out;
  std::ostringstream err;
  std::ostringstream terminal;
};

TEST_F(SetReadingCommandsTest, ListShowsTheChosenFiles) {
  SetBuilder set;
  set.Header(3, "Liste")
      .FileWithData("C:\\Daten\\gro\xDF.bin", testing::RandomBytes(300000, 1))
      .Cut()
      .File(0, "C:\\leer\x1B]0;x\x07")
      .FileWithData("C:\\a.txt", "a");
  Write(set);
  EXPECT_EQ(Run(cli::RunListCommand), kExitComplete);
  EXPECT_EQ(out.str(),
            "(3 Dateien, V1.1)\nListe\n"
            "      300000  C:\\Daten\\groß.bin\n"
            "           0  C:\\leer\\x1B]0;x\\x07\n"
            "           1  C:\\a.txt\n");
  EXPECT_EQ(terminal.str(), "");

  out.str("");
  cli::ReadOptions options;
  options.longList = true;
  options.patterns = {"Daten", "a.*"};
  EXPECT_EQ(Run(cli::RunListCommand, options), kExitComplete);
  // Volume 1 less its header, the file's header and three fragment headers.
  const std::string packed = std::to_string(set.volumes()[0].size() - 35 - 23 - 8 * 3);
  EXPECT_EQ(out.str(),
            "(3 Dateien, V1.1)\nListe\n"
            "       Länge     Gepackt  Band  Zeit              Name\n"
            "      300000" + std::string(12 - packed.size(), ' ') + packed + "     1  -                 C:\\Daten\\groß.bin\n"
            "           1           9     2  -                 C:\\a.txt\n");
}

TEST_F(SetReadingCommandsTest, ListThatCannotReadOnReportsDamage) {
  SetBuilder set;
  set.Header(2).FileWithData("C:\\a.txt", "a").File(5, "C:\\b.txt").RawFragment(6, testing::Compressed("bbbbbb"));
  Write(set);
  EXPECT_EQ(Run(cli::RunListCommand), cli::kExitProblems);
  EXPECT_EQ(out.str(), "(2 Dateien, V1.1)\n           1  C:\\a.txt\n           5  C:\\b.txt\n");
  EXPECT_EQ(err.str(), "parcelbarge-cli: abgebrochen: Fragmentlängen passen nicht zur Datei oder zum Datenträger\n");
  EXPECT_NE(terminal.str().find("Auf das Archiv kann kann nicht zugegriffen werden."), std::string::npos);
}

// test says FEHLER for every file a restore would not bring back as stored,
// and warns of what follows the set's end.
TEST_F(SetReadingCommandsTest, TestAgreesWithTheRestore) {
  std::string damaged = testing::Compressed(std::string(1000, 'x'));
  damaged[damaged.size() - 2] ^= 1;  // the checksum
  const std::string tooLong = "C:\\" + std::string(256, 'l');
  const struct {
    const char* what;
    std::function<void(SetBuilder&)> build;
    int status;
    std::string lines;  // after the summary line of the probe
  } cases[] = {
      {"intact", [](SetBuilder& s) { s.Header(2).FileWithData("C:\\a.bin", testing::RandomBytes(200000, 2)).Cut().FileWithData("C:\\b", "b"); },
       kExitComplete, "OK      C:\\a.bin\nOK      C:\\b\n2 von 2 Dateien vollständig gelesen, 0 fehlerhaft\n"},
      {"damaged fragment and names the restore refuses",
       [&](SetBuilder& s) {
         s.Header(5)
             .File(2000, "C:\\kaputt.bin")
             .Fragment(std::string(1000, 'y'))
             .RawFragment(1000, damaged)
             .FileWithData("C:\\..\\..\\boese", "boese")
             .FileWithData(tooLong, "lang")
             .FileWithData("C:\\gut", "gut")
             .FileWithData("C:\\gut\\unter", "unter");
       },
       cli::kExitProblems,
       "FEHLER  C:\\kaputt.bin: Fragment 2 lässt sich nicht entpacken (-3)\n"
       "FEHLER  C:\\..\\..\\boese: Name würde bei der Wiederherstellung abgelehnt\n"
       "FEHLER  " + tooLong + ": Name würde bei der Wiederherstellung abgelehnt\n"
       "OK      C:\\gut\n"
       "FEHLER  C:\\gut\\unter: ein Verzeichnis im Namen ist eine frühere Datei des Satzes\n"
       "5 von 5 Dateien vollständig gelesen, 4 fehlerhaft\n"},
      {"a name that is an earlier file's directory",
       [](SetBuilder& s) { s.Header(2).FileWithData("C:\\d\\e", "e").FileWithData("C:\\d", "d"); }, cli::kExitProblems,
       "OK      C:\\d\\e\nFEHLER  C:\\d: der Name ist ein Verzeichnis früherer Dateien des Satzes\n"
       "2 von 2 Dateien vollständig gelesen, 1 fehlerhaft\n"},
      {"lengths out of step",
       [](SetBuilder& s) { s.Header(2).FileWithData("C:\\gut", "gut").File(10, "C:\\zu lang").RawFragment(11, testing::Compressed("elf Zeichen")); },
       cli::kExitProblems,
       "OK      C:\\gut\n"
       "FEHLER  C:\\zu lang: Fragmentlängen passen nicht zur Datei oder zum Datenträger, abgebrochen\n"
       "1 von 2 Dateien vollständig gelesen, 1 fehlerhaft; Prüfung abgebrochen\n"},
      {"no files", [](SetBuilder& s) { s.Header(0); }, cli::kExitProblems,
       "FEHLER  Der Satz nennt 0 Dateien\n0 von 0 Dateien vollständig gelesen, 1 fehlerhaft\n"},
      {"negative file count", [](SetBuilder& s) { s.Header(-3).FileWithData("C:\\a", "a"); }, cli::kExitProblems,
       "FEHLER  Der Satz nennt -3 Dateien\n0 von -3 Dateien vollständig gelesen, 1 fehlerhaft\n"},
      {"bytes and a volume after the end",
       [](SetBuilder& s) { s.Header(1).FileWithData("C:\\a", "a").Raw("Rest").Cut().Raw("alt"); }, cli::kExitProblems,
       "OK      C:\\a\nWARNUNG 4 Byte nach der letzten Datei\n"
       "WARNUNG DataBlock#2.Parcelbarge folgt nach dem Ende des Satzes\n"
       "1 von 1 Dateien vollständig gelesen, 0 fehlerhaft, 2 Warnungen\n"},
      {"a missing volume", [](SetBuilder& s) { s.Header(3).FileWithData("C:\\a", "a").Cut().FileWithData("C:\\b", "b").Cut().FileWithData("C:\\c", "c"); },
       cli::kExitUnavailable,
       "OK      C:\\a\nFEHLER  (Datei 2): der nächste Datenträger fehlt, abgebrochen\n"
       "1 von 3 Dateien vollständig gelesen, 1 fehlerhaft; Prüfung abgebrochen\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove_all(drives.Native("D:\\Sich"));
    out.str("");
    SetBuilder set;
    c.build(set);
    Write(set);
    if (std::string(c.what) == "a missing volume") std::filesystem::remove(drives.Native("D:\\Sich\\DataBlock#2.Parcelbarge"));
    const auto before = Sizes(drives.Root('C').parent_path());
    EXPECT_EQ(Run(cli::RunTestCommand), c.status);
    const std::string text = out.str();
    EXPECT_EQ(text.substr(text.find('\n') + 1), c.lines);
    EXPECT_EQ(Sizes(drives.Root('C').parent_path()), before);
  }
}

// The restore's mutation loop: list and test of damaged sets end, and write
// nothing anywhere.
// A backup given up after volume 2 of a set that promised three files.
struct IncompleteCase {
  const char* name;
  int (*command)(cli::CliContext&, const cli::ReadOptions&);
  int status;
  std::string out;
  std::string err;
};

void PrintTo(const IncompleteCase& row, std::ostream* out) { *out << row.name; }

class IncompleteSetTest : public SetReadingCommandsTest, public ::testing::WithParamInterface<IncompleteCase> {};

const std::string kIncomplete =
    "Der Sicherungssatz ist unvollständig: die Sicherung wurde nach Band 2 nicht zu Ende geführt.\n";

TEST_P(IncompleteSetTest, SaysSoWithoutAskingForAVolumeThatCannotCome) {
  SetBuilder set;
  set.Header(3).FileWithData("C:\\a", "a").Cut().FileWithData("C:\\b", "b");
  Write(set);
  testing::WriteFile(drives.Native("D:\\Sich\\Parcelbarge-Kennung.txt"),
                     testing::IdentityRecordOf(set.volumes(), std::string(32, 'c'), 1, 2, VolumeState::GivenUp));
  EXPECT_EQ(Run(GetParam().command), GetParam().status);
  EXPECT_EQ(out.str(), GetParam().out);
  EXPECT_EQ(err.str(), GetParam().err);
  EXPECT_EQ(terminal.str(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Commands, IncompleteSetTest,
    ::testing::Values(
        IncompleteCase{"Probe", cli::RunProbeCommand, kExitComplete, "(3 Dateien, V1.1)\n" + kIncomplete, ""},
        IncompleteCase{"List", cli::RunListCommand, cli::kExitProblems,
                       "(3 Dateien, V1.1)\n           1  C:\\a\n           1  C:\\b\n",
                       "parcelbarge-cli: " + kIncomplete},
        IncompleteCase{"Test", cli::RunTestCommand, cli::kExitProblems,
                       "(3 Dateien, V1.1)\nOK      C:\\a\nOK      C:\\b\n"
                       "FEHLER  (Datei 3): der Satz endet mit Band 2, abgebrochen\n" + kIncomplete +
                           "2 von 3 Dateien vollständig gelesen, 1 fehlerhaft; Prüfung abgebrochen\n",
                       ""}),
    [](const ::testing::TestParamInfo<IncompleteCase>& row) { return row.param.name; });

// test reads a set as the restore does: a diskette of another set is refused
// before anything is read from it.
TEST_F(SetReadingCommandsTest, TestRefusesADisketteOfAnotherSet) {
  const auto volumes = [](const std::string& data) {
    SetBuilder set;
    set.Header(2).FileWithData("C:\\a", data).Cut().FileWithData("C:\\b", data);
    return set.volumes();
  };
  const std::vector<std::string> a = volumes(testing::RandomBytes(5000, 1));
  const std::vector<std::string> b = volumes(testing::RandomBytes(5000, 2));
  const std::filesystem::path drive = drives.Native("D:\\Sich");
  testing::PutInDrive(drive, testing::DisketteOf(a, std::string(32, 'a'), 1));
  testing::ScriptedBoxes boxes;
  boxes.Then(BoxButton::Ok, [&] { testing::PutInDrive(drive, testing::DisketteOf(b, std::string(32, 'b'), 2)); })
      .Then(BoxButton::Ok)
      .Then(BoxButton::Ok, [&] { testing::PutInDrive(drive, testing::DisketteOf(a, std::string(32, 'a'), 2)); });
  Runtime runtime{drives.fs(), boxes, host};
  cli::CliContext context{runtime, out, err};
  cli::ReadOptions options;
  options.source = "D:\\Sich";

  EXPECT_EQ(cli::RunTestCommand(context, options), kExitComplete);

  const std::string next = "Bitte den nächsten Datenträger dieses Sicherungssatzes\reinlegen und auf OK klicken.";
  EXPECT_EQ(boxes.texts(),
            (std::vector<std::string>{next, "Dieser Datenträger gehört nicht zu diesem Sicherungssatz.", next}));
  EXPECT_EQ(out.str(), "(2 Dateien, V1.1)\nOK      C:\\a\nOK      C:\\b\n2 von 2 Dateien vollständig gelesen, 0 fehlerhaft\n");
}

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
      const int status = Run(command);
      EXPECT_TRUE(status == kExitComplete || status == cli::kExitProblems || status == cli::kExitUnavailable ||
                  status == kExitFatal)
          << status;
    }
    ASSERT_EQ(Sizes(drives.Root('C').parent_path()), before);
  }
}

}  // namespace
}  // namespace pb
