// SPDX-License-Identifier: GPL-3.0-or-later
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QProgressBar>
#include <QRadioButton>
#include <QTabWidget>
#include <algorithm>

#include "window_fixture.h"

namespace pb::testing {
namespace {

// Whole runs through the real window: a backup into a directory with an own
// volume size, the restore of that set, and a cancelled backup.
class WholeProgramTest : public WindowTest {
 protected:
  void SetUp() override {
    WriteFile(Root('C') / "Daten/Brief.txt", "Sehr geehrte Damen und Herren,");
    WriteFile(Root('C') / "Daten/Bilder/Hafen.raw", RandomBytes(300000, 1));
    WriteFile(Root('C') / "Daten/Bilder/Leer.raw", "");
    WriteFile(Root('C') / "Daten/Tabelle.bin", RandomBytes(150000, 2));
  }

  // The write page filled: the tree of C:\Daten, target D:\Sich, 100 Kbyte volumes.
  void PrepareBackup() {
    std::filesystem::create_directories(Root('D') / "Sich");
    DropFiles({Root('C') / "Daten"});
    Find<QRadioButton>("Opt_1")->click();
    Drives(0)->SetDrive('D');
    Open(0, "Sich");
    ClickTab(2);
    Find<QCheckBox>("Chk_0")->click();
    Find<QLineEdit>("ZahlText")->setText("100");
    ClickTab(0);
  }

  std::vector<std::string> Volumes() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(Root('D') / "Sich")) {
      const std::string name = entry.path().filename().string();
      if (name.rfind("DataBlock#", 0) == 0) names.push_back(name);  // not the identity record
    }
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST_F(WholeProgramTest, BackupThenRestoreFromTheWindow) {
  Form1& window = Window();
  PrepareBackup();
  ASSERT_EQ(window.FileCount(), 4);
  int progressSeen = 0;
  host_.onYield = [&](int) { progressSeen = std::max(progressSeen, Find<QProgressBar>("pbar")->value()); };
  boxes_.Then(BoxButton::Ok);  // "Die Kopie ist fertig!"
  EXPECT_EQ(ExitStatusOf([&] { window.Command1_Click(kStartBackupCommand); }), kExitComplete);
  EXPECT_TRUE(window.RunActive());
  EXPECT_FALSE(Find<QFrame>("Flayer_1")->isEnabled());
  EXPECT_EQ(boxes_.texts(), std::vector<std::string>{"Die Kopie ist fertig!"});
  EXPECT_GT(progressSeen, 0);
  const std::vector<std::string> volumes = Volumes();
  ASSERT_GE(volumes.size(), 3u);
  EXPECT_EQ(volumes[0], "DataBlock#1.Parcelbarge");
  // A volume is closed once it reaches the size, so it ends within a fragment of it.
  for (std::size_t i = 0; i + 1 < volumes.size(); ++i) {
    const auto size = std::filesystem::file_size(Root('D') / "Sich" / volumes[i]);
    EXPECT_GE(size, 102400u) << volumes[i];
    EXPECT_LT(size, 102400u + 131072u) << volumes[i];
  }
}

TEST_F(WholeProgramTest, RestoreRecreatesEveryFileBelowTheDestination) {
  {
    Form1& writer = Window();
    PrepareBackup();
    boxes_.Then(BoxButton::Ok);
    ASSERT_EQ(ExitStatusOf([&] { writer.Command1_Click(kStartBackupCommand); }), kExitComplete);
  }
  // A second start of the program, as after the backup's end.
  std::filesystem::create_directories(Root('D') / "Ziel");
  Form1 reader(Runtime{fs_, boxes_, host_}, shell_);
  reader.Form_Load();
  auto* sourceDrives = reader.findChild<DriveListBox*>("DriveList_1");
  auto* targetDrives = reader.findChild<DriveListBox*>("DriveList_2");
  reader.findChild<QTabWidget*>("TabStrip1")->setCurrentIndex(1);
  sourceDrives->SetDrive('D');
  reader.findChild<DirListBox*>("DirList_1")->SetPath("D:\\Sich");
  targetDrives->SetDrive('D');
  reader.findChild<DirListBox*>("DirList_2")->SetPath("D:\\Ziel");
  EXPECT_EQ(reader.findChild<QLabel*>("RestoreInfoLabel")->text(), "(4 Dateien, V1.1)");
  ASSERT_TRUE(reader.findChild<QPushButton*>("Command1_5")->isEnabled());

  const int beeps = host_.beeps;
  EXPECT_EQ(ExitStatusOf([&] { reader.Command1_Click(kStartRestoreCommand); }), kExitComplete);
  EXPECT_FALSE(reader.findChild<QFrame*>("Flayer_2")->isEnabled());
  EXPECT_EQ(host_.beeps, beeps + 1);
  for (const char* file : {"Daten/Brief.txt", "Daten/Bilder/Hafen.raw", "Daten/Bilder/Leer.raw", "Daten/Tabelle.bin"}) {
    EXPECT_EQ(ReadFile(Root('D') / "Ziel" / file), ReadFile(Root('C') / file)) << file;
  }
}

TEST_F(WholeProgramTest, CancelDuringABackupAsksAndOnlyYesEndsIt) {
  Form1& window = Window();
  PrepareBackup();
  const int before = host_.yields;  // the drop's walk yields too
  host_.onYield = [&](int yieldNumber) {
    const int yield = yieldNumber - before;
    if (yield == 1) {
      // A real click, processed in the run's yield; No lets the run go on.
      boxes_.Then(BoxButton::No);
      Find<QPushButton>("Command1_1")->click();
      EXPECT_EQ(boxes_.shown().size(), 1u);
      // Tabs are frozen while the run is active.
      const int probes = fs_.probes;
      ClickTab(1);
      EXPECT_EQ(window.CurrentPage(), 1);
      EXPECT_EQ(fs_.probes, probes);
      // So is closing through the title bar: it asks the same question.
      boxes_.Then(BoxButton::No);
      EXPECT_FALSE(window.close());
      EXPECT_EQ(boxes_.shown().size(), 2u);
      EXPECT_TRUE(window.isVisible());
    } else if (yield == 3) {
      boxes_.Then(BoxButton::Yes);
      window.Command1_Click(kCancelCommand);
    }
  };
  EXPECT_EQ(ExitStatusOf([&] { window.Command1_Click(kStartBackupCommand); }), kExitGivenUp);
  EXPECT_EQ(host_.yields - before, 3);
  EXPECT_EQ(boxes_.texts(), std::vector<std::string>(3, "Wollen Sie den Vorgang wirklich abbrechen?"));
  EXPECT_EQ(boxes_.shown()[0].defaultButton, BoxButton::No);
  // What was written so far stays.
  EXPECT_EQ(Volumes().front(), "DataBlock#1.Parcelbarge");
}

TEST_F(WholeProgramTest, AnEmptyListIsNotRefused) {
  Form1& window = Window();
  PrepareBackup();
  Find<QPushButton>("Command1_4")->click();
  boxes_.Then(BoxButton::Ok);
  EXPECT_EQ(ExitStatusOf([&] { window.Command1_Click(kStartBackupCommand); }), kExitComplete);
  EXPECT_EQ(boxes_.texts(), std::vector<std::string>{"Die Kopie ist fertig!"});
}

}  // namespace
}  // namespace pb::testing
