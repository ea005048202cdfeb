// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "backup/backup_plan.h"
#include "window/info_form.h"
#include "window_fixture.h"

namespace pb::testing {
namespace {

class CommandsTest : public WindowTest {};

TEST_F(CommandsTest, TheTargetOptionShowsAndHidesTheTargetPair) {
  Form1& window = Window();
  Find<QRadioButton>("Opt_1")->click();
  EXPECT_TRUE(Dirs(0)->isVisible());
  EXPECT_TRUE(Drives(0)->isVisible());
  Drives(0)->SetDrive('D');
  EXPECT_EQ(window.Plan().target, "D:\\");
  Find<QRadioButton>("Opt_0")->click();
  EXPECT_FALSE(Dirs(0)->isVisible());
  EXPECT_FALSE(Drives(0)->isVisible());
  // The hidden pair still points at D:, but the diskette wins.
  EXPECT_EQ(window.Plan().target, "A:\\");
}

TEST_F(CommandsTest, TheOwnSizeBoxShowsTheSizeControlsTogether) {
  Form1& window = Window();
  ClickTab(2);
  auto* own = Find<QCheckBox>("Chk_0");
  own->click();
  for (const char* name : {"Label1", "ZahlText", "UnitList"}) EXPECT_TRUE(Find<QWidget>(name)->isVisible()) << name;
  own->click();
  for (const char* name : {"Label1", "ZahlText", "UnitList"}) EXPECT_FALSE(Find<QWidget>(name)->isVisible()) << name;
  // Emptying the target shows nothing; the run reads it.
  Find<QCheckBox>("Chk_2")->click();
  EXPECT_TRUE(window.ClearTarget());
  EXPECT_FALSE(Find<QWidget>("ZahlText")->isVisible());
}

TEST_F(CommandsTest, TheVolumeSizeComesFromTheOptionsPage) {
  Form1& window = Window();
  auto* number = Find<QLineEdit>("ZahlText");
  auto* unit = Find<QComboBox>("UnitList");
  EXPECT_EQ(window.Plan().volumeLimit, 536870912);
  ClickTab(2);
  Find<QCheckBox>("Chk_0")->click();
  EXPECT_EQ(window.Plan().volumeLimit, 1457152);
  number->setText("1");
  unit->setCurrentIndex(1);
  EXPECT_EQ(window.Plan().volumeLimit, 1048576);
  number->setText("1234567");
  EXPECT_EQ(number->text(), "12345");
}

TEST_F(CommandsTest, TheDescriptionKeepsItsLineBreaksAndAtMost500Characters) {
  Form1& window = Window();
  auto* box = Find<QPlainTextEdit>("ArchivBeschreibungTextBox_0");
  box->setPlainText("  Urlaub\nFotos  ");
  EXPECT_EQ(window.Description(), "  Urlaub\r\nFotos  ");
  EXPECT_EQ(window.Plan().description, "Urlaub\r\nFotos");
  box->setPlainText(QString(600, QLatin1Char('x')));
  EXPECT_EQ(window.Description().size(), 500u);
  // A line break takes two of the 500.
  box->setPlainText(QString(250, QLatin1Char('\n')) + "x");
  EXPECT_EQ(window.Description().size(), 500u);
  // The found set's description is shown whole, whatever its length.
  Window().SetDescription(std::string(700, 'y'));
  EXPECT_EQ(Find<QPlainTextEdit>("ArchivBeschreibungTextBox_1")->toPlainText().size(), 700);
}

TEST_F(CommandsTest, HelpOpensTheDocumentBesideTheProgram) {
  Window();
  Find<QPushButton>("Command1_0")->click();
  ASSERT_EQ(shell_.opened.size(), 1u);
  // The test program's directory is the root of P:.
  EXPECT_EQ(shell_.opened[0].first, "P:\\Hilfe.htm");
  EXPECT_EQ(shell_.opened[0].second, kShowDefault);
  EXPECT_TRUE(boxes_.shown().empty());
}

TEST_F(CommandsTest, CancelBeforeARunQuitsWithoutAQuestion) {
  Form1& window = Window();
  try {
    window.Command1_Click(kCancelCommand);
    FAIL() << "the program did not end";
  } catch (const ProgramEnded& ended) {
    EXPECT_EQ(ended.exitStatus, kExitComplete);
  }
  EXPECT_TRUE(boxes_.shown().empty());
}

TEST_F(CommandsTest, ClosingBeforeARunClosesAtOnce) {
  Form1& window = Window();
  EXPECT_TRUE(window.close());
  EXPECT_FALSE(window.isVisible());
  EXPECT_TRUE(boxes_.shown().empty());
}

TEST_F(CommandsTest, AnImpossibleVolumeSizeIsRefusedAndTheProgramStaysOpen) {
  Form1& window = Window();
  WriteFile(Root('C') / "a.txt", "x");
  DropFiles({Root('C') / "a.txt"});
  Find<QRadioButton>("Opt_1")->click();
  Drives(0)->SetDrive('D');
  ClickTab(2);
  Find<QCheckBox>("Chk_0")->click();
  ClickTab(0);
  for (const char* size : {"0", "-5", "2048"}) {
    Find<QLineEdit>("ZahlText")->setText(size);
    Find<QComboBox>("UnitList")->setCurrentIndex(1);
    boxes_.Then(BoxButton::Ok);
    Find<QPushButton>("Command1_3")->click();
    ASSERT_FALSE(boxes_.shown().empty()) << size;
    EXPECT_EQ(boxes_.shown().back().icon, BoxIcon::Critical);
    EXPECT_FALSE(window.RunActive());
    EXPECT_TRUE(Find<QFrame>("Flayer_1")->isEnabled());
  }
  EXPECT_TRUE(std::filesystem::is_empty(Root('D')));
}

// The about window is modal: a timer acts on it while main waits.
class InfoFormTest : public WindowTest {
 protected:
  void WhileShown(std::function<void(InfoForm&)> act) {
    QTimer::singleShot(0, [act] {
      auto* info = dynamic_cast<InfoForm*>(QApplication::activeModalWidget());
      ASSERT_NE(info, nullptr);
      act(*info);
    });
  }
  static QPushButton* Button(InfoForm& info, int index) {
    return info.findChild<QPushButton*>(QStringLiteral("Btn_%1").arg(index));
  }
};

TEST_F(InfoFormTest, InfoShowsTheAboutWindowWithTheSameTextEachTime) {
  Window();
  std::vector<std::pair<QString, QString>> seen;
  for (int time = 0; time < 2; ++time) {
    WhileShown([&](InfoForm& info) {
      seen.emplace_back(info.windowTitle(), info.findChild<QLabel*>("Label_0")->text());
      EXPECT_TRUE(info.isModal());
      Button(info, 2)->click();
    });
    Find<QPushButton>("Command1_2")->click();
  }
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0], seen[1]);
  EXPECT_EQ(seen[0].first, "Info über Parcelbarge");
  EXPECT_TRUE(seen[0].second.startsWith("Parcelbarge \u2013 Transport großer Dateien leicht gemacht\n\n"));
}

TEST_F(InfoFormTest, LaunchesLeaveItOpenAndEscapeDoesNotCloseIt) {
  InfoForm info(shell_);
  WhileShown([&](InfoForm& shown) {
    Button(shown, 0)->click();
    Button(shown, 1)->click();
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&shown, &escape);
    EXPECT_TRUE(shown.isVisible());
    shown.close();
  });
  info.main("Parcelbarge", "Transport großer Dateien leicht gemacht");
  EXPECT_FALSE(info.isVisible());
  ASSERT_EQ(shell_.opened.size(), 2u);
  EXPECT_EQ(shell_.opened[0], std::make_pair(std::string("mailto:autor@parcelbarge.example.org"), kShowNormal));
  EXPECT_EQ(shell_.opened[1], std::make_pair(std::string("parcelbarge.example.org/aktuelles.htm"), kShowNormal));
}

TEST_F(InfoFormTest, TooltipsAreSetAtLoadTabOrderRunsLeftToRightAndNoButtonIsDefault) {
  InfoForm info(shell_);
  EXPECT_EQ(info.windowTitle(), "Info");
  EXPECT_TRUE(Button(info, 0)->toolTip().isEmpty());
  info.Form_Load();
  // The tooltips name the very addresses the buttons open.
  EXPECT_TRUE(Button(info, 0)->toolTip().endsWith(" autor@parcelbarge.example.org"));
  EXPECT_TRUE(Button(info, 1)->toolTip().endsWith(" parcelbarge.example.org/aktuelles.htm"));
  EXPECT_EQ(Button(info, 0)->nextInFocusChain(), Button(info, 1));
  EXPECT_EQ(Button(info, 1)->nextInFocusChain(), Button(info, 2));
  for (int i = 0; i < 3; ++i) {
    EXPECT_FALSE(Button(info, i)->isDefault()) << i;
    EXPECT_FALSE(Button(info, i)->autoDefault()) << i;
  }
}

}  // namespace
}  // namespace pb::testing
