// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/qt_shell.h"

#include <QDesktopServices>
#include <QObject>
#include <QUrl>

#include <gtest/gtest.h>

#include "qt_app.h"
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
  QtShell shell{drives.fs()};
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
}

}  // namespace
}  // namespace pb

#include "qt_shell_test.moc"
