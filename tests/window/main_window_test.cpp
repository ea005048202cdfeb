// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <algorithm>
#include <functional>

#include "window_fixture.h"

namespace pb::testing {
namespace {

class MainWindowTest : public WindowTest {};

TEST_F(MainWindowTest, StartsOnTheWritePageWithTheDefaults) {
  Form1& window = Window();
  EXPECT_EQ(window.windowTitle(), "Parcelbarge");
  EXPECT_EQ(window.CurrentPage(), 1);
  EXPECT_FALSE(window.RunActive());
  EXPECT_TRUE(Find<QFrame>("Flayer_1")->isVisible());
  EXPECT_TRUE(Find<QFrame>("Flayer_1")->isEnabled());
  for (const char* hidden : {"Flayer_2", "Flayer_3"}) {
    EXPECT_FALSE(Find<QFrame>(hidden)->isVisible()) << hidden;
    EXPECT_FALSE(Find<QFrame>(hidden)->isEnabled()) << hidden;
  }
  EXPECT_TRUE(Find<QRadioButton>("Opt_0")->isChecked());
  EXPECT_FALSE(Find<QWidget>("DriveList_0")->isVisible());
  EXPECT_FALSE(Find<QWidget>("DirList_0")->isVisible());
  EXPECT_EQ(Find<QLineEdit>("ZahlText")->text(), "1423");
  auto* units = Find<QComboBox>("UnitList");
  ASSERT_EQ(units->count(), 2);
  EXPECT_EQ(units->itemText(0), "Kbyte");
  EXPECT_EQ(units->itemText(1), "Mbyte");
  EXPECT_EQ(units->currentIndex(), 0);
  EXPECT_EQ(Find<QLabel>("RestoreInfoLabel")->text(), "???");
  EXPECT_FALSE(Find<QPushButton>("Command1_5")->isEnabled());
  EXPECT_EQ(fs_.probes, 0);
}

TEST_F(MainWindowTest, OptionsPageShowsOnlyTheTwoCheckBoxesAndTheirCaptions) {
  Window();
  auto* page = Find<QFrame>("Flayer_3");
  std::vector<std::string> shown;
  for (QWidget* child : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (child->isVisibleTo(page) && !child->objectName().startsWith("Image1_")) {
      shown.push_back(child->objectName().toStdString());
    }
  }
  std::sort(shown.begin(), shown.end());
  EXPECT_EQ(shown, (std::vector<std::string>{"Chk_0", "Chk_2", "Tip_6", "Tip_8"}));
  EXPECT_FALSE(Find<QCheckBox>("Chk_0")->isChecked());
}

TEST_F(MainWindowTest, EveryChoiceOfTheReadPageProbesAgain) {
  Form1& window = Window();
  ClickTab(1);
  EXPECT_EQ(window.CurrentPage(), 2);
  EXPECT_TRUE(Find<QFrame>("Flayer_2")->isVisible());
  EXPECT_FALSE(Find<QFrame>("Flayer_1")->isVisible());
  EXPECT_EQ(fs_.probes, 1);
  EXPECT_EQ(Find<QLabel>("RestoreInfoLabel")->text(), "(Kein Archiv in diesem Verzeichnis gefunden)");

  ClickTab(2);
  EXPECT_EQ(window.CurrentPage(), 3);
  EXPECT_EQ(fs_.probes, 1);

  ClickTab(1);
  EXPECT_EQ(fs_.probes, 2);
  // A click on the tab already shown is a choice too.
  QTabBar* bar = Find<QTabWidget>("TabStrip1")->tabBar();
  QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(1).center());
  EXPECT_EQ(fs_.probes, 3);
  EXPECT_EQ(window.CurrentPage(), 2);
}

TEST_F(MainWindowTest, LogoOpensThePublishersPage) {
  Window();
  QTest::mouseClick(Find<QLabel>("LogoImg"), Qt::LeftButton);
  ASSERT_EQ(shell_.opened.size(), 1u);
  EXPECT_EQ(shell_.opened[0].second, kShowNormal);
  EXPECT_FALSE(Find<QLabel>("LogoImg")->toolTip().isEmpty());
}

TEST_F(MainWindowTest, ArtworkIsLoaded) {
  Form1& window = Window();
  EXPECT_FALSE(window.windowIcon().isNull());
  for (int size : {16, 32, 48}) {
    EXPECT_TRUE(window.windowIcon().availableSizes().contains(QSize(size, size))) << size;
  }
  EXPECT_FALSE(Find<QLabel>("Image2")->pixmap().isNull());
  EXPECT_FALSE(Find<QLabel>("LogoImg")->pixmap().isNull());
  EXPECT_FALSE(Find<QLabel>("Image1_0")->pixmap().isNull());
}

// Also run with QT_SCALE_FACTOR=2 and 1.5 (see CMakeLists.txt): the bullets
// keep their size beside the text and are drawn at the screen's density.
TEST_F(MainWindowTest, BulletsMeasureSixteenPixelsAtTheScreensDensity) {
  Form1& window = Window();
  const qreal ratio = window.devicePixelRatioF();
  if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR")) {
    EXPECT_EQ(ratio, qEnvironmentVariable("QT_SCALE_FACTOR").toDouble());
  }
  for (int i = 0; i < 10; ++i) {
    auto* bullet = Find<QLabel>(QStringLiteral("Image1_%1").arg(i));
    EXPECT_EQ(bullet->size(), QSize(16, 16)) << i;
    EXPECT_EQ(bullet->pixmap().size(), QSize(16, 16) * ratio) << i;
  }
}

// Also run with QT_SCALE_FACTOR=2 and 1.5: where the viewport's edge falls
// between two device pixels it must not cover the frame's last line. Each
// list and box shows its frame's colour at the bottom and the right as it
// does at the top and the left.
TEST_F(MainWindowTest, FramesOfListsAndBoxesAreWholeAtTheScreensDensity) {
  Form1& window = Window();
  int framed = 0;
  for (QAbstractScrollArea* area : window.findChildren<QAbstractScrollArea*>()) {
    if (area->objectName().isEmpty() || area->frameShape() == QFrame::NoFrame) continue;
    SCOPED_TRACE(area->objectName().toStdString());
    ++framed;
    const QImage image = area->grab().toImage();
    const int width = image.width();
    const int height = image.height();
    const auto near = [](int last, const std::function<QRgb(int)>& pixelAt, QRgb frame) {
      return pixelAt(last) == frame || pixelAt(last - 1) == frame || pixelAt(last - 2) == frame;
    };
    const QRgb top = image.pixel(width / 2, 0);
    const QRgb left = image.pixel(0, height / 2);
    EXPECT_TRUE(near(height - 1, [&](int y) { return image.pixel(width / 2, y); }, top)) << "bottom";
    EXPECT_TRUE(near(width - 1, [&](int x) { return image.pixel(x, height / 2); }, left)) << "right";
  }
  EXPECT_EQ(framed, 6) << "the file list, three directory lists and two description boxes";
}

}  // namespace
}  // namespace pb::testing
