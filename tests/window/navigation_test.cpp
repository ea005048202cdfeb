// SPDX-License-Identifier: GPL-3.0-or-later
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

#include "store/records.h"
#include "window_fixture.h"

namespace pb::testing {
namespace {

class NavigationTest : public WindowTest {
 protected:
  void WriteSetHead(const std::string& directory, int32_t fileCount, const std::string& description) {
    ArchiveHeader header;
    header.Major = 1;
    header.Minor = 1;
    header.Revision = 2;
    header.FileCount = fileCount;
    header.Description = description;
    WriteFile(Root('D') / directory / "DataBlock#1.Parcelbarge", ArchiveHeaderBytes(header));
  }
};

TEST_F(NavigationTest, AllThreePairsStartAtTheWorkingDirectory) {
  Window();
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(Drives(i)->Drive(), 'C') << i;
    EXPECT_EQ(Drives(i)->currentText(), "c: [System]") << i;
    EXPECT_EQ(Dirs(i)->Path(), "C:\\Arbeit") << i;
  }
  EXPECT_EQ(Drives(0)->itemText(0).toStdString(), "a: [" + Root('A').string() + "]");
  EXPECT_EQ(Drives(0)->itemText(2), "d:");
}

TEST_F(NavigationTest, ADriveShowsItsFileSystemsNameOnlyWhereItsRootIsMountedThere) {
  const struct {
    const char* root;
    const char* mountRoot;
    const char* volumeName;
    const char* shown;
  } drives[] = {
      {"/media/floppy0", "/media/floppy0", "FOTOS", "FOTOS"},
      {"/media/stick/", "/media/stick", "USB", "USB"},
      // A mount point with nothing mounted lies on the root file system.
      {"/media/floppy0", "/", "debian", "/media/floppy0"},
      {"/media/floppy0", "/media/floppy0", "", "/media/floppy0"},
      {"", "", "", "/media/floppy0"},
  };
  for (const auto& drive : drives) {
    EXPECT_EQ(DriveLabel("/media/floppy0", drive.root, drive.mountRoot, drive.volumeName), drive.shown) << drive.root;
  }
}

TEST_F(NavigationTest, ADriveShowsItsTreeAndOpeningADirectoryMakesItCurrent) {
  std::filesystem::create_directories(Root('D') / "Sich/alt");
  std::filesystem::create_directories(Root('D') / ".versteckt");
  WriteFile(Root('D') / "datei.txt", "x");
  Window();
  Drives(2)->SetDrive('D');
  EXPECT_EQ(Dirs(2)->Path(), "D:\\");
  // Subdirectories only: no files, no hidden directories.
  ASSERT_EQ(Dirs(2)->topLevelItemCount(), 1);
  QTreeWidgetItem* root = Dirs(2)->topLevelItem(0);
  ASSERT_EQ(root->childCount(), 1);
  EXPECT_EQ(root->child(0)->text(0), "Sich");
  // The open directory and the closed ones below it look different.
  EXPECT_NE(root->icon(0).pixmap(16).toImage(), root->child(0)->icon(0).pixmap(16).toImage());

  Open(2, "Sich");
  EXPECT_EQ(Dirs(2)->Path(), "D:\\Sich");
  Open(2, "alt");
  EXPECT_EQ(Dirs(2)->Path(), "D:\\Sich\\alt");
  Open(2, "D:\\");
  EXPECT_EQ(Dirs(2)->Path(), "D:\\");
}

TEST_F(NavigationTest, AnUnreadableDriveIsReportedAndThePairFallsBackToTheProgramsDrive) {
  Window();
  for (int i = 0; i < 3; ++i) {
    boxes_.Then(BoxButton::Ok);
    Drives(i)->SetDrive('A');
    ASSERT_EQ(boxes_.shown().size(), static_cast<std::size_t>(i + 1));
    EXPECT_EQ(boxes_.shown().back().text, "Auf Laufwerk A: kann nicht zugegriffen werden!");
    EXPECT_EQ(boxes_.shown().back().icon, BoxIcon::Critical);
    EXPECT_EQ(Drives(i)->Drive(), 'P') << i;
    EXPECT_EQ(Dirs(i)->Path(), "P:\\") << i;
  }
}

TEST_F(NavigationTest, NoLoopWhenTheProgramsOwnDriveIsTheUnreadableOne) {
  // Here the program lies on a diskette drive that holds no medium.
  std::filesystem::path exeDir = std::filesystem::read_symlink("/proc/self/exe").parent_path();
  PosixFileSystem fs(DriveTable({{'A', exeDir.string(), "", true}, {'C', Root('C').string(), "", false}}));
  Form1 window(Runtime{fs, boxes_, host_}, shell_);
  window.Form_Load();
  auto* drives = window.findChild<DriveListBox*>("DriveList_1");
  auto* dirs = window.findChild<DirListBox*>("DirList_1");
  boxes_.Then(BoxButton::Ok);
  drives->SetDrive('A');
  EXPECT_EQ(boxes_.shown().size(), 1u);
  EXPECT_EQ(drives->Drive(), 'A');
  EXPECT_EQ(dirs->Path(), "C:\\Arbeit");
}

TEST_F(NavigationTest, DirectoryChangesProbeOnlyWhileTheReadPageIsShown) {
  WriteSetHead("Sich", 12, "Urlaub");
  std::filesystem::create_directories(Root('D') / "Ziel");
  Form1& window = Window();
  Drives(1)->SetDrive('D');
  Open(1, "Sich");
  Find<QRadioButton>("Opt_1")->click();
  Drives(0)->SetDrive('D');
  EXPECT_EQ(fs_.probes, 0);

  ClickTab(1);
  EXPECT_EQ(fs_.probes, 1);
  EXPECT_EQ(Find<QLabel>("RestoreInfoLabel")->text(), "(12 Dateien, V1.1)");
  EXPECT_TRUE(Find<QPushButton>("Command1_5")->isEnabled());
  EXPECT_EQ(window.Probe().ArchiveFileCount, 12);

  Open(1, "D:\\");
  EXPECT_EQ(fs_.probes, 2);
  EXPECT_EQ(Find<QLabel>("RestoreInfoLabel")->text(), "(Kein Archiv in diesem Verzeichnis gefunden)");
  EXPECT_FALSE(Find<QPushButton>("Command1_5")->isEnabled());
  Open(1, "Sich");
  EXPECT_EQ(fs_.probes, 3);

  // The destination's pair probes too, and the result stays the same.
  Drives(2)->SetDrive('D');
  EXPECT_EQ(fs_.probes, 4);
  Open(2, "Ziel");
  EXPECT_EQ(fs_.probes, 5);
  EXPECT_EQ(Find<QLabel>("RestoreInfoLabel")->text(), "(12 Dateien, V1.1)");
  EXPECT_EQ(Find<QPlainTextEdit>("ArchivBeschreibungTextBox_1")->toPlainText(), "Urlaub");

  ClickTab(0);
  EXPECT_EQ(fs_.probes, 5);
  Open(0, "Sich");
  Open(1, "D:\\");
  EXPECT_EQ(fs_.probes, 5);
}

}  // namespace
}  // namespace pb::testing
