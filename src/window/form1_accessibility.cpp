// SPDX-License-Identifier: GPL-3.0-or-later
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "window/description_box.h"
#include "window/dir_list_box.h"
#include "window/drive_list_box.h"
#include "window/file_list_box.h"
#include "window/form1.h"
#include "window/picture_link.h"

// A screen reader meets a control by its name and by the caption tied to it
// (the caption's buddy is the labelled-by relation; a drop-down list is named
// by its entry and told only by its caption). Lists, which take no caption
// relation, boxes without a name, and controls whose own text says little
// ("Ja") get a name of their own.
namespace pb {

void Form1::DescribeForScreenReaders() {
  const struct {
    int tip;
    QWidget* control;
  } captions[] = {
      {1, driveList_[0]}, {5, archivBeschreibungTextBox_[0]}, {3, command1_[3]}, {4, driveList_[1]},
      {11, archivBeschreibungTextBox_[1]}, {2, driveList_[2]}, {10, command1_[5]}, {8, chk_[0]}, {6, chk_[2]},
  };
  for (const auto& caption : captions) tip_[caption.tip]->setBuddy(caption.control);
  label1_->setBuddy(zahlText_);
  // A drop-down list is announced by its entry; only a caption says what it
  // chooses. The unit has no caption of its own on screen.
  auto* unitCaption = new QLabel(QStringLiteral("Einheit der Teilblockgröße"), unitList_->parentWidget());
  unitCaption->setObjectName(QStringLiteral("UnitListCaption"));
  unitCaption->hide();
  unitCaption->setBuddy(unitList_);

  const struct {
    QWidget* control;
    const char* name;
  } names[] = {
      {flayer_[1], "Schreiben"},
      {flayer_[2], "Lesen"},
      {flayer_[3], "Optionen"},
      {fileList_, "Zu sichernde Dateien"},
      {dirList_[0], "Zielverzeichnis der Sicherung"},
      {dirList_[1], "Verzeichnis des Sicherungssatzes"},
      {dirList_[2], "Zielverzeichnis der Wiederherstellung"},
      {archivBeschreibungTextBox_[0], "Beschreibung dieses Sicherungssatzes (max. 500 Zeichen)"},
      {archivBeschreibungTextBox_[1], "Beschreibung des gefundenen Sicherungssatzes"},
      {chk_[0], "Größe der Teilblöcke selbst festlegen"},
      {zahlText_, "Größe der Teilblöcke"},
      {chk_[2], "Sicherungsziel zuvor leeren"},
      {pbar_, "Fortschritt der Sicherung"},
      {logoImg_, "Internet-Ausgabe des Herausgebers öffnen"},
  };
  for (const auto& named : names) named.control->setAccessibleName(QString::fromUtf8(named.name));
}

}  // namespace pb
