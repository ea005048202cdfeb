// SPDX-License-Identifier: GPL-3.0-or-later
// Backups across media that the desktop mounts at a new path each time, and
// their restores, through the real prompts and the real mount table.
#include "../backup/backup_fixture.h"
#include "media_drive.h"
#include "platform/posix/posix_medium_release.h"
#include "restore_fixture.h"

namespace pb {
namespace {

using testing::kNextDisketteBox;
using testing::MediaDrive;


// Files of the machine's C: below a temporary directory of their own.
class MediaSeriesTest : public ::testing::Test {
 protected:
  std::map<std::string, std::string> Sources(std::size_t bytes) {
    std::map<std::string, std::string> tree = {{"leer.txt", ""}, {"klein.txt", "klein"}};
    for (std::size_t i = 0; bytes > 0; ++i) {
      const std::size_t size = std::min<std::size_t>(bytes, 1100000);
      tree["teil" + std::to_string(i) + ".bin"] = testing::RandomBytes(size, 90 + static_cast<unsigned>(i));
      bytes -= size;
    }
    for (const auto& [name, content] : tree) {
      testing::WriteFile(dir.path() / "Daten" / name, content);
      plan.files.push_back(fs.ToDriveForm((dir.path() / "Daten" / name).string()));
    }
    return tree;
  }

  // At each prompt for the next medium, for data or repair volumes: whether
  // the full one was still mounted, then a new medium put in.
  void AnswerPromptsWithNewMedia(uint64_t capacity) {
    for (int i = 0; i < 12; ++i) {
      backupUser.Then(BoxButton::Ok, [this, capacity] {
        const std::string& text = backupUser.shown().back().text;
        if (text != kNextDisketteBox && !text.starts_with("Bitte eine leere Diskette für Reparaturband")) return;
        stillMounted.push_back(drive.StillMounted());
        media.push_back(drive.NewMedium(capacity));
        drive.Insert(media.back());
      });
    }
  }

  // Restores from the drive's root, putting in the media in turn, each at a
  // new path, and returns the restored tree.
  std::map<std::string, std::string> RestoreFrom(const std::string& root) {
    std::size_t next = 0;
    drive.Insert(media[next++]);
    ProbeDisplay view(root);
    ProbeResults probe;
    ProbeArchive(view, fs, probe);
    EXPECT_TRUE(view.restoreEnabled);
    for (int i = 0; i < 12; ++i) {
      restoreUser.Then(BoxButton::Ok, [&] {
        if (next < media.size()) drive.Insert(media[next++]);
      });
    }
    std::filesystem::create_directories(dir.path() / "Rueck");
    Runtime restore{fs, restoreUser, host};
    EXPECT_EQ(ReadArchive(restore, probe, root, fs.ToDriveForm((dir.path() / "Rueck").string())),
              RestoreOutcome::Intact);
    EXPECT_EQ(next, media.size()) << "every medium asked for";
    return testing::TreeOf(dir.path() / "Rueck" / std::filesystem::relative(dir.path(), "/") / "Daten");
  }

  testing::TempDir dir;
  MediaDrive drive{dir.path()};
  PosixFileSystem fs{drive.Drives()};
  PosixMediumRelease release{fs};
  BackupPlan plan;
  testing::ScriptedBoxes backupUser;
  testing::ScriptedBoxes restoreUser;
  testing::ScriptedHost host;
  std::vector<int> media;
  std::vector<bool> stillMounted;
};

TEST_F(MediaSeriesTest, DiskettesAtNewPathsAreReleasedAndTheSetRestoresByteForByte) {
  if (!drive.usable()) GTEST_SKIP() << drive.reason();
  const std::map<std::string, std::string> tree = Sources(3000000);
  plan.diskette = true;
  plan.target = "A:\\";
  media.push_back(drive.NewMedium());
  drive.Insert(media.back());
  AnswerPromptsWithNewMedia(1440 * 1024);

  Runtime backup{fs, backupUser, host, &release};
  ASSERT_EQ(testing::RunPlan(backup, plan), BackupOutcome::Complete);
  EXPECT_EQ(backupUser.texts().back(), "Die Kopie ist fertig!");
  ASSERT_EQ(media.size(), 3u);
  EXPECT_EQ(stillMounted, std::vector<bool>(2, false)) << "each full medium unmounted before the prompt";
  for (std::size_t n = 1; n <= media.size(); ++n) {
    EXPECT_TRUE(std::filesystem::exists(drive.Files(media[n - 1]) / ("DataBlock#" + std::to_string(n) + ".Parcelbarge")));
    EXPECT_TRUE(std::filesystem::exists(drive.Files(media[n - 1]) / "Parcelbarge-Kennung.txt")) << "medium " << n;
  }

  EXPECT_EQ(RestoreFrom("A:\\"), tree);
  EXPECT_EQ(restoreUser.texts(), std::vector<std::string>(2, testing::kNextDiskBox));
}

// The diskettes of repair volumes are released as those of the volumes are.
TEST_F(MediaSeriesTest, RepairVolumeDiskettesAreReleasedToo) {
  if (!drive.usable()) GTEST_SKIP() << drive.reason();
  Sources(2000000);
  plan.diskette = true;
  plan.target = "A:\\";
  plan.repairVolumes = 1;
  media.push_back(drive.NewMedium());
  drive.Insert(media.back());
  AnswerPromptsWithNewMedia(1440 * 1024);

  Runtime backup{fs, backupUser, host, &release};
  ASSERT_EQ(testing::RunPlan(backup, plan), BackupOutcome::Complete);
  ASSERT_GE(media.size(), 3u) << "two of volumes, then the repair volume's";
  EXPECT_EQ(stillMounted, std::vector<bool>(media.size() - 1, false)) << "each finished medium unmounted before the prompt";
  EXPECT_TRUE(std::filesystem::exists(drive.Files(media[2]) / "Reparatur#1.Parcelbarge"));
}

// The root of a removable drive without an own volume size is a series as
// the diskette is: filled, cleared when asked, released and the next asked
// for. With an own volume size it is a directory like any other.
TEST_F(MediaSeriesTest, RemovableDriveRootWithoutOwnSizeIsASeries) {
  if (!drive.usable()) GTEST_SKIP() << drive.reason();
  constexpr uint64_t kStick = 3 << 20;
  const std::map<std::string, std::string> tree = Sources(7000000);
  plan.target = "D:\\";
  plan.clearTarget = true;
  media.push_back(drive.NewMedium(kStick));
  drive.Insert(media.back());
  testing::WriteFile(drive.mountPath() / "alt.txt", "alt");
  AnswerPromptsWithNewMedia(kStick);

  Runtime backup{fs, backupUser, host, &release};
  ASSERT_EQ(testing::RunPlan(backup, plan), BackupOutcome::Complete);
  ASSERT_EQ(media.size(), 3u);
  EXPECT_EQ(stillMounted, std::vector<bool>(2, false));
  EXPECT_FALSE(std::filesystem::exists(drive.Files(media[0]) / "alt.txt")) << "cleared as a new medium";
  for (std::size_t n = 1; n <= media.size(); ++n) {
    const std::filesystem::path volume = drive.Files(media[n - 1]) / ("DataBlock#" + std::to_string(n) + ".Parcelbarge");
    ASSERT_TRUE(std::filesystem::exists(volume)) << "one volume per medium";
    if (n < media.size()) {
      EXPECT_GT(std::filesystem::file_size(volume), kStick - (64 << 10)) << "filled";
    }
  }
  EXPECT_EQ(RestoreFrom("D:\\"), tree);
}

// A full medium is unmounted only where the program offers it, and never
// while it holds a file of the backup.
TEST_F(MediaSeriesTest, FullMediumStaysMountedWithoutReleaseOrWhenItHoldsASource) {
  if (!drive.usable()) GTEST_SKIP() << drive.reason();
  struct Row {
    const char* name;
    bool withRelease;
    bool sourceOnMedium;
    bool mountedAtPrompt;
  };
  for (const Row& row : {Row{"released", true, false, false}, Row{"no release offered", false, false, true},
                         Row{"a source on the medium", true, true, true}}) {
    SCOPED_TRACE(row.name);
    BackupPlan series = testing::TestPlan(true);
    drive.Insert(drive.NewMedium());
    const std::filesystem::path source = row.sourceOnMedium ? drive.mountPath() / "quelle.bin" : dir.path() / "q.bin";
    testing::WriteFile(source, testing::RandomBytes(1000000, 7));
    series.files = {fs.ToDriveForm(source.string()), fs.ToDriveForm((dir.path() / "zwei.bin").string())};
    testing::WriteFile(dir.path() / "zwei.bin", testing::RandomBytes(1000000, 8));
    bool mounted = false;
    testing::ScriptedBoxes user;
    user.Then(BoxButton::Cancel, [&] { mounted = drive.StillMounted(); }).Then(BoxButton::Yes);
    Runtime backup{fs, user, host, row.withRelease ? &release : nullptr};
    EXPECT_EQ(testing::RunPlan(backup, series), BackupOutcome::GivenUp);
    ASSERT_FALSE(user.texts().empty());
    EXPECT_EQ(user.texts().front(), kNextDisketteBox);
    EXPECT_EQ(mounted, row.mountedAtPrompt);
  }
}

}  // namespace
}  // namespace pb
