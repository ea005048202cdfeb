// SPDX-License-Identifier: GPL-3.0-or-later
// Repair volumes from backup to test, repair and restore: each way a set can
// lose volumes, on a directory and on diskettes copied into one directory.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <sstream>

#include "backup/write_archive.h"
#include "commands.h"
#include "read_options.h"
#include "diskette.h"
#include "scripted_boxes.h"
#include "scripted_host.h"
#include "set_reader.h"
#include "store/repair_code.h"
#include "terminal_boxes.h"
#include "test_drives.h"

namespace pb {
namespace {

namespace fs = std::filesystem;
using testing::Read;
using testing::ReadFile;
using testing::WriteFile;

// Named so that a walk of C:\Daten takes them in this order too.
const std::vector<std::pair<std::string, std::size_t>> kSources = {
    {"C:\\Daten\\1eins.bin", 3000}, {"C:\\Daten\\2zwei.bin", 2400000}, {"C:\\Daten\\3leer.txt", 0},
    {"C:\\Daten\\4drei.bin", 3600000}, {"C:\\Daten\\5vier.bin", 700000}};

struct NoDisplay : BackupDisplay {
  void SetProgress(int) override {}
};

class RepairCommandsTest : public ::testing::TestWithParam<bool> {
 protected:
  RepairCommandsTest() : drives(GetParam()) {
    unsigned seed = 5;
    for (const auto& [path, size] : kSources) WriteFile(drives.Native(path), testing::RandomBytes(size, ++seed));
  }

  void SetUp() override {
    if (!RepairCodeAvailable()) GTEST_SKIP() << "built without the repair code";
  }

  template <class Options>
  int Run(int (*command)(cli::CliContext&, const Options&), const Options& options) {
    std::istringstream in;
    TerminalBoxes boxes(in, terminal, cli::TerminalOptions{false, true});
    Runtime runtime{drives.fs(), boxes, host};
    cli::CliContext context{runtime, out, err, false, true};
    return command(context, options);
  }

  // The set with rows repair volumes in D:\Satz: written there, or on
  // diskettes whose files the user then copied into it.
  void Backup(int rows = 2) {
    if (!GetParam()) {
      cli::BackupOptions options;
      options.volumeSize = 1423 * 1024;
      options.repairVolumes = rows;
      options.target = "D:\\Satz";
      options.sources = {"C:\\Daten"};
      fs::create_directories(drives.Native("D:\\Satz"));
      ASSERT_EQ(Run(cli::RunBackupCommand, options), kExitComplete) << err.str();
      return;
    }
    testing::Diskette diskette(drives.Root('A'));
    if (!diskette.mounted()) GTEST_SKIP() << "no tmpfs diskette can be mounted here: " << diskette.reason();
    BackupPlan plan;
    plan.target = "A:\\";
    plan.diskette = true;
    plan.repairVolumes = rows;
    for (const auto& source : kSources) plan.files.push_back(source.first);
    NoDisplay display;
    testing::ScriptedBoxes boxes;
    int media = 0;
    auto takeOut = [&] {
      ++media;
      for (const auto& entry : fs::directory_iterator(drives.Root('A'))) {
        fs::copy_file(entry.path(), drives.Native("D:\\Satz") / entry.path().filename(),
                      fs::copy_options::overwrite_existing);
      }
    };
    for (int i = 0; i < 20; ++i) {
      boxes.Then(BoxButton::Ok, [&] {
        const std::string text = boxes.shown().back().text;
        if (text == "Die Kopie ist fertig!") return;
        takeOut();
        diskette.Change();
        // Old files on the diskette for a repair volume leave it too little
        // room: the repair volume goes on on the next one.
        if (text.starts_with("Bitte eine leere Diskette für Reparaturband")) {
          WriteFile(drives.Root('A') / "alt.bin", std::string(200000, 'x'));
        }
      });
    }
    fs::create_directories(drives.Native("D:\\Satz"));
    Runtime runtime{drives.fs(), boxes, host};
    ASSERT_EQ(WriteArchive(runtime, plan, display), BackupOutcome::Complete);
    takeOut();
    EXPECT_EQ(media, 5 + 2 * rows);  // five volumes, then each repair volume over two diskettes
    EXPECT_EQ(fs::exists(drives.Native("D:\\Satz\\Reparatur#1-2.Parcelbarge")), rows > 0);
    EXPECT_EQ(fs::exists(drives.Native("D:\\Satz\\Reparatur#2-2.Parcelbarge")), rows > 0);
  }

  // D:\Satz as it was written, then damaged; nothing restored yet.
  void Damage(const fs::path& pristine, const std::function<void(const fs::path& set)>& damage) {
    const fs::path set = drives.Native("D:\\Satz");
    fs::remove_all(set);
    fs::remove_all(drives.Native("C:\\Rueck"));
    fs::copy(pristine, set);
    damage(set);
  }

  // The files named restored byte for byte; no other file restored whole.
  void ExpectRestored(const std::set<std::string>& whole) {
    for (const auto& [path, size] : kSources) {
      const fs::path restored = drives.Native("C:\\Rueck" + path.substr(2));
      const bool same = fs::exists(restored) && ReadFile(restored) == ReadFile(drives.Native(path));
      EXPECT_EQ(same, whole.count(path) != 0) << path;
    }
  }

  std::string Volume(int number) { return "D:\\Satz\\DataBlock#" + std::to_string(number) + ".Parcelbarge"; }

  testing::TestDrives drives;
  testing::ScriptedHost host;
  std::ostringstream out;
  std::ostringstream err;
  std::ostringstream terminal;
};

// What test and restore both name where volumes are lost for good.
struct Named {
  std::string cutFile;        // stored name of the file written up to the lost volumes; "" for none
  std::string cutBy;          // what the lost volumes are, as both say it
  std::string filesLost;      // the line on files begun in them; "" for none
  std::set<std::string> whole;  // files restored byte for byte all the same
};

struct Loss {
  const char* what;
  std::function<void(const fs::path& set)> damage;
  std::vector<std::string> testSays;  // lines test prints about volumes
  std::vector<int> lost;              // volumes the repair cannot rebuild
  const char* summary;
  Named named = {};
};

void Remove(const fs::path& file) { ASSERT_TRUE(fs::remove(file)) << file; }
void Flip(const fs::path& file, std::size_t at) {
  std::string bytes = ReadFile(file);
  bytes[at] = static_cast<char>(bytes[at] ^ 0x5A);
  WriteFile(file, bytes);
}
fs::path V(const fs::path& set, int n) { return set / ("DataBlock#" + std::to_string(n) + ".Parcelbarge"); }
fs::path R(const fs::path& set, int n) { return set / ("Reparatur#" + std::to_string(n) + ".Parcelbarge"); }

const char* const kWhole = "Der Satz ist mit den Reparaturbänden vollständig wiederherstellbar.";

void ExpectNamedByTest(const Named& named, const std::string& out) {
  if (!named.cutFile.empty()) {
    EXPECT_NE(out.find("FEHLER  " + named.cutFile + ": " + named.cutBy + ", der Rest der Datei ist verloren\n"),
              std::string::npos)
        << out;
  }
  if (!named.filesLost.empty()) {
    EXPECT_NE(out.find("FEHLER  " + named.filesLost + "\n"), std::string::npos) << out;
  }
}

void ExpectNamedByRestore(const Named& named, const std::string& err) {
  if (!named.cutFile.empty()) {
    const std::string cut = "parcelbarge-cli: " + named.cutBy + ", der Rest der Datei ist verloren: ";
    const std::size_t at = err.find(cut);
    ASSERT_NE(at, std::string::npos) << err;
    const std::string base = named.cutFile.substr(named.cutFile.rfind('\\') + 1);
    EXPECT_EQ(err.substr(at + cut.size(), err.find('\n', at) - at - cut.size()).ends_with("/" + base), true) << err;
  }
  if (!named.filesLost.empty()) {
    EXPECT_NE(err.find("parcelbarge-cli: " + named.filesLost + "\n"), std::string::npos) << err;
  }
}

TEST_P(RepairCommandsTest, EachLossIsRebuiltOrNamed) {
  Backup();
  if (IsSkipped()) return;
  const fs::path set = drives.Native("D:\\Satz");
  ASSERT_TRUE(fs::exists(V(set, 5)));
  ASSERT_FALSE(fs::exists(V(set, 6)));
  std::map<int, std::string> original;
  for (int n = 1; n <= 5; ++n) original[n] = ReadFile(V(set, n));
  const fs::path pristine = drives.Native("D:\\Heil");
  fs::copy(set, pristine);

  const std::vector<Loss> losses = {
      {"one of five missing", [](const fs::path& s) { Remove(V(s, 3)); }, {"Band 3 fehlt; wiederherstellbar"}, {}, kWhole},
      {"one damaged in the middle", [&](const fs::path& s) { Flip(V(s, 3), original[3].size() / 2); },
       {"Band 3 ist beschädigt; wiederherstellbar"}, {}, kWhole},
      {"the short last missing", [](const fs::path& s) { Remove(V(s, 5)); }, {"Band 5 fehlt; wiederherstellbar"}, {}, kWhole},
      {"two missing", [](const fs::path& s) { Remove(V(s, 2)); Remove(V(s, 4)); },
       {"Band 2 fehlt; wiederherstellbar", "Band 4 fehlt; wiederherstellbar"}, {}, kWhole},
      {"three missing", [](const fs::path& s) { Remove(V(s, 2)); Remove(V(s, 3)); Remove(V(s, 4)); },
       {"Band 2 fehlt; nicht wiederherstellbar", "Band 3 fehlt; nicht wiederherstellbar",
        "Band 4 fehlt; nicht wiederherstellbar"},
       {2, 3, 4},
       "Der Satz ist nicht vollständig wiederherstellbar: die Bände 2, 3 und 4 bleiben verloren.",
       {"C:\\Daten\\2zwei.bin", "die Bände 2 bis 4 fehlen",
        "2 Dateien verloren, ihre Namen standen in fehlenden Bänden (Dateien 3 bis 4 des Satzes)",
        {"C:\\Daten\\1eins.bin", "C:\\Daten\\5vier.bin"}}},
      {"a repair volume missing", [](const fs::path& s) { Remove(R(s, 1)); },
       {"Reparaturband 1 fehlt oder ist beschädigt"}, {}, "Alle Bände sind unbeschädigt."},
      {"a repair volume damaged and two missing",
       [](const fs::path& s) { Flip(R(s, 2), 4000); Remove(V(s, 2)); Remove(V(s, 5)); },
       {"Reparaturband 2 fehlt oder ist beschädigt", "Band 2 fehlt; nicht wiederherstellbar",
        "Band 5 fehlt; nicht wiederherstellbar"},
       {2, 5},
       "Der Satz ist nicht vollständig wiederherstellbar: die Bände 2 und 5 bleiben verloren.",
       // Volumes 3 and 4 hold only the middle of 4drei.bin; 5vier.bin begins in 5.
       {"C:\\Daten\\2zwei.bin", "Band 2 fehlt", "3 Dateien verloren, ihre Namen standen in fehlenden Bänden",
        {"C:\\Daten\\1eins.bin"}}},
      {"the identity record missing", [](const fs::path& s) { Remove(V(s, 4)); Remove(s / "Parcelbarge-Kennung.txt"); },
       {"Band 4 fehlt; wiederherstellbar"}, {}, kWhole},
  };
  for (const Loss& loss : losses) {
    SCOPED_TRACE(loss.what);
    Damage(pristine, loss.damage);

    out.str("");
    const bool rebuildable = loss.lost.empty();
    const Named& named = loss.named;
    {
      EXPECT_NE(Run(cli::RunTestCommand, Read("D:\\Satz")), kExitComplete);
      for (const std::string& line : loss.testSays) EXPECT_NE(out.str().find(line), std::string::npos) << out.str();
      EXPECT_NE(out.str().find(std::string(loss.summary) + "\n"), std::string::npos) << out.str();
      if (!rebuildable) ExpectNamedByTest(named, out.str());
    }
    // Beyond the repair, the restore goes on behind the lost volumes and
    // names what they take with them, as test does.
    if (!rebuildable) {
      err.str("");
      EXPECT_EQ(Run(cli::RunRestoreCommand, Read("D:\\Satz", "C:\\Rueck")), cli::kExitProblems);
      ExpectNamedByRestore(named, err.str());
      ExpectRestored(named.whole);
    }
    // A restore from the damaged set rebuilds as it reads.
    if (rebuildable) {
      EXPECT_EQ(Run(cli::RunRestoreCommand, Read("D:\\Satz", "C:\\Rueck")), kExitComplete) << terminal.str();
      for (const auto& [path, size] : kSources) {
        EXPECT_EQ(ReadFile(drives.Native("C:\\Rueck" + path.substr(2))), ReadFile(drives.Native(path))) << path;
      }
    }

    out.str("");
    EXPECT_EQ(Run(cli::RunRepairCommand, Read("D:\\Satz")), rebuildable ? kExitComplete : cli::kExitProblems);
    for (int n = 1; n <= 5; ++n) {
      const bool lost = std::find(loss.lost.begin(), loss.lost.end(), n) != loss.lost.end();
      EXPECT_EQ(fs::exists(V(set, n)), !lost) << n;
      if (!lost) {
        EXPECT_EQ(ReadFile(V(set, n)), original[n]) << "volume " << n << "\n" << out.str();
      }
    }
    for (int n : loss.lost) {
      EXPECT_NE(out.str().find("Band " + std::to_string(n) + " fehlt; nicht wiederherstellbar"), std::string::npos)
          << out.str();
    }
  }
}

// Without repair volumes, a restore goes on behind each volume the record
// places beside the others but that is missing, and names what it takes with
// them; test names the same. Without a record a missing volume may lie on
// another medium and is asked for: so it is in a directory of copied
// diskettes, which holds the last diskette's record only.
TEST_P(RepairCommandsTest, WithoutRepairVolumesWhatIsLostIsNamed) {
  if (GetParam()) GTEST_SKIP() << "copied diskettes: only the last volume is listed by the record there";
  Backup(0);
  if (IsSkipped()) return;
  const fs::path set = drives.Native("D:\\Satz");
  ASSERT_TRUE(fs::exists(V(set, 5)));
  ASSERT_FALSE(fs::exists(V(set, 6)));
  const fs::path pristine = drives.Native("D:\\Heil");
  fs::copy(set, pristine);
  const std::string eins = "C:\\Daten\\1eins.bin", zwei = "C:\\Daten\\2zwei.bin", leer = "C:\\Daten\\3leer.txt",
                    drei = "C:\\Daten\\4drei.bin", vier = "C:\\Daten\\5vier.bin";
  struct Row {
    const char* what;
    std::function<void(const fs::path& set)> damage;
    Named named;
  };
  // Volume 3 holds only the middle of 4drei.bin; 5vier.bin begins in 5;
  // 2zwei.bin ends, and 3leer.txt and 4drei.bin begin, in 2.
  const std::vector<Row> rows = {
      {"the middle one missing", [](const fs::path& s) { Remove(V(s, 3)); },
       {drei, "Band 3 fehlt", "", {eins, zwei, leer, vier}}},
      {"the short last one missing", [](const fs::path& s) { Remove(V(s, 5)); },
       {drei, "Band 5 fehlt", "1 Datei verloren, ihr Name stand in einem fehlenden Band (Datei 5 des Satzes)",
        {eins, zwei, leer}}},
      {"two in a row missing", [](const fs::path& s) { Remove(V(s, 2)); Remove(V(s, 3)); },
       {zwei, "die Bände 2 bis 3 fehlen",
        "2 Dateien verloren, ihre Namen standen in fehlenden Bänden (Dateien 3 bis 4 des Satzes)", {eins, vier}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Damage(pristine, row.damage);
    out.str("");
    EXPECT_EQ(Run(cli::RunTestCommand, Read("D:\\Satz")), cli::kExitProblems) << out.str();
    ExpectNamedByTest(row.named, out.str());
    EXPECT_EQ(out.str().find("abgebrochen"), std::string::npos) << out.str();
    err.str("");
    EXPECT_EQ(Run(cli::RunRestoreCommand, Read("D:\\Satz", "C:\\Rueck")), cli::kExitProblems) << terminal.str();
    ExpectNamedByRestore(row.named, err.str());
    if (row.named.filesLost.empty()) {
      EXPECT_EQ(err.str().find("verloren, ihre"), std::string::npos) << err.str();
      EXPECT_EQ(err.str().find("verloren, ihr Name"), std::string::npos) << err.str();
    }
    ExpectRestored(row.named.whole);
  }
}

INSTANTIATE_TEST_SUITE_P(Targets, RepairCommandsTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& target) { return target.param ? "Diskettes" : "Directory"; });

// The volumes do not change with repair volumes beside them, so every reader
// of the format reads the set as before.
TEST(RepairVolumes, LeaveTheVolumesAsTheyAreWithout) {
  if (!RepairCodeAvailable()) GTEST_SKIP() << "built without the repair code";
  testing::TestDrives drives;
  testing::ScriptedHost host;
  std::ostringstream out, err, terminal;
  for (const auto& [path, size] : kSources) WriteFile(drives.Native(path), testing::RandomBytes(size, 9));
  std::map<int, std::vector<std::string>> volumes;
  for (int rows : {0, 1, 3}) {
    cli::BackupOptions options;
    options.volumeSize = 700 * 1024;
    options.repairVolumes = rows;
    options.target = "D:\\Satz" + std::to_string(rows);
    options.sources = {"C:\\Daten"};
    fs::create_directories(drives.Native(options.target));
    std::istringstream in;
    TerminalBoxes boxes(in, terminal);
    Runtime runtime{drives.fs(), boxes, host};
    cli::CliContext context{runtime, out, err, false, true};
    ASSERT_EQ(cli::RunBackupCommand(context, options), kExitComplete) << err.str();
    volumes[rows] = testing::ReadVolumes(drives.Native(options.target));
    EXPECT_EQ(fs::exists(drives.Native(options.target + "\\Reparatur#" + std::to_string(rows) + ".Parcelbarge")), rows > 0);
    EXPECT_FALSE(fs::exists(drives.Native(options.target + "\\Reparatur#" + std::to_string(rows + 1) + ".Parcelbarge")));
  }
  EXPECT_GE(volumes[0].size(), 10u);
  EXPECT_EQ(volumes[1], volumes[0]);
  EXPECT_EQ(volumes[3], volumes[0]);
  const testing::DecodedSet set = testing::DecodeSet(volumes[3]);
  ASSERT_EQ(set.files.size(), kSources.size());
  for (const testing::DecodedFile& file : set.files) {
    EXPECT_TRUE(file.data == ReadFile(drives.Native(file.name))) << file.name;
  }
}

}  // namespace
}  // namespace pb
