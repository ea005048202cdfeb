// SPDX-License-Identifier: GPL-3.0-or-later
// The application as the program sets it up (window_test_main.cpp does the
// same): the desktop entry it belongs to, and Qt's own dialogs in German.
#include <QAbstractButton>
#include <QAction>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <memory>

#include <gtest/gtest.h>

namespace pb::testing {
namespace {

TEST(ApplicationSetupTest, TheWindowBelongsToTheDesktopEntry) {
  EXPECT_EQ(QGuiApplication::desktopFileName(), PB_APP_ID);
}

QStringList Texts(const QList<QAbstractButton*>& buttons) {
  QStringList texts;
  for (const QAbstractButton* button : buttons) texts << button->text();
  texts.sort();
  return texts;
}

// Qt's own file dialog, as the list's "add" entries open it where the desktop
// offers none of its own.
TEST(ApplicationSetupTest, QtsFileDialogsSpeakGerman) {
  const struct {
    QFileDialog::FileMode mode;
    QStringList buttons;
    QString fileNameCaption;
  } dialogs[] = {
      {QFileDialog::ExistingFiles, {"&Öffnen", "Abbrechen"}, "Datei&name:"},
      {QFileDialog::Directory, {"&Auswählen", "Abbrechen"}, "Verzeichnis:"},
  };
  for (const auto& row : dialogs) {
    SCOPED_TRACE(row.mode);
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(row.mode);
    dialog.show();
    auto* buttons = dialog.findChild<QDialogButtonBox*>("buttonBox");
    ASSERT_NE(buttons, nullptr);
    EXPECT_EQ(Texts(buttons->buttons()), row.buttons);
    EXPECT_EQ(dialog.findChild<QLabel*>("fileNameLabel")->text(), row.fileNameCaption);
    EXPECT_EQ(dialog.findChild<QLabel*>("lookInLabel")->text(), "Suchen in:");
  }
}

TEST(ApplicationSetupTest, ATextBoxsMenuSpeaksGerman) {
  QPlainTextEdit box;
  box.setPlainText("Urlaub");
  const std::unique_ptr<QMenu> menu(box.createStandardContextMenu());
  QStringList entries;
  for (const QAction* action : menu->actions()) {
    if (!action->isSeparator()) entries << action->text().section(QLatin1Char('\t'), 0, 0);
  }
  EXPECT_EQ(entries, (QStringList{"&Rückgängig", "Wieder&herstellen", "&Ausschneiden", "&Kopieren", "Einf&ügen",
                                  "Löschen", "Alles auswählen"}));
}

}  // namespace
}  // namespace pb::testing
