// SPDX-License-Identifier: GPL-3.0-or-later
// A restore writes only its own files: never over the set it reads, never
// through another name of a file, never over a file it restored itself.
#include "case_folding_file_system.h"
#include "restore/create_target_file.h"
#include "restore_fixture.h"

namespace pb {
namespace {

using testing::RandomBytes;
using testing::SetBuilder;

constexpr const char* kSetFile = "Sie gehört zum Sicherungssatz, der gerade gelesen wird.";

std::string NotCreated(const std::string& path) { return "Die Datei " + path + " konnte nicht angelegt werden ..."; }

class TargetSafetyTest : public testing::RestoreTest {
 protected:
  RestoreOutcome RestoreWith(FileSystem& fs, const std::string& target, const RestoreOptions& options) {
    ProbeDisplay view("D:\\Sich");
    ProbeArchive(view, drives.fs(), probe);
    EXPECT_TRUE(view.restoreEnabled);
    Runtime runtime{fs, boxes, host};
    return ReadArchive(runtime, probe, "D:\\Sich", target, 1, options);
  }

  // Each row of a table begins without set, target or boxes.
  void Fresh() {
    std::filesystem::remove_all(SetDir());
    std::filesystem::remove_all(TargetDir());
    boxes = {};
  }

  std::vector<std::string> Reasons() const {
    std::vector<std::string> reasons;
    for (const MessageBox& box : boxes.shown()) reasons.push_back(box.reason);
    return reasons;
  }
};

// The first file's name meets a file of the set, which a write would destroy
// before it is read: volume 2 holds the second file's middle.
TEST_F(TargetSafetyTest, FilesOfTheSetReadAreNeverWrittenOver) {
  const std::string big = RandomBytes(300000, 7);
  const struct {
    const char* what;
    const char* stored;
    const char* target;
    int strip;
    const char* refused;  // the target path, or "" when it is created
  } rows[] = {
      {"a volume's name, into the set's directory", "C:\\DataBlock#2.Parcelbarge", "D:\\Sich", 0,
       "D:\\Sich\\DataBlock#2.Parcelbarge"},
      {"a volume's name, the directory stripped", "C:\\x\\DataBlock#3.Parcelbarge", "D:\\Sich", 1,
       "D:\\Sich\\DataBlock#3.Parcelbarge"},
      {"the identity record's name", "C:\\Parcelbarge-Kennung.txt", "D:\\Sich", 0,
       "D:\\Sich\\Parcelbarge-Kennung.txt"},
      {"a repair volume's name", "C:\\Reparatur#1.Parcelbarge", "D:\\Sich", 0, "D:\\Sich\\Reparatur#1.Parcelbarge"},
      {"a repair volume's later piece", "C:\\Reparatur#1-2.Parcelbarge", "D:\\Sich", 0,
       "D:\\Sich\\Reparatur#1-2.Parcelbarge"},
      {"a hard link to a volume elsewhere", "C:\\band.bin", "C:\\Rueck", 0, "C:\\Rueck\\band.bin"},
      {"a volume's name the set does not have", "C:\\DataBlock#9.Parcelbarge", "D:\\Sich", 0, ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    Fresh();
    SetBuilder set;
    set.Header(2)
        .FileWithData(row.stored, "neu")
        .File(static_cast<int32_t>(big.size()), "C:\\gross.bin")
        .Fragment(big.substr(0, 131072))
        .Cut()
        .Fragment(big.substr(131072, 131072))
        .Cut()
        .Fragment(big.substr(262144));
    set.WriteTo(SetDir());
    testing::WriteFile(SetDir() / "Parcelbarge-Kennung.txt", "kein gültiger Inhalt");
    testing::WriteFile(SetDir() / "Reparatur#1.Parcelbarge", "Reihe");
    testing::WriteFile(SetDir() / "Reparatur#1-2.Parcelbarge", "Rest");
    std::filesystem::create_directories(TargetDir());
    std::filesystem::create_hard_link(SetDir() / "DataBlock#3.Parcelbarge", TargetDir() / "band.bin");
    const std::map<std::string, std::string> setBefore = testing::TreeOf(SetDir());
    RestoreOptions options;
    options.place = [&](const std::string& name) {
      std::string place = TargetPathFor("", name);
      for (int i = 0; i < row.strip; ++i) place.erase(0, place.find('\\') + 1);
      return std::optional(place);
    };
    if (*row.refused != '\0') boxes.Then(BoxButton::Ok);

    EXPECT_EQ(RestoreWith(drives.fs(), row.target, options),
              *row.refused != '\0' ? RestoreOutcome::Damaged : RestoreOutcome::Intact);

    EXPECT_TRUE(testing::FileIs(drives.Native(row.target) / "gross.bin", big));
    if (*row.refused != '\0') {
      EXPECT_EQ(boxes.texts(), std::vector<std::string>{NotCreated(row.refused)});
      EXPECT_EQ(Reasons(), std::vector<std::string>{kSetFile});
      std::map<std::string, std::string> setAfter = testing::TreeOf(SetDir());
      setAfter.erase("gross.bin");
      EXPECT_EQ(setAfter, setBefore);
    } else {
      EXPECT_TRUE(testing::FileIs(drives.Native(row.target) / "DataBlock#9.Parcelbarge", "neu"));
    }
  }
}

// On a target that ignores letter case two stored names may reach one file:
// the first restored stays, the second is named and left out.
TEST_F(TargetSafetyTest, NamesTheTargetTakesForOneAreNotMerged) {
  using Tree = std::map<std::string, std::string>;
  const struct {
    const char* what;
    std::string first, second;  // stored, Windows-1252
    const char* firstRestored;  // the first as a name (UTF-8)
    bool keepExisting;
    const char* refused;  // target path of the second, or "" when it is restored
    Tree tree;
  } rows[] = {
      {"letter case of the name", "C:\\a.txt", "C:\\A.txt", "C:\\a.txt", false, "C:\\Rueck\\A.txt", Tree{{"a.txt", "eins"}}},
      {"letter case of a directory", "C:\\sub\\x", "C:\\SUB\\x", "C:\\sub\\x", false, "C:\\Rueck\\SUB\\x",
       Tree{{"sub/x", "eins"}}},
      {"umlauts", "C:\\\xE4.txt", "C:\\\xC4.txt", "C:\\\xC3\xA4.txt", false, "C:\\Rueck\\\xC3\x84.txt",
       Tree{{"\xC3\xA4.txt", "eins"}}},
      {"--keep-existing does not keep it silently", "C:\\a.txt", "C:\\A.txt", "C:\\a.txt", true, "C:\\Rueck\\A.txt",
       Tree{{"a.txt", "eins"}}},
      {"the same name twice: the later copy", "C:\\a.txt", "C:\\a.txt", "", false, "", Tree{{"a.txt", "zwei"}}},
      {"different names", "C:\\a.txt", "C:\\b.txt", "", false, "", Tree{{"a.txt", "eins"}, {"b.txt", "zwei"}}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    Fresh();
    SetBuilder set;
    set.Header(2).FileWithData(row.first, "eins").FileWithData(row.second, "zwei");
    set.WriteTo(SetDir());
    if (*row.refused != '\0') boxes.Then(BoxButton::Ok);
    testing::CaseFoldingFileSystem folding(drives.fs(), "C:\\Rueck");
    RestoreOptions options;
    options.keepExisting = row.keepExisting;

    EXPECT_EQ(RestoreWith(folding, "C:\\Rueck", options),
              *row.refused != '\0' ? RestoreOutcome::Damaged : RestoreOutcome::Intact);

    EXPECT_TRUE(testing::TreeIs(TargetDir(), row.tree));
    if (*row.refused != '\0') {
      EXPECT_EQ(boxes.texts(), std::vector<std::string>{NotCreated(row.refused)});
      ASSERT_EQ(boxes.shown().size(), 1u);
      EXPECT_NE(boxes.shown()[0].reason.find(TargetPathFor("C:\\Rueck\\", row.firstRestored)), std::string::npos)
          << boxes.shown()[0].reason;
    }
  }
}

// A file at a stored file's place may have other names outside the target:
// it is replaced, so they keep what they hold.
TEST_F(TargetSafetyTest, AFileWithOtherNamesIsReplacedNotWrittenThrough) {
  const struct {
    const char* what;
    bool readOnly;
  } rows[] = {
      {"a hard link", false},
      {"a read-only hard link: not created, as any read-only file", true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    Fresh();
    SetBuilder set;
    set.Header(1).FileWithData("C:\\x.txt", RandomBytes(200000, 9));
    set.WriteTo(SetDir());
    testing::WriteFile(drives.Root('C') / "draussen.txt", "draussen");
    std::filesystem::create_directories(TargetDir());
    std::filesystem::create_hard_link(drives.Root('C') / "draussen.txt", TargetDir() / "x.txt");
    if (row.readOnly) {
      testing::MakeReadOnly(TargetDir() / "x.txt");
      boxes.Then(BoxButton::Ok);
    }

    EXPECT_EQ(Restore(), row.readOnly ? RestoreOutcome::Damaged : RestoreOutcome::Intact);

    EXPECT_TRUE(testing::FileIs(drives.Root('C') / "draussen.txt", "draussen"));
    EXPECT_TRUE(
        testing::FileIs(TargetDir() / "x.txt", row.readOnly ? std::string("draussen") : RandomBytes(200000, 9)));
    std::filesystem::permissions(TargetDir() / "x.txt", std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    std::filesystem::remove(drives.Root('C') / "draussen.txt");
  }
}

}  // namespace
}  // namespace pb
