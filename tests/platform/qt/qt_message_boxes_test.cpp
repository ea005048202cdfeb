// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/qt_message_boxes.h"

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include <gtest/gtest.h>

#include "qt_app.h"

namespace pb {
namespace {

// What the box looked like while it was open.
struct Seen {
  QString title;
  QString spokenName;  // what a screen reader announces
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QStringList buttons;
  QString defaultButton;
  Qt::WindowModality modality = Qt::NonModal;
};

// Shows box through QtMessageBoxes and, once it is the active modal widget,
// records it and lets answer act on it.
BoxButton ShowAnswered(const MessageBox& box, Seen& seen, const std::function<void(QMessageBox&)>& answer) {
  std::function<void()> poll;
  poll = [&] {
    auto* dialog = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (dialog == nullptr) {
      QTimer::singleShot(10, poll);
      return;
    }
    seen.title = dialog->windowTitle();
    seen.spokenName = QAccessible::queryAccessibleInterface(dialog)->text(QAccessible::Name);
    seen.text = dialog->text();
    seen.icon = dialog->icon();
    for (QAbstractButton* button : dialog->buttons()) seen.buttons << button->text();
    seen.buttons.sort();
    seen.defaultButton = dialog->defaultButton() ? dialog->defaultButton()->text() : QString();
    seen.modality = dialog->windowModality();
    answer(*dialog);
  };
  QTimer::singleShot(0, poll);
  QtMessageBoxes boxes;
  return boxes.Show(box);
}

void Click(QMessageBox& dialog, const QString& text) {
  for (QAbstractButton* button : dialog.buttons()) {
    if (button->text() == text) return button->click();
  }
  ADD_FAILURE() << "no button " << text.toStdString();
  dialog.reject();
}

void PressEnter(QMessageBox& dialog) {
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(&dialog, &press);
}

class QtMessageBoxesTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::QtApp(); }
  void TearDown() override { EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "a box was left open"; }
};

TEST_F(QtMessageBoxesTest, YesNoQuestionWithNoAsDefaultAnswersNoOnEnter) {
  const MessageBox box{.text = "Wollen Sie den Vorgang wirklich abbrechen?",
                       .icon = BoxIcon::Question,
                       .buttons = BoxButtons::YesNo,
                       .defaultButton = BoxButton::No};
  Seen seen;
  EXPECT_EQ(ShowAnswered(box, seen, PressEnter), BoxButton::No);
  EXPECT_EQ(seen.title, "Parcelbarge");
  EXPECT_EQ(seen.spokenName, "Parcelbarge: Frage");
  EXPECT_EQ(seen.text, "Wollen Sie den Vorgang wirklich abbrechen?");
  EXPECT_EQ(seen.icon, QMessageBox::Question);
  EXPECT_EQ(seen.buttons, (QStringList{"Ja", "Nein"}));
  EXPECT_EQ(seen.defaultButton, "Nein");
  EXPECT_EQ(seen.modality, Qt::ApplicationModal);
  EXPECT_EQ(ShowAnswered(box, seen, [](QMessageBox& d) { Click(d, "Ja"); }), BoxButton::Yes);
}

TEST_F(QtMessageBoxesTest, CarriageReturnsBreakLinesAndTextIsNotMarkup) {
  const MessageBox box{
      .text = "Der Datenträger ist voll! Bitte die nächste Diskette\reinlegen und auf OK klicken. <b>&amp;</b>",
      .icon = BoxIcon::Information,
      .buttons = BoxButtons::OkCancel};
  Seen seen;
  EXPECT_EQ(ShowAnswered(box, seen, [](QMessageBox& d) { Click(d, "Abbrechen"); }), BoxButton::Cancel);
  EXPECT_EQ(seen.text,
            QString::fromUtf8("Der Datenträger ist voll! Bitte die nächste Diskette\n"
                              "einlegen und auf OK klicken. <b>&amp;</b>"));
  EXPECT_EQ(seen.icon, QMessageBox::Information);
  EXPECT_EQ(seen.spokenName, "Parcelbarge: Information");
  EXPECT_EQ(seen.buttons, (QStringList{"Abbrechen", "OK"}));
  EXPECT_EQ(seen.defaultButton, "OK");
  EXPECT_EQ(ShowAnswered(box, seen, PressEnter), BoxButton::Ok);
}

TEST_F(QtMessageBoxesTest, CriticalOkBoxWithItsOwnTitle) {
  const MessageBox box{
      .text = "-3", .icon = BoxIcon::Critical, .title = "ZlibDecompressString(Buffer, FragmentHeader.NormalLen)"};
  Seen seen;
  EXPECT_EQ(ShowAnswered(box, seen, PressEnter), BoxButton::Ok);
  EXPECT_EQ(seen.title, "ZlibDecompressString(Buffer, FragmentHeader.NormalLen)");
  EXPECT_EQ(seen.icon, QMessageBox::Critical);
  EXPECT_EQ(seen.spokenName, "ZlibDecompressString(Buffer, FragmentHeader.NormalLen): Fehler");
  EXPECT_EQ(seen.buttons, (QStringList{"OK"}));
}

TEST_F(QtMessageBoxesTest, ABoxWithoutIconIsAnnouncedByItsTitleAlone) {
  Seen seen;
  EXPECT_EQ(ShowAnswered(MessageBox{.text = "Der Verzeichnisname"}, seen, PressEnter), BoxButton::Ok);
  EXPECT_EQ(seen.spokenName, "Parcelbarge");
}

}  // namespace
}  // namespace pb
