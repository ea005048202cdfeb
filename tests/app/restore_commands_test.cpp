// SPDX-License-Identifier: GPL-3.0-or-later
// probe and restore of the command-line tool, called in process over test
// drives, with the terminal's message boxes.
#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "commands.h"
#include "read_options.h"
#include "scripted_host.h"
#include "set_builder.h"
#include "terminal_boxes.h"
#include "test_drives.h"

namespace pb {
namespace {

using testing::Read;
using testing::SetBuilder;

class RestoreCommandsTest : public ::testing::Test {
 protected:
  // A native path that is no drive form on Windows either.
  std::string Native(const std::string& drivePath) { return testing::GenericUtf8(drives.Native(drivePath)); }

  // Runs a command with answers typed on the terminal.
  template <class Options>
  int Run(int (*command)(cli::CliContext&, const Options&), const Options& options, const std::string& typed = "") {
    std::istringstream in(typed);
    TerminalBoxes boxes(in, terminal);
    Runtime runtime{drives.fs(), boxes, host};
    cli::CliContext context{runtime, out, err, false};
    return command(context, options);
  }

  testing::TestDrives drives;
  testing::ScriptedHost host;
  std::ostringstream out;
  std::ostringstream err;
  std::ostringstream terminal;
};

TEST_F(RestoreCommandsTest, ProbePrintsTheSummaryAndTheDescriptionSafely) {
  SetBuilder set;
  set.Header(12, "Fotos f\xFCr Oma\x1B[2J").FileWithData("C:\\a", "a");
  set.WriteTo(drives.Native("D:\\Sich"));
  EXPECT_EQ(Run(cli::RunProbeCommand, Read(Native("D:\\Sich"))), kExitComplete);
  EXPECT_EQ(out.str(), "(12 Dateien, V1.1)\nFotos für Oma\\x1B[2J\n");
  out.str("");
  EXPECT_EQ(Run(cli::RunProbeCommand, Read("d:\\Sich")), kExitComplete);
  EXPECT_EQ(out.str(), "(12 Dateien, V1.1)\nFotos für Oma\\x1B[2J\n");
  EXPECT_EQ(err.str(), "");

  out.str("");
  // A directory on none of the drives.
  EXPECT_EQ(Run(cli::RunProbeCommand, Read("/proc/self")), kExitUsage);
  EXPECT_NE(err.str().find("/proc/self"), std::string::npos) << err.str();
  EXPECT_EQ(out.str(), "");
}

TEST_F(RestoreCommandsTest, RestoreThatEndsWithoutEveryFileIntact) {
  std::string damaged = testing::Compressed("Inhalt");
  damaged[3] ^= 0x40;
  SetBuilder set;
  set.Header(2).File(6, "C:\\kaputt").RawFragment(6, damaged).FileWithData("C:\\heil", "heil");
  set.WriteTo(drives.Native("D:\\Sich"));
  EXPECT_EQ(Run(cli::RunRestoreCommand, Read("D:\\Sich", "C:\\Rueck")), cli::kExitProblems);
  EXPECT_NE(terminal.str().find("ZlibDecompressString(Buffer, FragmentHeader.NormalLen)"), std::string::npos);
  EXPECT_EQ(testing::ReadFile(drives.Native("C:\\Rueck\\kaputt")), std::string(6, '\0'));
  EXPECT_EQ(testing::ReadFile(drives.Native("C:\\Rueck\\heil")), "heil");
}

TEST_F(RestoreCommandsTest, RestoresWhatTheBackupCommandWrote) {
  const std::map<std::string, std::string> tree = {
      {"leer", ""},
      {"Unter/gro\xC3\x9F.bin", testing::RandomBytes(2000000, 62)},
      {"Unter/genau.bin", testing::RandomBytes(131072, 63)},
      {"z\xC3\xA4hlt.txt", std::string(400000, 'z')},
  };
  for (const auto& [name, bytes] : tree) {
    testing::WriteFile(drives.Native("C:\\Daten") / testing::NativePath(name), bytes);
  }
  std::filesystem::create_directories(drives.Native("D:\\Sich"));
  cli::BackupOptions backup;
  backup.volumeSize = 1457152;
  backup.target = Native("D:\\Sich");
  backup.sources = {Native("C:\\Daten")};
  ASSERT_EQ(Run(cli::RunBackupCommand, backup), kExitComplete) << err.str();
  ASSERT_TRUE(std::filesystem::exists(drives.Native("D:\\Sich\\DataBlock#2.Parcelbarge")));

  // The target and its parents are created as the files need them.
  EXPECT_EQ(Run(cli::RunRestoreCommand, Read(Native("D:\\Sich"), Native("C:\\Rueck\\Neu"))), kExitComplete);
  for (const auto& [name, bytes] : tree) {
    const auto restored = drives.Native("C:\\Rueck\\Neu\\Daten") / testing::NativePath(name);
    EXPECT_TRUE(testing::ReadFile(restored) == bytes) << name;
  }
}

// Patterns choose stored names, --strip-components drops leading directories,
// --keep-existing leaves what is there and names it.
TEST_F(RestoreCommandsTest, RestoreOptionsChooseAndPlaceFiles) {
  SetBuilder set;
  set.Header(4)
      .FileWithData("C:\\Fotos\\2026\\a.jpg", "a")
      .FileWithData("C:\\Fotos\\b.jpg", "b")
      .FileWithData("C:\\Briefe\\c.txt", "c")
      .FileWithData("C:\\d.txt", "d");
  set.WriteTo(drives.Native("D:\\Sich"));
  const struct {
    std::vector<std::string> patterns;
    int strip;
    bool keep;
    std::vector<std::string> restored;  // below C:\Rueck, in the order of the set
    bool kept;  // Fotos\b.jpg was there and is named
    std::string unmatched;  // the pattern named as choosing nothing
    std::string stripped = "";  // the stored name of which stripping leaves nothing
  } cases[] = {
      {{}, 0, false, {"Fotos/2026/a.jpg", "Fotos/b.jpg", "Briefe/c.txt", "d.txt"}, false, ""},
      {{"Fotos"}, 0, false, {"Fotos/2026/a.jpg", "Fotos/b.jpg"}, false, ""},
      {{"C:/Fotos/2026/"}, 0, false, {"Fotos/2026/a.jpg"}, false, ""},
      {{"*.txt"}, 0, false, {"Briefe/c.txt", "d.txt"}, false, ""},
      {{"Fotos/?.jpg", "d*"}, 0, false, {"Fotos/b.jpg", "d.txt"}, false, ""},
#ifdef _WIN32
      // Case counts as little as in Windows' own names.
      {{"fotos"}, 0, false, {"Fotos/2026/a.jpg", "Fotos/b.jpg"}, false, ""},
      {{"*.TXT", "c:/FOTOS/B.jpg"}, 0, false, {"Fotos/b.jpg", "Briefe/c.txt", "d.txt"}, false, ""},
#else
      {{"fotos"}, 0, false, {}, false, "fotos"},
      {{"*.TXT"}, 0, false, {}, false, "*.TXT"},
#endif
      {{"Fotos", "*.doc"}, 0, false, {"Fotos/2026/a.jpg", "Fotos/b.jpg"}, false, "*.doc"},
      {{}, 1, false, {"2026/a.jpg", "b.jpg", "c.txt"}, false, "", "C:\\d.txt"},
      {{"Fotos"}, 2, false, {"a.jpg"}, false, "", "C:\\Fotos\\b.jpg"},
      {{}, 0, true, {"Fotos/2026/a.jpg", "Briefe/c.txt", "d.txt"}, true, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.patterns) + " strip " + std::to_string(c.strip));
    std::filesystem::remove_all(drives.Native("C:\\Rueck"));
    if (c.keep) testing::WriteFile(drives.Native("C:\\Rueck\\Fotos\\b.jpg"), "alt");
    err.str("");
    cli::ReadOptions options = Read("D:\\Sich", "C:\\Rueck");
    options.patterns = c.patterns;
    options.stripComponents = c.strip;
    options.keepExisting = c.keep;
    EXPECT_EQ(Run(cli::RunRestoreCommand, options),
              c.unmatched.empty() && c.stripped.empty() ? kExitComplete : cli::kExitProblems);
    std::vector<std::string> restored;
    const std::filesystem::path root = drives.Native("C:\\Rueck");
    if (std::filesystem::exists(root)) {
      for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file()) continue;
        const std::string name = testing::GenericUtf8(entry.path().lexically_relative(root));
        if (c.keep && name == "Fotos/b.jpg") {
          EXPECT_EQ(testing::ReadFile(entry.path()), "alt");
          continue;
        }
        restored.push_back(name);
      }
    }
    std::sort(restored.begin(), restored.end());
    std::vector<std::string> expected = c.restored;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(restored, expected);
    EXPECT_EQ(err.str(), (c.kept ? "Beibehalten: " + drives.table().ToNative("C:\\Rueck\\Fotos\\b.jpg") + "\n" : "") +
                             (c.stripped.empty() ? ""
                                                 : "Übergangen: " + c.stripped +
                                                       ": nach --strip-components bleibt vom Namen nichts\n") +
                             (c.unmatched.empty() ? "" : "parcelbarge-cli: nicht im Sicherungssatz: " + c.unmatched + "\n"));
  }
}

}  // namespace
}  // namespace pb
