// SPDX-License-Identifier: GPL-3.0-or-later
// The window's backup onto diskettes and its restore from them, where the
// desktop mounts each diskette at a new path, as it does today.
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include "media_drive.h"
#include "platform/posix/posix_medium_release.h"
#include "window_fixture.h"

namespace pb::testing {
namespace {

const char* const kNextMedium = "Der Datenträger ist voll! Bitte die nächste Diskette\reinlegen und auf OK klicken.";

// The drive must exist before the window's drives are read.
struct MediaBase {
  TempDir mediaDir;
  MediaDrive drive{mediaDir.path()};
};

class MediaWindowTest : protected MediaBase, public WindowTest {
 protected:
  MediaWindowTest() : WindowTest(drive.Drives()) { release_ = &release; }

  PosixMediumRelease release{posix_};
};

TEST_F(MediaWindowTest, BackupAndRestoreAcrossDiskettesMountedAtNewPaths) {
  if (!drive.usable()) GTEST_SKIP() << drive.reason();
  const std::string big = RandomBytes(2600000, 31);
  WriteFile(Root('C') / "Daten/gross.bin", big);
  WriteFile(Root('C') / "Daten/klein.txt", "klein");

  std::vector<int> media{drive.NewMedium()};
  std::vector<std::string> mountPaths{drive.Insert(media.back()).string()};
  std::vector<bool> mountedAtPrompt;
  boxes_.Then(BoxButton::Ok, [&] {
    mountedAtPrompt.push_back(drive.StillMounted());
    media.push_back(drive.NewMedium());
    mountPaths.push_back(drive.Insert(media.back()).string());
  });
  boxes_.Then(BoxButton::Ok);
  Form1& writer = Window();
  DropFiles({Root('C') / "Daten"});
  Find<QRadioButton>("Opt_0")->click();
  EXPECT_EQ(ExitStatusOf([&] { writer.Command1_Click(kStartBackupCommand); }), kExitComplete);
  EXPECT_EQ(boxes_.texts(), (std::vector<std::string>{kNextMedium, "Die Kopie ist fertig!"}));
  ASSERT_EQ(media.size(), 2u);
  EXPECT_NE(mountPaths[0], mountPaths[1]);
  EXPECT_EQ(mountedAtPrompt, std::vector<bool>{false}) << "the full diskette was unmounted before the prompt";

  // The restore, in a second start of the program, finds each diskette at
  // the path it is mounted at now.
  std::filesystem::create_directories(Root('D') / "Ziel");
  std::size_t next = 0;
  drive.Insert(media[next++]);
  boxes_.Then(BoxButton::Ok, [&] { drive.Insert(media[next++]); });
  Form1 reader(Runtime{fs_, boxes_, host_, &release}, shell_);
  reader.Form_Load();
  reader.findChild<QTabWidget*>("TabStrip1")->setCurrentIndex(1);
  reader.findChild<DriveListBox*>("DriveList_1")->SetDrive('A');
  reader.findChild<DriveListBox*>("DriveList_2")->SetDrive('D');
  reader.findChild<DirListBox*>("DirList_2")->SetPath("D:\\Ziel");
  ASSERT_TRUE(reader.findChild<QPushButton*>("Command1_5")->isEnabled());
  EXPECT_EQ(ExitStatusOf([&] { reader.Command1_Click(kStartRestoreCommand); }), kExitComplete);
  EXPECT_EQ(next, media.size()) << "every diskette asked for";
  const std::filesystem::path restored = Root('D') / "Ziel" / "Daten";
  EXPECT_TRUE(ReadFile(restored / "gross.bin") == big);
  EXPECT_EQ(ReadFile(restored / "klein.txt"), "klein");
}

// The drive lists show the medium in the drive now, at whatever path it was
// mounted, once opened, without a restart of the program.
TEST_F(MediaWindowTest, DriveListsShowTheMediumInTheDriveNow) {
  if (!drive.usable()) GTEST_SKIP() << drive.reason();
  const int first = drive.NewMedium();
  const int second = drive.NewMedium();
  Window();
  QComboBox* list = Drives(0);
  const auto shownForA = [&] {
    list->showPopup();  // opening the list reads the drives again
    list->hidePopup();
    const int index = list->findText("a:", Qt::MatchStartsWith);
    return index < 0 ? std::string() : list->itemText(index).toStdString();
  };
  struct Step {
    const char* name;
    std::function<std::string()> change;  // returns the path the medium is mounted at, if any
  };
  for (const Step& step : {Step{"first medium", [&] { return drive.Insert(first).string(); }},
                           Step{"second medium", [&] { return drive.Insert(second).string(); }},
                           Step{"first again", [&] { return drive.Insert(first).string(); }}}) {
    SCOPED_TRACE(step.name);
    const std::string path = step.change();
    EXPECT_NE(shownForA().find(path), std::string::npos) << shownForA();
  }
  const std::string lastPath = drive.mountPath().string();
  drive.Eject();
  EXPECT_EQ(shownForA().find(lastPath), std::string::npos) << "taken out: " << shownForA();
}

}  // namespace
}  // namespace pb::testing
