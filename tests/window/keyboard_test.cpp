// SPDX-License-Identifier: GPL-3.0-or-later
#include <QCheckBox>
#include <QClipboard>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <algorithm>
#include <functional>

#include "backup/backup_plan.h"
#include "store/records.h"

#include "window_fixture.h"

namespace pb::testing {
namespace {

class KeyboardTest : public WindowTest {
 protected:
  Form1& ActiveWindow() {
    Form1& window = Window();
    window.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    return window;
  }
  // Where the focus stands. The two target options are one stop, as Qt makes
  // every radio group; arrows move between them.
  static std::string FocusName() {
    QWidget* focus = QApplication::focusWidget();
    const std::string name = focus ? focus->objectName().toStdString() : "(none)";
    return name.starts_with("Opt_") ? "Opt" : name;
  }
  // The stops of one round of Tab (or Shift+Tab) from the tab strip on.
  std::vector<std::string> TabRound(bool backwards) {
    std::vector<std::string> stops;
    for (QWidget* stop : TabStops(backwards)) {
      const std::string name = stop->objectName().toStdString();
      stops.push_back(name.starts_with("Opt_") ? "Opt" : name);
    }
    return stops;
  }
  std::vector<QWidget*> TabStops(bool backwards = false) {
    Find<QTabWidget>("TabStrip1")->tabBar()->setFocus();
    std::vector<QWidget*> stops;
    for (int i = 0; i < 30; ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, backwards ? Qt::ShiftModifier : Qt::NoModifier);
      if (FocusName() == "qt_tabwidget_tabbar") break;
      stops.push_back(QApplication::focusWidget());
    }
    return stops;
  }
  // Brings every control of the options page into the round.
  void ShowEveryControl() {
    Find<QRadioButton>("Opt_1")->click();
    Find<QCheckBox>("Chk_0")->click();
  }
};

TEST_F(KeyboardTest, TabRunsThroughEachPageInReadingOrderThenTheRightColumn) {
  const std::vector<std::string> column = {"Command1_2", "Command1_0", "Command1_1", "LogoImg"};
  const struct {
    int tab;
    const char* state;
    std::function<void(Form1&)> prepare;
    std::vector<std::string> stops;
  } pages[] = {
      {0, "diskette target", [](Form1&) {},
       {"FileList", "Command1_4", "Opt", "ArchivBeschreibungTextBox_0", "Command1_3"}},
      {0, "other target", [this](Form1&) { Find<QRadioButton>("Opt_1")->click(); },
       {"FileList", "Command1_4", "Opt", "DriveList_0", "DirList_0", "ArchivBeschreibungTextBox_0", "Command1_3"}},
      {1, "no set found", [](Form1&) {},
       {"DriveList_1", "DirList_1", "ArchivBeschreibungTextBox_1", "DriveList_2", "DirList_2"}},
      {1, "a set found", [](Form1& window) { window.SetRestoreEnabled(true); },
       {"DriveList_1", "DirList_1", "ArchivBeschreibungTextBox_1", "DriveList_2", "DirList_2", "Command1_5"}},
      {2, "own volume size", [this](Form1&) { Find<QCheckBox>("Chk_0")->click(); },
       {"Chk_0", "ZahlText", "UnitList", "Chk_2"}},
  };
  Form1& window = ActiveWindow();
  for (const auto& page : pages) {
    SCOPED_TRACE(page.state);
    ClickTab(page.tab);
    page.prepare(window);
    std::vector<std::string> forward = page.stops;
    forward.insert(forward.end(), column.begin(), column.end());
    EXPECT_EQ(TabRound(false), forward);
    EXPECT_EQ(TabRound(true), std::vector<std::string>(forward.rbegin(), forward.rend()));
  }
}

// Tab leaves a description box, typed or shown; it never becomes part of the
// text, nor does a pasted tab.
TEST_F(KeyboardTest, TabLeavesBothDescriptionBoxes) {
  const struct {
    int tab;
    const char* box;
    const char* before;
    const char* after;
  } boxes[] = {
      {0, "ArchivBeschreibungTextBox_0", "Opt", "Command1_3"},
      {1, "ArchivBeschreibungTextBox_1", "DirList_1", "DriveList_2"},
  };
  ActiveWindow();
  for (const auto& row : boxes) {
    SCOPED_TRACE(row.box);
    ClickTab(row.tab);
    auto* box = Find<QPlainTextEdit>(row.box);
    box->setFocus();
    QTest::keyClicks(box, "Urlaub");
    QTest::keyClick(box, Qt::Key_Tab);
    EXPECT_EQ(FocusName(), row.after);
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(FocusName(), row.before);
    EXPECT_FALSE(box->toPlainText().contains(QLatin1Char('\t')));
  }
  auto* typed = Find<QPlainTextEdit>("ArchivBeschreibungTextBox_0");
  QGuiApplication::clipboard()->setText("Fotos\t2026");
  typed->clear();
  typed->paste();
  EXPECT_EQ(Window().Description(), "Fotos 2026");
}

// A backup's choices by keys alone: files pasted into the list, the other
// target chosen and opened, a description typed; Tab then reaches the start.
TEST_F(KeyboardTest, TheWritePageIsWorkedByKeys) {
  WriteFile(Root('C') / "Daten/Brief.txt", "Sehr geehrte Damen und Herren,");
  std::filesystem::create_directories(Root('D') / "Sich");
  Form1& window = ActiveWindow();
  const auto key = [](Qt::Key pressed, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), pressed, modifiers);
  };
  Find<QTabWidget>("TabStrip1")->tabBar()->setFocus();
  key(Qt::Key_Tab);
  ASSERT_EQ(FocusName(), "FileList");
  QGuiApplication::clipboard()->setText(QString::fromStdString((Root('C') / "Daten").string()));
  key(Qt::Key_V, Qt::ControlModifier);
  key(Qt::Key_Tab);
  key(Qt::Key_Tab);
  key(Qt::Key_Down);  // to "Anderes Ziel festlegen ..."
  EXPECT_TRUE(Find<QRadioButton>("Opt_1")->isChecked());
  key(Qt::Key_Tab);
  ASSERT_EQ(FocusName(), "DriveList_0");
  key(Qt::Key_Down);  // c: to d:
  key(Qt::Key_Tab);
  key(Qt::Key_Down);
  key(Qt::Key_Return);
  key(Qt::Key_Tab);
  QTest::keyClicks(QApplication::focusWidget(), "Urlaub");
  key(Qt::Key_Tab);
  EXPECT_EQ(FocusName(), "Command1_3");
  EXPECT_EQ(window.FileCount(), 1);
  EXPECT_EQ(window.Plan().target, "D:\\Sich\\");
  EXPECT_EQ(window.Description(), "Urlaub");
}

// A restore's choices by keys alone: the source drive and directory, found set.
TEST_F(KeyboardTest, TheReadPageIsWorkedByKeys) {
  ArchiveHeader header;
  header.Major = 1;
  header.Minor = 1;
  header.FileCount = 3;
  WriteFile(Root('D') / "Sich" / "DataBlock#1.Parcelbarge", ArchiveHeaderBytes(header));
  ActiveWindow();
  auto* tabs = Find<QTabWidget>("TabStrip1")->tabBar();
  tabs->setFocus();
  QTest::keyClick(tabs, Qt::Key_Right);
  EXPECT_EQ(Window().CurrentPage(), 2);
  QTest::keyClick(tabs, Qt::Key_Tab);
  ASSERT_EQ(FocusName(), "DriveList_1");
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);  // c: to d:
  EXPECT_EQ(Dirs(1)->Path(), "D:\\");
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  EXPECT_EQ(Dirs(1)->Path(), "D:\\Sich");
  EXPECT_EQ(Find<QLabel>("RestoreInfoLabel")->text(), "(3 Dateien, V1.1)");
  EXPECT_TRUE(Find<QPushButton>("Command1_5")->isEnabled());
}

// The page keys change the page from wherever the focus stands, and wrap
// around at either end.
TEST_F(KeyboardTest, PageKeysWorkFromEveryControl) {
  const struct {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int step;
  } pageKeys[] = {
      {Qt::Key_Tab, Qt::ControlModifier, 1},
      {Qt::Key_PageDown, Qt::ControlModifier, 1},
      {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, -1},
      {Qt::Key_PageUp, Qt::ControlModifier, -1},
  };
  ActiveWindow();
  ShowEveryControl();
  for (int tab = 0; tab < 3; ++tab) {
    ClickTab(tab);
    std::vector<QWidget*> stops = TabStops();
    stops.push_back(Find<QTabWidget>("TabStrip1")->tabBar());
    for (QWidget* stop : stops) {
      for (const auto& pageKey : pageKeys) {
        SCOPED_TRACE(stop->objectName().toStdString() + " " + QKeySequence(pageKey.key | pageKey.modifiers).toString().toStdString());
        ClickTab(tab);
        stop->setFocus(Qt::TabFocusReason);
        QTest::keyClick(stop, pageKey.key, pageKey.modifiers);
        EXPECT_EQ(Window().CurrentPage(), (tab + pageKey.step + 3) % 3 + 1);
      }
    }
  }
}

// Return presses the focused button or link as Space does, in the window as
// in a dialog.
TEST_F(KeyboardTest, ReturnPressesTheFocusedButton) {
  const struct {
    const char* control;
    Qt::Key key;
    std::size_t opened;  // what the shell was asked to open, in all
    int entries;         // what the selection list holds after the key
  } presses[] = {
      {"Command1_0", Qt::Key_Return, 1, 1}, {"Command1_0", Qt::Key_Enter, 2, 1},  {"LogoImg", Qt::Key_Return, 3, 1},
      {"LogoImg", Qt::Key_Space, 4, 1},     {"Command1_4", Qt::Key_Return, 4, 0},
  };
  WriteFile(Root('C') / "Brief.txt", "Sehr geehrte Damen und Herren,");
  ActiveWindow();
  DropFiles({Root('C') / "Brief.txt"});
  for (const auto& press : presses) {
    SCOPED_TRACE(std::string(press.control) + " " + QKeySequence(press.key).toString().toStdString());
    QWidget* control = Find<QWidget>(press.control);
    control->setFocus(Qt::TabFocusReason);
    QTest::keyClick(control, press.key, press.key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
    EXPECT_EQ(shell_.opened.size(), press.opened);
    EXPECT_EQ(Window().FileCount(), press.entries);
  }
}

// Alt with a key no visible control claims (the start button's Alt+S on the
// options page) types nothing and beeps; AltGr still types.
TEST_F(KeyboardTest, AnUnclaimedAltKeyTypesNothing) {
  const struct {
    int tab;
    const char* box;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    const char* text;
    int beeps;
  } keys[] = {
      {2, "ZahlText", Qt::Key_S, Qt::AltModifier, "1423", 1},
      {2, "ZahlText", Qt::Key_W, Qt::AltModifier, "1423", 2},
      {0, "ArchivBeschreibungTextBox_0", Qt::Key_W, Qt::AltModifier, "", 3},
      {0, "ArchivBeschreibungTextBox_0", Qt::Key_At, Qt::ControlModifier | Qt::AltModifier, "@", 3},
  };
  ActiveWindow();
  ShowEveryControl();
  for (const auto& row : keys) {
    SCOPED_TRACE(row.box);
    ClickTab(row.tab);
    QWidget* box = Find<QWidget>(row.box);
    box->setFocus();
    QTest::keyClick(box, row.key, row.modifiers);
    const QString text = qobject_cast<QLineEdit*>(box) ? qobject_cast<QLineEdit*>(box)->text()
                                                       : qobject_cast<QPlainTextEdit*>(box)->toPlainText();
    EXPECT_EQ(text, row.text);
    EXPECT_EQ(host_.beeps, row.beeps);
    EXPECT_EQ(Window().CurrentPage(), row.tab + 1);
  }
}

// Every stop of the Tab round looks different while it has the focus, the
// empty list and the read-only description box included.
TEST_F(KeyboardTest, EveryStopShowsWhereTheFocusIs) {
  ActiveWindow();
  ShowEveryControl();
  std::vector<std::string> checked;
  for (int tab = 0; tab < 3; ++tab) {
    ClickTab(tab);
    for (QWidget* stop : TabStops()) {
      SCOPED_TRACE(stop->objectName().toStdString());
      stop->setFocus(Qt::TabFocusReason);
      const QImage focused = stop->grab().toImage();
      QTest::keyClick(stop, Qt::Key_Tab);
      ASSERT_FALSE(stop->hasFocus());
      EXPECT_NE(stop->grab().toImage(), focused);
      checked.push_back(stop->objectName().toStdString());
    }
  }
  for (const char* unmarked : {"FileList", "ArchivBeschreibungTextBox_1", "LogoImg"}) {
    EXPECT_NE(std::find(checked.begin(), checked.end(), unmarked), checked.end()) << unmarked;
  }
  EXPECT_EQ(Find<QListWidget>("FileList")->count(), 0);
}

}  // namespace
}  // namespace pb::testing
