// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/qt_shell.h"

#include <QDesktopServices>
#include <QObject>
#include <QUrl>

#include <gtest/gtest.h>

#include "qt_app.h"
#include "scripted_boxes.h"
#include "test_drives.h"

namespace pb {
namespace {

// Takes the place of the desktop's handlers.
class UrlCatcher : public QObject {
  Q_OBJECT

 public:
  QList<QUrl> opened;

 public slots:
  void Open(const QUrl& url) { opened << url; }
};

class QtShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::QtApp();
    for (const char* scheme : {"https", "http", "mailto", "file"}) {
      QDesktopServices::setUrlHandler(scheme, &catcher, "Open");
    }
  }
  void TearDown() override {
    for (const char* scheme : {"https", "http", "mailto", "file"}) QDesktopServices::unsetUrlHandler(scheme);
  }

  UrlCatcher catcher;
  testing::TestDrives drives;
  testing::ScriptedBoxes boxes;
  QtShell shell{drives.fs(), boxes};
};

TEST_F(QtShellTest, WebAddressesGetASchemeAndMailAddressesStay) {
  shell.ShellOpen("parcelbarge.example.org/aktuelles.htm", kShowNormal);
  shell.ShellOpen("http://example.org/x", kShowNormal);
  shell.ShellOpen("mailto:autor@parcelbarge.example.org", kShowNormal);
  ASSERT_EQ(catcher.opened.size(), 3);
  EXPECT_EQ(catcher.opened[0], QUrl("https://parcelbarge.example.org/aktuelles.htm"));
  EXPECT_EQ(catcher.opened[1], QUrl("http://example.org/x"));
  EXPECT_EQ(catcher.opened[2], QUrl("mailto:autor@parcelbarge.example.org"));
}

TEST_F(QtShellTest, HelpDocumentOpensAsLocalFileWhetherItExistsOrNot) {
  OpenHelpDocument(shell, "C:\\Programm\\Hilfe.htm");
  ASSERT_EQ(catcher.opened.size(), 1);
  EXPECT_EQ(catcher.opened[0],
            QUrl::fromLocalFile(QString::fromStdString(drives.Native("C:\\Programm\\Hilfe.htm").string())));
}

TEST_F(QtShellTest, RefusedDocumentPathOpensNothing) {
  shell.ShellOpen("C:\\..\\etc\\passwd", kShowDefault);
  shell.ShellOpen("Q:\\Hilfe.htm", kShowDefault);
  EXPECT_TRUE(catcher.opened.isEmpty());
  EXPECT_TRUE(boxes.shown().empty());
}

// A desktop without any handler: no xdg-open, no browser named.
TEST_F(QtShellTest, WithoutAHandlerABoxNamesWhatCouldNotBeOpened) {
  TearDown();
  const QByteArray path = qgetenv("PATH");
  const QByteArray browser = qgetenv("BROWSER");
  qputenv("PATH", "/nonexistent");
  qunsetenv("BROWSER");
  const struct {
    std::string target;
    std::string named;
  } targets[] = {
      {"C:\\Programm\\Hilfe.htm", "Die Datei \"" + drives.Native("C:\\Programm\\Hilfe.htm").string() + "\""},
      {"parcelbarge.example.org/aktuelles.htm", "Die Adresse \"https://parcelbarge.example.org/aktuelles.htm\""},
      {"mailto:autor@parcelbarge.example.org", "Die E-Mail-Adresse \"autor@parcelbarge.example.org\""},
  };
  for (const auto& row : targets) {
    boxes.Then(BoxButton::Ok);
    shell.ShellOpen(row.target, kShowNormal);
  }
  qputenv("PATH", path);
  if (!browser.isNull()) qputenv("BROWSER", browser);
  ASSERT_EQ(boxes.shown().size(), std::size(targets));
  for (std::size_t i = 0; i < std::size(targets); ++i) {
    EXPECT_EQ(boxes.shown()[i].text,
              targets[i].named + " kann nicht geöffnet werden: Auf diesem System ist kein Programm dafür eingerichtet.");
    EXPECT_EQ(boxes.shown()[i].icon, BoxIcon::Critical);
  }
  SetUp();
}

}  // namespace
}  // namespace pb

#include "qt_shell_test.moc"
