// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/info_form.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>

#include "support/contacts.h"
#include "window/accessibles.h"
#include "window/stored_text.h"
#include "window/twips.h"
#include "window/window_font.h"
#include "window/wrapping_button.h"

namespace pb {

namespace {

enum Button { kEmail = 0, kNewsPage = 1, kClose = 2 };

std::string EmailTarget() { return std::string("mailto:") + contacts::kAuthorEmail; }

}  // namespace

std::string AboutText(const std::string& name, const std::string& subtitle) {
  return name + " \u2013 " + subtitle + "\r\r" +
         "Entwickelt vom Parcelbarge-Projekt. Die Kompression besorgt die zlib von Jean-loup Gailly und Mark "
         "Adler." +
         "\r\r" + "Version " + PB_VERSION + "\r" + "E-Mail: " + contacts::kAuthorEmail + "\r\r" +
         "Verbesserungsvorschläge sind mir gerne willkommen. Weitere interessante Tools/Infos finden Sie auf meiner "
         "Web-Site unter " +
         contacts::kWebSite;
}

InfoForm::InfoForm(Shell& shell) : QDialog(nullptr), shell_(shell) {
  setObjectName(QStringLiteral("InfoForm"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setWindowModality(Qt::ApplicationModal);
  setWindowTitle(QStringLiteral("Info"));
  setFixedSize(Twips(9390), Twips(6405));
  setFont(WindowFont(font()));
  QIcon icon;
  for (int size : {16, 32}) icon.addFile(QStringLiteral(":/art/program_icon_%1.png").arg(size));
  setWindowIcon(icon);

  auto* picture = new QLabel(this);
  picture->setObjectName(QStringLiteral("Picture1"));
  picture->setGeometry(TwipsRect(120, 120, 1635, 6135));
  picture->setPixmap(QPixmap(QStringLiteral(":/art/about_picture.png")));
  MarkAsDecoration(*picture);
  picture->setScaledContents(true);

  label_ = new QLabel(QStringLiteral("Label1"), this);
  label_->setObjectName(QStringLiteral("Label_0"));
  label_->setGeometry(TwipsRect(1920, 120, 7335, 5415));
  label_->setWordWrap(true);
  label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  QFont arial(QStringLiteral("Arial"));
  arial.setPointSizeF(9.75);
  arial.setBold(true);
  label_->setFont(InArialWidths(arial));

  auto* line = new QFrame(this);
  line->setObjectName(QStringLiteral("Line1"));
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  line->setGeometry(Twips(1920), Twips(5580) - 1, Twips(9300 - 1920), 2);

  const struct {
    const char* caption;
    int left;
    int width;
  } buttons[] = {
      {"Eine &E-Mail an mich schreiben", 1920, 1455},
      {"Die Seite 'Aktuelles' auf meiner Web-Site öffnen", 3540, 1995},
      {"Dieses Fenster &schliessen", 7860, 1455},
  };
  for (int i = 0; i < 3; ++i) {
    auto* button = new WrappingButton(QString::fromUtf8(buttons[i].caption), this);
    button->setObjectName(QStringLiteral("Btn_%1").arg(i));
    button->setGeometry(TwipsRect(buttons[i].left, 5700, buttons[i].width, 555));
    // No default button: Enter does not pick one for the user.
    button->setAutoDefault(false);
    button->setDefault(false);
    connect(button, &QPushButton::clicked, this, [this, i] { Btn_Click(i); });
    btn_[i] = button;
  }
  btn_[kClose]->setToolTip(QStringLiteral("... bringt Sie zurück zum Programm"));
  setTabOrder(btn_[kEmail], btn_[kNewsPage]);
  setTabOrder(btn_[kNewsPage], btn_[kClose]);
}

void InfoForm::Form_Load() {
  btn_[kEmail]->setToolTip(
      QString::fromUtf8("... startet Ihr E-Mail-Programm für eine Nachricht an mich unter ") + contacts::kAuthorEmail);
  btn_[kNewsPage]->setToolTip(QStringLiteral("... startet Ihren Internet-Browser mit dem Ziel ") + contacts::kNewsPage);
}

void InfoForm::main(const std::string& name, const std::string& subtitle) {
  Form_Load();
  setWindowTitle(QString::fromStdString("Info über " + name));
  label_->setText(ToDisplayText(AboutText(name, subtitle)));
  btn_[kEmail]->setFocus();
  exec();
}

void InfoForm::Btn_Click(int index) {
  switch (index) {
    case kEmail:
      shell_.ShellOpen(EmailTarget(), kShowNormal);
      break;
    case kNewsPage:
      shell_.ShellOpen(contacts::kNewsPage, kShowNormal);
      break;
    default:
      accept();
      break;
  }
}

void InfoForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    event->ignore();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace pb
