// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/qt_message_boxes.h"

#include <QMessageBox>
#include <QPushButton>
#include <map>
#include <vector>

namespace pb {

namespace {

QMessageBox::Icon QtIcon(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::Critical: return QMessageBox::Critical;
    case BoxIcon::Question: return QMessageBox::Question;
    case BoxIcon::Information: return QMessageBox::Information;
    case BoxIcon::None: break;
  }
  return QMessageBox::NoIcon;
}

// What a screen reader says after the title: the icon alone does not reach it.
QString KindOf(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::Critical: return QStringLiteral("Fehler");
    case BoxIcon::Question: return QStringLiteral("Frage");
    case BoxIcon::Information: return QStringLiteral("Information");
    case BoxIcon::None: break;
  }
  return {};
}

struct ButtonChoice {
  BoxButton button;
  QMessageBox::StandardButton standard;
  const char* text;
};

std::vector<ButtonChoice> ButtonsOf(BoxButtons buttons) {
  switch (buttons) {
    case BoxButtons::OkCancel:
      return {{BoxButton::Ok, QMessageBox::Ok, "OK"}, {BoxButton::Cancel, QMessageBox::Cancel, "Abbrechen"}};
    case BoxButtons::YesNo:
      return {{BoxButton::Yes, QMessageBox::Yes, "Ja"}, {BoxButton::No, QMessageBox::No, "Nein"}};
    case BoxButtons::Ok: break;
  }
  return {{BoxButton::Ok, QMessageBox::Ok, "OK"}};
}

}  // namespace

BoxButton QtMessageBoxes::Show(const MessageBox& box) {
  QMessageBox dialog(parent_);
  dialog.setWindowModality(Qt::ApplicationModal);
  dialog.setWindowTitle(QString::fromStdString(box.title));
  // Paths may hold "<" or "&": the text is never markup.
  dialog.setTextFormat(Qt::PlainText);
  dialog.setText(QString::fromStdString(box.text).replace(QLatin1Char('\r'), QLatin1Char('\n')));
  dialog.setIcon(QtIcon(box.icon));
  const QString kind = KindOf(box.icon);
  dialog.setAccessibleName(kind.isEmpty() ? dialog.windowTitle() : dialog.windowTitle() + QStringLiteral(": ") + kind);

  const std::vector<ButtonChoice> choices = ButtonsOf(box.buttons);
  std::map<QAbstractButton*, BoxButton> answers;
  QPushButton* defaultButton = nullptr;
  for (const ButtonChoice& choice : choices) {
    QPushButton* button = dialog.addButton(choice.standard);
    button->setText(QString::fromUtf8(choice.text));
    answers[button] = choice.button;
    if (defaultButton == nullptr || choice.button == box.defaultButton) defaultButton = button;
  }
  dialog.setDefaultButton(defaultButton);
  dialog.exec();

  const auto answer = answers.find(dialog.clickedButton());
  // Closed without a button (Escape on a box that has no escape button).
  return answer == answers.end() ? answers[defaultButton] : answer->second;
}

}  // namespace pb
