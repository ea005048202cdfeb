// SPDX-License-Identifier: GPL-3.0-or-later
// A real drag between two programs on an X display: the drag source (a second
// process) drags files onto the window's list, the pointer moved by xdotool.
// Run by xvfb_drag.sh, which starts the display; PB_DRAG_SOURCE names the
// drag source program.
#include <QProcess>
#include <QTest>

#include "window/file_list_box.h"
#include "window_fixture.h"

namespace pb::testing {
namespace {

class RealDragTest : public WindowTest {};

TEST_F(RealDragTest, TheListReceivesFilesDraggedFromAnotherProgram) {
  ASSERT_EQ(qGuiApp->platformName(), "xcb");
  WriteFile(Root('C') / "Daten/Brief.txt", "x");
  WriteFile(Root('C') / "Daten/Bilder/Hafen.jpg", "x");
  WriteFile(Root('C') / "Notiz.txt", "x");
  Form1& window = Window();
  window.move(0, 0);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  auto* list = Find<FileListBox>("FileList");
  const QPoint target = list->viewport()->mapToGlobal(list->viewport()->rect().center());
  const QPoint from(window.frameGeometry().right() + 80, 100);

  QProcess source;
  source.start(qEnvironmentVariable("PB_DRAG_SOURCE"),
               {QString::number(from.x()), QString::number(from.y()),
                QString::fromStdString((Root('C') / "Daten").string()),
                QString::fromStdString((Root('C') / "Notiz.txt").string())});
  ASSERT_TRUE(source.waitForStarted());
  QByteArray said;
  ASSERT_TRUE(QTest::qWaitFor([&] { return (said += source.readAllStandardOutput()).contains("ready"); }, 10000))
      << said.constData();

  // Press on the source, move in steps onto the list, let go there.
  QProcess pointer;
  const QPoint press = from + QPoint(60, 40);
  const auto at = [](const QPoint& point) {
    return QStringList{"mousemove", QString::number(point.x()), QString::number(point.y()), "sleep", "0.3"};
  };
  QStringList steps = at(press) + QStringList{"mousedown", "1", "sleep", "0.3"};
  for (int step = 1; step <= 4; ++step) steps += at(press + (target - press) * step / 4);
  steps += at(target + QPoint(4, 4)) + QStringList{"mouseup", "1"};
  pointer.start(QStringLiteral("xdotool"), steps);
  ASSERT_TRUE(pointer.waitForStarted());

  EXPECT_TRUE(QTest::qWaitFor([&] { return window.FileCount() == 3; }, 15000));
  EXPECT_EQ(ListEntries(), (std::vector<std::string>{"C:\\Daten\\Brief.txt", "C:\\Daten\\Bilder\\Hafen.jpg", "C:\\Notiz.txt"}));
  EXPECT_TRUE(boxes_.shown().empty());
  EXPECT_TRUE(QTest::qWaitFor([&] { return pointer.state() == QProcess::NotRunning; }, 10000));
  EXPECT_EQ(pointer.exitCode(), 0) << pointer.readAllStandardError().constData();
  // The source saw its drag taken as a copy.
  EXPECT_TRUE(QTest::qWaitFor([&] { return (said += source.readAllStandardOutput()).contains("dropped: 1"); }, 10000))
      << said.constData();
  source.terminate();
  source.waitForFinished();
}

}  // namespace
}  // namespace pb::testing
