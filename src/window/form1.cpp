// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/form1.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include "backup/backup_refusal.h"
#include "backup/write_archive.h"
#include "restore/probe_archive.h"
#include "restore/read_archive.h"
#include "support/contacts.h"
#include "support/dialogs.h"
#include "support/paths.h"
#include "support/run_time_error.h"
#include "backup/selection_drop.h"
#include "window/description_box.h"
#include "window/dir_list_box.h"
#include "window/drive_list_box.h"
#include "window/file_list_box.h"
#include "window/file_list_data.h"
#include "window/info_form.h"
#include "window/keyboard_rules.h"
#include "window/picture_link.h"
#include "window/stored_text.h"
#include "window/twips.h"

namespace pb {

namespace {

// The bullet's drawing rendered for screens at 1, 1.25, 1.5, 2 and 3 times
// the density (see CMakeLists.txt).
constexpr int kBulletRenderings[] = {16, 20, 24, 32, 48};

class BusyCursor {
 public:
  BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace

Form1::Form1(Runtime runtime, Shell& shell) : runtime_(runtime), shell_(shell) {
  CreateControls();
  new KeyboardRules(*this, [this] { runtime_.host.Beep(); });
  // The three pairs start where the process stands.
  std::string current;
  try {
    current = runtime_.fs.CurrentDirectory();
  } catch (const RunTimeError&) {
    return;
  }
  for (int i = 0; i < 3; ++i) {
    driveList_[i]->SetDriveQuietly(current.empty() ? '\0' : current[0]);
    try {
      dirList_[i]->SetPath(current);
    } catch (const RunTimeError&) {
      // An unreadable working directory leaves the list empty until a drive is chosen.
    }
  }
}

Form1::~Form1() = default;

void Form1::Form_Load() {
  // 9340 × 6400 is the outer size; the border and caption take 120 × 385 of it.
  setFixedSize(Twips(9340 - 120), Twips(6400 - 385));
  setWindowTitle(QStringLiteral("Parcelbarge"));
  unitList_->addItem(QStringLiteral("Kbyte"));
  unitList_->addItem(QStringLiteral("Mbyte"));
  unitList_->setCurrentIndex(0);
  zahlText_->setText(QStringLiteral("1423"));
  opt_[0]->setChecked(true);
  Opt_Click(0);
  chk_[0]->setChecked(false);
  // Bullets are 16 × 16 pixels, as big beside their captions on any screen;
  // a scaled screen gets the drawing rendered at its own density.
  const int bulletWidth = Twips(static_cast<int>(PixelsToTwipsX(*this, 16)));
  const int bulletHeight = Twips(static_cast<int>(PixelsToTwipsY(*this, 16)));
  QIcon bulletArt;
  for (int size : kBulletRenderings) bulletArt.addFile(QStringLiteral(":/art/bullet_%1.png").arg(size));
  const QPixmap bullet = bulletArt.pixmap(QSize(bulletWidth, bulletHeight), devicePixelRatioF());
  for (int i = 0; i < image1Count_; ++i) {
    image1_[i]->resize(bulletWidth, bulletHeight);
    image1_[i]->setPixmap(bullet);
  }
  for (int i = 1; i <= 3; ++i) flayer_[i]->move(Twips(180), Twips(480));
  show();
  ShowPage(1);
}

void Form1::ShowPage(int page) {
  currentPage_ = page;
  for (int i = 1; i <= 3; ++i) {
    flayer_[i]->setVisible(i == currentPage_);
    flayer_[i]->setEnabled(i == currentPage_);
  }
}

void Form1::TabStrip1_Click() {
  if (runActive_) return;
  ShowPage(tabStrip1_->currentIndex() + 1);
  if (currentPage_ == 2) ProbeArchive(*this, runtime_.fs, probeResults_);
}

void Form1::Command1_Click(int index) {
  switch (index) {
    case kHelpCommand:
      OpenHelpDocument(shell_, AppDirectory(runtime_.fs) + "Hilfe.htm");
      break;
    case kCancelCommand:
      CancelRun();
      break;
    case kInfoCommand:
      ShowInfo();
      break;
    case kStartBackupCommand:
      StartBackup();
      break;
    case kClearListCommand:
      fileList_->clear();
      break;
    case kStartRestoreCommand:
      StartRestore();
      break;
    default:
      break;
  }
}

void Form1::CancelRun() {
  if (!runActive_) runtime_.EndProgram(kExitComplete);
  if (ConfirmCancel(runtime_.boxes)) runtime_.EndProgram(kExitGivenUp);
}

void Form1::ShowInfo() {
  if (!infoForm_) infoForm_ = std::make_unique<InfoForm>(shell_);
  infoForm_->main("Parcelbarge", "Transport großer Dateien leicht gemacht");
}

void Form1::StartBackup() {
  const CheckedPlan checked = BackupRefusal(runtime_.fs, Plan());
  if (const std::string* refusal = std::get_if<std::string>(&checked)) {
    runtime_.boxes.Show(MessageBox{.text = *refusal, .icon = BoxIcon::Critical});
    return;
  }
  runActive_ = true;
  flayer_[1]->setEnabled(false);
  const BackupOutcome outcome = WriteArchive(runtime_, std::get<BackupPlan>(checked), *this, DefaultBackupWorkers());
  runtime_.EndProgram(outcome == BackupOutcome::Complete ? kExitComplete : kExitGivenUp);
}

void Form1::StartRestore() {
  runActive_ = true;
  flayer_[2]->setEnabled(false);
  const RestoreOutcome outcome = ReadArchive(runtime_, probeResults_, SourceDirectory(), dirList_[2]->Path());
  runtime_.EndProgram(outcome == RestoreOutcome::Intact ? kExitComplete : kExitGivenUp);
}

void Form1::Opt_Click(int index) {
  driveList_[0]->setVisible(index == 1);
  dirList_[0]->setVisible(index == 1);
}

void Form1::Chk_Click(int index) {
  if (index != 0) return;
  const bool ticked = chk_[0]->isChecked();
  label1_->setVisible(ticked);
  zahlText_->setVisible(ticked);
  unitList_->setVisible(ticked);
}

std::string Form1::DriveCurrentDirectory(char drive) {
  // Only the process's own drive has a working directory other than its root.
  try {
    const std::string current = runtime_.fs.CurrentDirectory();
    if (!current.empty() && current[0] == drive) return current;
  } catch (const RunTimeError&) {
    // A working directory outside every drive: the root will do.
  }
  return std::string(1, drive) + ":\\";
}

void Form1::DriveList_Change(int index) {
  try {
    dirList_[index]->SetPath(DriveCurrentDirectory(driveList_[index]->Drive()));
  } catch (const RunTimeError&) {
    // The drive by its letter: a label or mount path would read as a name
    // the user never gave it.
    runtime_.boxes.Show(MessageBox{.text = "Auf Laufwerk " + std::string(1, driveList_[index]->Drive()) +
                                           ": kann nicht zugegriffen werden!",
                                   .icon = BoxIcon::Critical});
    // Selecting the program's drive raises this handler again, unless it is
    // the drive that just failed.
    try {
      driveList_[index]->SetDrive(AppDirectory(runtime_.fs)[0]);
    } catch (const RunTimeError&) {
      // The program outside every drive: the pair stays on the failed drive.
    }
  }
}

void Form1::DirList_Change(int) {
  if (currentPage_ == 2) ProbeArchive(*this, runtime_.fs, probeResults_);
}

void Form1::FileList_OLEDragDrop(const QMimeData& dropped) {
  const QStringList paths = DroppedPaths(dropped);
  if (paths.isEmpty()) {
    ShowNotAFileList(runtime_.boxes);
    return;
  }
  AddNativePaths(paths);
}

// The drop's message speaks of dragging; a paste that names no files is only
// refused with a beep.
void Form1::FileList_Paste(const QMimeData& pasted) {
  const QStringList paths = PastedPaths(pasted);
  if (paths.isEmpty()) {
    runtime_.host.Beep();
    return;
  }
  AddNativePaths(paths);
}

void Form1::FileList_AddFiles() { AddNativePaths(fileChooser_->Files(*this)); }

void Form1::FileList_AddDirectory() {
  const QString directory = fileChooser_->Directory(*this);
  if (!directory.isEmpty()) AddNativePaths({directory});
}

// Every way of adding names ends here, so each gets the checks of a drop.
// Only the names a set stores need a drive form: a directory above them
// without one gets a drive of the run.
void Form1::AddNativePaths(const QStringList& paths) {
  std::vector<std::string> names;
  for (const QString& path : paths) {
    try {
      names.push_back(runtime_.fs.ToDriveFormForRun(path.toStdString()));
    } catch (const RunTimeError&) {
      // Outside every drive: nothing the set could name.
    }
  }
  AddToFileList(names);
}

void Form1::AddToFileList(const std::vector<std::string>& names) {
  const BusyCursor busy;
  std::vector<std::string> found;
  AddDroppedNames(runtime_, names, found);
  for (const std::string& file : found) fileList_->addItem(QString::fromStdString(file));
}

void Form1::LogoImg_Click() {
  shell_.ShellOpen(contacts::kPublisherPage, kShowNormal);
}

// Closing through the title bar acts like the cancel button during a run;
// before a run the window simply closes.
void Form1::closeEvent(QCloseEvent* event) {
  if (!runActive_) {
    event->accept();
    return;
  }
  event->ignore();
  CancelRun();
}

BackupPlan Form1::Plan() const {
  BackupPlan plan;
  plan.diskette = opt_[0]->isChecked();
  plan.target = PlanTarget(plan.diskette, dirList_[0]->Path());
  plan.volumeLimit = VolumeSizeLimit(chk_[0]->isChecked(), zahlText_->text().toStdString(), unitList_->currentIndex());
  for (int i = 0; i < fileList_->count(); ++i) plan.files.push_back(fileList_->item(i)->text().toStdString());
  plan.description = StoredDescription(Description());
  plan.clearTarget = ClearTarget();
  return plan;
}

int Form1::FileCount() const { return fileList_->count(); }
std::string Form1::Description() const { return archivBeschreibungTextBox_[0]->StoredText(); }
bool Form1::ClearTarget() const { return chk_[2]->isChecked(); }
void Form1::SetProgress(int percent) { pbar_->setValue(percent); }

std::string Form1::SourceDirectory() const { return dirList_[1]->Path(); }
void Form1::SetRestoreEnabled(bool enabled) { command1_[kStartRestoreCommand]->setEnabled(enabled); }
void Form1::SetRestoreInfo(const std::string& text) { restoreInfoLabel_->setText(ToDisplayText(text)); }
void Form1::SetDescription(const std::string& text) { archivBeschreibungTextBox_[1]->SetStoredText(text); }

}  // namespace pb
