// SPDX-License-Identifier: GPL-3.0-or-later
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QShortcut>
#include <QTabWidget>
#include <algorithm>

#include "window/accessibles.h"
#include "window/description_box.h"
#include "window/dir_list_box.h"
#include "window/drive_list_box.h"
#include "window/file_list_box.h"
#include "window/form1.h"
#include "window/picture_link.h"
#include "window/twips.h"
#include "window/window_font.h"

// Positions and sizes are in twips; controls on a page are placed relative to
// their page frame.
namespace pb {

namespace {

constexpr int kTipLeft = 480;
constexpr int kTipWidth = 2400;
constexpr int kBulletLeft = 120;
constexpr int kControlLeft = 2940;
constexpr int kControlWidth = 4395;
constexpr int kDescriptionMaxLength = 500;

QString Name(const char* array, int index) {
  return QStringLiteral("%1_%2").arg(QLatin1String(array)).arg(index);
}

template <typename Widget>
Widget* Place(Widget* widget, const QString& objectName, int left, int top, int width, int height) {
  widget->setObjectName(objectName);
  widget->setGeometry(TwipsRect(left, top, width, height));
  return widget;
}

// A caption's word broken by "- " reads as one word where it fits on a line
// and is hyphenated where the line breaks in it.
QString SoftHyphens(QString caption) {
  static const QRegularExpression brokenWord(QStringLiteral("(?<=\\p{L})- (?=\\p{Ll})"));
  return caption.replace(brokenWord, QString(QChar(0x00AD)));
}

QPushButton* StartButton(QFrame* page, int index, const QString& caption) {
  auto* button = Place(new QPushButton(caption, page), Name("Command1", index), 4260, 4620, 3075, 495);
  button->setFont(WindowFont(button->font(), QFont::Bold));
  return button;
}

}  // namespace

void Form1::CreateControls() {
  const QFont windowFont = WindowFont(font());
  setFont(windowFont);
  QIcon icon;
  for (int size : {16, 32, 48}) icon.addFile(QStringLiteral(":/art/program_icon_%1.png").arg(size));
  setWindowIcon(icon);

  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("Form1Client"));
  setCentralWidget(client);

  tabStrip1_ = Place(new QTabWidget(client), QStringLiteral("TabStrip1"), 60, 60, 7815, 5895);
  for (const char* caption : {"Schreiben", "Lesen", "Optionen"}) {
    tabStrip1_->addTab(new QWidget(tabStrip1_), QString::fromUtf8(caption));
  }
  tabStrip1_->tabBar()->setFont(WindowFont(windowFont, QFont::Bold));

  CreateRightColumn(client);
  CreateWritePage(CreatePage(client, 1));
  CreateReadPage(CreatePage(client, 2));
  CreateOptionsPage(CreatePage(client, 3));
  ConnectHandlers();
  SetTabOrder();
  DescribeForScreenReaders();
}

void Form1::CreateRightColumn(QWidget* client) {
  constexpr int kLeft = 7980;
  constexpr int kWidth = 1215;
  image2_ = Place(new QLabel(client), QStringLiteral("Image2"), kLeft, 360, 1200, 1140);
  image2_->setPixmap(QPixmap(QStringLiteral(":/art/program_icon_48.png")));
  image2_->setScaledContents(true);
  MarkAsDecoration(*image2_);

  pbar_ = Place(new QProgressBar(client), QStringLiteral("pbar"), kLeft, 1740, kWidth, 375);
  pbar_->setRange(0, 100);
  pbar_->setValue(0);
  pbar_->setTextVisible(false);

  command1_[kInfoCommand] =
      Place(new QPushButton(QStringLiteral("&Info"), client), Name("Command1", kInfoCommand), kLeft, 2220, kWidth, 555);
  command1_[kHelpCommand] = Place(new QPushButton(QStringLiteral("&Hilfe"), client), Name("Command1", kHelpCommand),
                                  kLeft, 2880, kWidth, 555);
  command1_[kCancelCommand] = Place(new QPushButton(QStringLiteral("&Abbrechen"), client),
                                    Name("Command1", kCancelCommand), kLeft, 3540, kWidth, 555);

  logoImg_ = Place(new PictureLink(client), QStringLiteral("LogoImg"), kLeft, 4260, kWidth, 1695);
  logoImg_->setPixmap(QPixmap(QStringLiteral(":/art/logo.png")));
  logoImg_->setScaledContents(true);
  logoImg_->setToolTip(QStringLiteral("Ein Klick hier führt Sie zur aktuellen Internet-Ausgabe des Herausgebers"));
}

QFrame* Form1::CreatePage(QWidget* client, int index) {
  auto* page = new QFrame(client);
  page->setObjectName(Name("Flayer", index));
  page->resize(Twips(7545), Twips(5295));
  page->setFrameShape(QFrame::NoFrame);
  page->raise();
  flayer_[index] = page;
  return page;
}

void Form1::AddTip(QFrame* page, int tipIndex, const QString& caption, int top, int width) {
  auto* tip = Place(new QLabel(SoftHyphens(caption), page), Name("Tip", tipIndex), kTipLeft, top, width, 750);
  tip->setWordWrap(true);
  tip->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  tip_[tipIndex] = tip;

  const int bullet = image1Count_++;
  auto* image = Place(new QLabel(page), Name("Image1", bullet), kBulletLeft, top, 240, 240);
  image->setScaledContents(true);
  MarkAsDecoration(*image);
  image1_[bullet] = image;
}

void Form1::AddDirectoryPair(QFrame* page, int index, int driveTop, int dirTop) {
  driveList_[index] =
      Place(new DriveListBox(runtime_.fs, page), Name("DriveList", index), kControlLeft, driveTop, kControlWidth, 315);
  const int dirHeight = index == 1 ? 1035 : 765;
  dirList_[index] = Place(new DirListBox(runtime_.fs, page), Name("DirList", index), kControlLeft, dirTop, kControlWidth, dirHeight);
}

void Form1::CreateWritePage(QFrame* page) {
  AddTip(page, 0, QStringLiteral("Diese Dateien haben Sie zur Sicherung ausgewählt:"), 300, 6855);
  fileList_ = Place(new FileListBox(page), QStringLiteral("FileList"), 480, 600, 6855, 1230);

  // The cross mark is a ballot X; DejaVu Sans carries it on every desktop we build for.
  command1_[kClearListCommand] =
      Place(new QPushButton(QString(QChar(0x2718)), page), Name("Command1", kClearListCommand), 6900, 1860, 435, 315);
  QFont cross(QStringLiteral("DejaVu Sans"));
  cross.setPointSize(12);
  command1_[kClearListCommand]->setFont(cross);
  command1_[kClearListCommand]->setAccessibleName(QStringLiteral("Liste leeren"));

  AddTip(page, 1, QStringLiteral("Wohin soll die Sicherung erfolgen?"), 2340, kTipWidth);
  AddDirectoryPair(page, 0, 2340, 2760);
  opt_[0] = Place(new QRadioButton(QStringLiteral("Auf &Diskette in Laufwerk A:"), page), Name("Opt", 0), 480, 2820,
                  kTipWidth, 315);
  opt_[1] = Place(new QRadioButton(QStringLiteral("Anderes &Ziel festlegen ..."), page), Name("Opt", 1), 480, 3180,
                  kTipWidth, 315);

  AddTip(page, 5, QStringLiteral("Beschreibung dieses Sicherungs- satzes (max. 500 Zeichen)"), 3840, kTipWidth);
  archivBeschreibungTextBox_[0] = Place(new DescriptionBox(kDescriptionMaxLength, page),
                                        Name("ArchivBeschreibungTextBox", 0), kControlLeft, 3840, kControlWidth, 495);

  AddTip(page, 3, QStringLiteral("Klicken Sie hier, um die Sicherung jetzt zu starten ..."), 4620, kTipWidth);
  command1_[kStartBackupCommand] = StartButton(page, kStartBackupCommand, QStringLiteral("&Sicherung starten"));
}

void Form1::CreateReadPage(QFrame* page) {
  AddTip(page, 4, QStringLiteral("Wählen Sie hier die Quelle des Sicherungssatzes aus:"), 300, kTipWidth);
  AddDirectoryPair(page, 1, 300, 720);

  AddTip(page, 11, QStringLiteral("Beschreibung des gefundenen Sicherungssatzes:"), 1860, kTipWidth);
  archivBeschreibungTextBox_[1] = Place(new DescriptionBox(kDescriptionMaxLength, page),
                                        Name("ArchivBeschreibungTextBox", 1), kControlLeft, 1860, kControlWidth, 915);
  archivBeschreibungTextBox_[1]->setReadOnly(true);

  // Two lines high: the summary of a directory without a set wraps once.
  restoreInfoLabel_ = Place(new QLabel(QStringLiteral("???"), page), QStringLiteral("RestoreInfoLabel"), 480, 2280, 2355, 450);
  restoreInfoLabel_->setWordWrap(true);
  QPalette grey = restoreInfoLabel_->palette();
  grey.setColor(QPalette::WindowText, grey.color(QPalette::Disabled, QPalette::WindowText));
  restoreInfoLabel_->setPalette(grey);

  AddTip(page, 2, QStringLiteral("Wohin soll die Sicherung erfolgen?"), 3120, kTipWidth);
  AddDirectoryPair(page, 2, 3120, 3540);

  AddTip(page, 10, QStringLiteral("Klicken Sie hier, um die Wieder- herstellung jetzt zu starten ..."), 4620, kTipWidth);
  command1_[kStartRestoreCommand] =
      StartButton(page, kStartRestoreCommand, QStringLiteral("&Wiederherstellung starten"));
  // Nothing to restore until a probe has found a set.
  command1_[kStartRestoreCommand]->setEnabled(false);
}

void Form1::CreateOptionsPage(QFrame* page) {
  AddTip(page, 8, QStringLiteral("Möchten Sie die Größe der einzelnen Teilblöcke selbst festlegen?"), 300, kTipWidth);
  // The row leaves the check box and the unit list the room their captions
  // take beside the check mark and the drop-down arrow.
  chk_[0] = Place(new QCheckBox(QStringLiteral("&Ja"), page), Name("Chk", 0), kControlLeft, 240, 540, 315);
  label1_ = Place(new QLabel(QStringLiteral("- und zwar auf "), page), QStringLiteral("Label1"), 3480, 300, 1080, 255);
  zahlText_ = Place(new QLineEdit(page), QStringLiteral("ZahlText"), 4560, 270, 600, 315);
  zahlText_->setMaxLength(5);
  unitList_ = Place(new QComboBox(page), QStringLiteral("UnitList"), 5160, 270, 900, 315);
  for (QWidget* sizeControl : {static_cast<QWidget*>(label1_), static_cast<QWidget*>(zahlText_),
                               static_cast<QWidget*>(unitList_)}) {
    sizeControl->hide();
  }

  AddTip(page, 6, QStringLiteral("Soll das Sicherungsziel (Verzeichnis) zuvor geleert werden?"), 1260, kTipWidth);
  chk_[2] = Place(new QCheckBox(QStringLiteral("Ja, &leeren"), page), Name("Chk", 2), kControlLeft, 1200, kTipWidth, 315);
  LayOutSizeRow();
}

// "- und zwar auf " leads into the number: a wider font than the layout was
// measured in moves the number and the unit on rather than touch them.
void Form1::LayOutSizeRow() {
  constexpr int kGap = 60;
  const int textEnd = label1_->x() + label1_->fontMetrics().horizontalAdvance(label1_->text().trimmed());
  const int shift = std::max(0, textEnd + Twips(kGap) - zahlText_->x());
  label1_->resize(label1_->width() + shift, label1_->height());
  zahlText_->move(zahlText_->x() + shift, zahlText_->y());
  unitList_->move(unitList_->x() + shift, unitList_->y());
}

void Form1::ConnectHandlers() {
  connect(tabStrip1_, &QTabWidget::currentChanged, this, [this] { TabStrip1_Click(); });
  // A click on the tab already shown counts as a choice too.
  connect(tabStrip1_, &QTabWidget::tabBarClicked, this, [this](int index) {
    if (index == tabStrip1_->currentIndex()) TabStrip1_Click();
  });
  // The page keys work from every control, not only from the tab strip.
  const struct {
    QKeyCombination keys;
    int step;
  } pageKeys[] = {{Qt::CTRL | Qt::Key_Tab, 1},
                  {Qt::CTRL | Qt::Key_PageDown, 1},
                  {Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab, -1},
                  {Qt::CTRL | Qt::Key_PageUp, -1}};
  for (const auto& pageKey : pageKeys) {
    connect(new QShortcut(QKeySequence(pageKey.keys), this), &QShortcut::activated, this, [this, step = pageKey.step] {
      const int count = tabStrip1_->count();
      tabStrip1_->setCurrentIndex((tabStrip1_->currentIndex() + step + count) % count);
    });
  }
  logoImg_->Click = [this] { LogoImg_Click(); };
  for (int i = 0; i < kCommand1Count; ++i) {
    connect(command1_[i], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
  }
  for (int i = 0; i < 2; ++i) connect(opt_[i], &QRadioButton::clicked, this, [this, i] { Opt_Click(i); });
  for (int i : {0, 2}) connect(chk_[i], &QCheckBox::clicked, this, [this, i] { Chk_Click(i); });
  for (int i = 0; i < 3; ++i) {
    connect(driveList_[i], &QComboBox::currentIndexChanged, this, [this, i] { DriveList_Change(i); });
    dirList_[i]->Change = [this, i] { DirList_Change(i); };
  }
  fileList_->OLEDragDrop = [this](const QMimeData& dropped) { FileList_OLEDragDrop(dropped); };
  fileList_->paste = [this](const QMimeData& pasted) { FileList_Paste(pasted); };
  fileList_->addFiles = [this] { FileList_AddFiles(); };
  fileList_->addDirectory = [this] { FileList_AddDirectory(); };
}

// Tab runs from the tab strip through the visible page in reading order, then
// down the right-hand column; hidden pages drop out of the run by themselves.
void Form1::SetTabOrder() {
  const std::vector<QWidget*> order = {
      tabStrip1_,
      fileList_, command1_[4], opt_[0], opt_[1], driveList_[0], dirList_[0], archivBeschreibungTextBox_[0], command1_[3],
      driveList_[1], dirList_[1], archivBeschreibungTextBox_[1], driveList_[2], dirList_[2], command1_[5],
      chk_[0], zahlText_, unitList_, chk_[2],
      command1_[2], command1_[0], command1_[1], logoImg_,
  };
  for (std::size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

}  // namespace pb
