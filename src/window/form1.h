// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMainWindow>
#include <array>
#include <memory>
#include <string>

#include "backup/backup_plan.h"
#include "restore/probe_view.h"
#include "support/runtime.h"
#include "support/shell.h"
#include "window/file_chooser.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMimeData;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace pb {

class DescriptionBox;
class DirListBox;
class DriveListBox;
class FileListBox;
class InfoForm;
class PictureLink;

// The buttons of the control array Command1, by index.
enum Command1Index : int {
  kHelpCommand = 0,
  kCancelCommand = 1,
  kInfoCommand = 2,
  kStartBackupCommand = 3,
  kClearListCommand = 4,
  kStartRestoreCommand = 5,
  kCommand1Count = 6,
};

// The program's one working window. Every setting of a run lives in its
// controls; the runs get them as a BackupPlan and through ProbeView. Controls
// are named after their arrays, with the index ("Command1_3", "Flayer_2").
class Form1 : public QMainWindow, public BackupDisplay, public ProbeView {
 public:
  Form1(Runtime runtime, Shell& shell);
  ~Form1() override;

  // Start-up: sizes, defaults and the first page; shows the window.
  void Form_Load();
  void ShowPage(int page);
  int CurrentPage() const { return currentPage_; }
  bool RunActive() const { return runActive_; }
  const ProbeResults& Probe() const { return probeResults_; }

  // Event handlers of the control arrays, by index. Those that can end the
  // program (cancel and the two starts) are reached from the buttons' clicks.
  void TabStrip1_Click();
  void Command1_Click(int index);
  void Opt_Click(int index);
  void Chk_Click(int index);
  void DriveList_Change(int index);
  void DirList_Change(int index);
  void FileList_OLEDragDrop(const QMimeData& data);
  // The list's own commands: paste, and the two "add" entries of its menu.
  void FileList_Paste(const QMimeData& pasted);
  void FileList_AddFiles();
  void FileList_AddDirectory();
  // Replaces the file dialogs, for tests.
  void SetFileChooser(FileChooser& chooser) { fileChooser_ = &chooser; }
  void LogoImg_Click();

  // The backup the controls describe, built when it is started.
  BackupPlan Plan() const;
  // The selection list's length, the description as typed and the emptying
  // option, for tests.
  int FileCount() const;
  std::string Description() const;
  bool ClearTarget() const;
  // BackupDisplay
  void SetProgress(int percent) override;

  // ProbeView
  std::string SourceDirectory() const override;
  void SetRestoreEnabled(bool enabled) override;
  void SetRestoreInfo(const std::string& text) override;
  void SetDescription(const std::string& text) override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  // form1_layout.cpp: the controls of the right-hand column and the pages.
  void CreateControls();
  void CreateRightColumn(QWidget* client);
  QFrame* CreatePage(QWidget* client, int index);
  void CreateWritePage(QFrame* page);
  void CreateReadPage(QFrame* page);
  void CreateOptionsPage(QFrame* page);
  void AddTip(QFrame* page, int tipIndex, const QString& caption, int top, int width);
  void AddDirectoryPair(QFrame* page, int index, int driveTop, int dirTop);
  void LayOutSizeRow();
  void ConnectHandlers();
  void SetTabOrder();
  // form1_accessibility.cpp: captions tied to their controls, names for the rest.
  void DescribeForScreenReaders();

  void CancelRun();
  void ShowInfo();
  void StartBackup();
  void StartRestore();
  void AddNativePaths(const QStringList& paths);
  void AddToFileList(const std::vector<std::string>& names);
  std::string DriveCurrentDirectory(char drive);

  Runtime runtime_;
  Shell& shell_;
  int currentPage_ = 0;
  bool runActive_ = false;
  ProbeResults probeResults_;
  std::unique_ptr<InfoForm> infoForm_;
  DialogFileChooser fileDialogs_;
  FileChooser* fileChooser_ = &fileDialogs_;

  QTabWidget* tabStrip1_ = nullptr;
  QLabel* image2_ = nullptr;
  PictureLink* logoImg_ = nullptr;
  QProgressBar* pbar_ = nullptr;
  std::array<QPushButton*, kCommand1Count> command1_{};
  std::array<QFrame*, 4> flayer_{};  // 1 to 3
  std::array<QLabel*, 12> tip_{};
  std::array<QLabel*, 10> image1_{};
  int image1Count_ = 0;
  FileListBox* fileList_ = nullptr;
  std::array<QRadioButton*, 2> opt_{};
  std::array<QCheckBox*, 3> chk_{};  // 0 and 2
  std::array<DriveListBox*, 3> driveList_{};
  std::array<DirListBox*, 3> dirList_{};
  std::array<DescriptionBox*, 2> archivBeschreibungTextBox_{};
  QLabel* restoreInfoLabel_ = nullptr;
  QLabel* label1_ = nullptr;
  QLineEdit* zahlText_ = nullptr;
  QComboBox* unitList_ = nullptr;
};

}  // namespace pb
