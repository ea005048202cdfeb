// SPDX-License-Identifier: GPL-3.0-or-later
// Sets are untrusted input: hostile names and lengths, and a deterministic
// mutation loop over a valid set.
#include <algorithm>

#include "diskette.h"
#include "set_mutation.h"
#include "restore_fixture.h"

namespace pb {
namespace {

using testing::SetBuilder;

// Every directory and file below the drives, apart from the set and the
// target, as paths relative to the drives' common parent.
std::vector<std::string> OutsideSetAndTarget(const std::filesystem::path& base) {
  std::vector<std::string> found;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(base)) {
    const std::string relative = testing::GenericUtf8(std::filesystem::relative(entry.path(), base));
    const bool allowed = relative == "A" || relative == "C" || relative == "D" || relative == "C/Rueck" ||
                         relative.rfind("C/Rueck/", 0) == 0 || relative == "D/Sich" ||
                         relative.rfind("D/Sich/DataBlock#", 0) == 0;
    if (!allowed) found.push_back(relative);
  }
  return found;
}

class HostileSetTest : public testing::RestoreTest {
 protected:
  std::filesystem::path Base() { return drives.Root('C').parent_path(); }
};

TEST_F(HostileSetTest, NamesThatWouldLeaveTheTargetAreNotCreated) {
  const std::string hostile[] = {
      "C:\\..\\boese",          "C:\\a\\..\\..\\boese", "C:\\..\\..\\..\\..\\..\\..\\..\\tmp\\boese",
      "C:\\\\boese",            "C:\\.\\boese",         "C:\\a\\b:c",
      "C:\\a\\b\x01" "c",       "C:\\a*b?",             "C:\\",
      "C:\\a\\",                "C:",                   "",
      "/etc/passwd",            "C:\\a\\..",            "C:\\a\\.\\b",
      // Each directory short enough, the whole too long for any system.
      [] {
        std::string name = "C:";
        while (name.size() < 32600) name += "\\" + std::string(200, 'a');
        return name;
      }(),
  };
  for (const std::string& name : hostile) {
    SCOPED_TRACE("stored name \"" + name + "\"");
    std::filesystem::remove_all(SetDir());
    std::filesystem::remove_all(TargetDir());
    boxes = {};
    SetBuilder set;
    set.Header(2).FileWithData(name, testing::RandomBytes(200000, 31)).FileWithData("C:\\gut.txt", "gut");
    set.WriteTo(SetDir());
    boxes.Then(BoxButton::Ok);
    EXPECT_EQ(Restore(), RestoreOutcome::Damaged);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text,
              "Die Datei C:\\Rueck\\" + (name.size() > 3 ? name.substr(3) : "") + " konnte nicht angelegt werden ...");
    // Refused before anything was made for it.
    EXPECT_TRUE(testing::FileIs(TargetDir() / "gut.txt", "gut"));
    EXPECT_EQ(std::distance(std::filesystem::recursive_directory_iterator(TargetDir()), {}), 1);
    EXPECT_EQ(OutsideSetAndTarget(Base()), std::vector<std::string>{});
  }
}

// A length that cannot be right puts the stream out of step: the archive
// message, OK reads the same item again and fails again, Cancel and Yes give up.
TEST_F(HostileSetTest, ImpossibleLengthsAreReadFailures) {
  const std::string stream = testing::Compressed("0123456789");
  const struct {
    const char* what;
    std::function<void(SetBuilder&)> item;
  } cases[] = {
      {"negative FileLength", [](SetBuilder& s) { s.File(-1, "C:\\x"); }},
      {"negative name length", [](SetBuilder& s) { s.Int32(3).Int16(-2).Raw("C:\\x"); }},
      {"name beyond the set", [](SetBuilder& s) { s.Int32(3).Int16(30000).Raw("C:\\x"); }},
      {"NormalLen 0", [&](SetBuilder& s) { s.File(10, "C:\\x").Int32(0).Int32(0); }},
      {"negative NormalLen", [&](SetBuilder& s) { s.File(10, "C:\\x").RawFragment(-10, stream); }},
      {"NormalLen above a fragment",
       [&](SetBuilder& s) { s.File(200000, "C:\\x").RawFragment(131073, stream); }},
      {"NormalLen beyond the file", [&](SetBuilder& s) { s.File(5, "C:\\x").RawFragment(10, stream); }},
      {"negative PackedLen", [&](SetBuilder& s) { s.File(10, "C:\\x").Int32(10).Int32(-1).Raw(stream); }},
      {"PackedLen beyond the volume",
       [&](SetBuilder& s) { s.File(10, "C:\\x").Int32(10).Int32(1000).Raw(stream).Cut().Raw(std::string(2000, 'x')); }},
      {"PackedLen beyond any stream of a fragment",
       [&](SetBuilder& s) { s.File(10, "C:\\x").Int32(10).Int32(131126).Raw(std::string(131126, 'x')); }},
      {"huge PackedLen", [&](SetBuilder& s) { s.File(10, "C:\\x").Int32(10).Int32(0x7FFFFFFF).Raw(stream); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove_all(SetDir());
    std::filesystem::remove_all(TargetDir());
    boxes = {};
    host = {};
    SetBuilder set;
    set.Header(3).FileWithData("C:\\vorher.txt", "vorher");
    c.item(set);
    set.FileWithData("C:\\nachher.txt", "nachher");
    set.WriteTo(SetDir());
    boxes.Then(BoxButton::Ok).Then(BoxButton::Cancel).Then(BoxButton::Yes);
    EXPECT_EQ(Restore(), RestoreOutcome::Damaged);
    EXPECT_EQ(boxes.texts(), (std::vector<std::string>{testing::kArchiveBox, testing::kArchiveBox,
                                                       testing::kConfirmBox}));
    EXPECT_TRUE(testing::FileIs(TargetDir() / "vorher.txt", "vorher"));
    EXPECT_FALSE(std::filesystem::exists(TargetDir() / "nachher.txt"));
    EXPECT_EQ(host.beeps, 1);
  }
}

// Links planted in the target before the restore: a file whose path meets one
// is a target that cannot be created, and nothing outside the target changes.
TEST_F(HostileSetTest, PlantedLinksAreNeverFollowed) {
  if (std::string reason; !testing::CanPlantLinks(&reason)) GTEST_SKIP() << reason;
  const std::vector<std::pair<std::string, std::string>> files = {
      {"Daten/sub/a.txt", "a"}, {"Daten/opfer.txt", "o"}, {"Daten/tot.txt", "t"}, {"Daten/gut.txt", "g"}};
  const struct {
    const char* what;
    const char* link;    // below C:\, the last name planted as a link
    const char* points;  // where it points, relative to the link
    std::vector<std::string> blocked;
  } cases[] = {
      {"directory link", "Rueck/Daten/sub", "../../Draussen", {"Daten/sub/a.txt"}},
      {"top directory link", "Rueck/Daten", "../Draussen",
       {"Daten/sub/a.txt", "Daten/opfer.txt", "Daten/tot.txt", "Daten/gut.txt"}},
      {"file link", "Rueck/Daten/opfer.txt", "../../Draussen/fremd.txt", {"Daten/opfer.txt"}},
      {"dangling link", "Rueck/Daten/tot.txt", "../../Draussen/neu.txt", {"Daten/tot.txt"}},
      {"the target itself reached through a link", "Rueck", "Echt", {}},
  };
  const std::filesystem::path outside = drives.Native("C:\\Draussen");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    for (const char* dir : {"Rueck", "Draussen", "Echt"}) std::filesystem::remove_all(drives.Root('C') / dir);
    testing::WriteFile(outside / "fremd.txt", "fremd");
    std::filesystem::create_directories(drives.Root('C') / "Echt");
    std::filesystem::create_directories((drives.Root('C') / c.link).parent_path());
    testing::PlantLink(c.points, drives.Root('C') / c.link);
    boxes = {};
    SetBuilder set;
    set.Header(static_cast<int32_t>(files.size()));
    std::vector<std::string> expectedBoxes;
    for (const auto& [path, data] : files) {
      std::string stored = "C:\\" + path;
      std::replace(stored.begin(), stored.end(), '/', '\\');
      set.FileWithData(stored, data);
      if (std::find(c.blocked.begin(), c.blocked.end(), path) == c.blocked.end()) continue;
      expectedBoxes.push_back("Die Datei C:\\Rueck\\" + stored.substr(3) + " konnte nicht angelegt werden ...");
      boxes.Then(BoxButton::Ok);
    }
    std::filesystem::remove_all(SetDir());
    set.WriteTo(SetDir());

    EXPECT_EQ(Restore(), c.blocked.empty() ? RestoreOutcome::Intact : RestoreOutcome::Damaged);

    EXPECT_EQ(boxes.texts(), expectedBoxes);
    EXPECT_TRUE(testing::TreeIs(outside, {{"fremd.txt", "fremd"}}));
    for (const auto& [path, data] : files) {
      if (std::find(c.blocked.begin(), c.blocked.end(), path) != c.blocked.end()) continue;
      EXPECT_TRUE(testing::FileIs(TargetDir() / path, data));
    }
  }
}

// Answers every box so that a run always comes to an end: the archive message
// twice with OK, then Cancel; Yes to the cancel question; Cancel to the
// next-volume prompt; OK to the rest. A run that keeps asking is a hang.
class PatientUser : public MessageBoxes {
 public:
  BoxButton Show(const MessageBox& box) override {
    if (++shown > 2000) throw std::runtime_error("the run keeps asking: " + box.text);
    if (box.text == testing::kArchiveBox) return ++archiveBoxes % 3 == 0 ? BoxButton::Cancel : BoxButton::Ok;
    if (box.buttons == BoxButtons::YesNo) return BoxButton::Yes;
    if (box.text == testing::kNextDiskBox) return BoxButton::Cancel;
    return box.buttons == BoxButtons::OkCancel ? BoxButton::Cancel : BoxButton::Ok;
  }
  int shown = 0;
  int archiveBoxes = 0;
};

// Mutated sets never crash, never ask without end, never write outside the
// target; the probe of a set whose head was hit may find nothing.
TEST_F(HostileSetTest, MutatedSetsAreReadSafely) {
  // Restored files are flushed; on a memory file system that costs nothing.
  testing::Diskette memory(drives.Root('C'));
  const std::vector<std::string> valid = testing::ValidVolumes();
  std::mt19937 random(20261207);
  int restored = 0;
  for (int iteration = 0; iteration < 600; ++iteration) {
    SCOPED_TRACE("iteration " + std::to_string(iteration));
    std::filesystem::remove_all(SetDir());
    std::filesystem::remove_all(TargetDir());
    SetBuilder set;
    set.volumes() = valid;
    testing::Mutate(set.volumes(), random);
    set.WriteTo(SetDir());

    ProbeDisplay view("D:\\Sich");
    ProbeArchive(view, drives.fs(), probe);
    if (!view.restoreEnabled) continue;
    ++restored;
    PatientUser user;
    Runtime runtime{drives.fs(), user, host};
    try {
      ReadArchive(runtime, probe, "D:\\Sich", "C:\\Rueck");
    } catch (const testing::ProgramEnded& end) {
      EXPECT_TRUE(end.exitStatus == kExitGivenUp || end.exitStatus == kExitFatal) << end.exitStatus;
      drives.fs().CloseAll();
    }
    ASSERT_EQ(OutsideSetAndTarget(Base()), std::vector<std::string>{});
  }
  EXPECT_GT(restored, 200);
}

}  // namespace
}  // namespace pb
