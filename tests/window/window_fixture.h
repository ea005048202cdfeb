// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>
#include <QMimeData>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "scripted_boxes.h"
#include "scripted_host.h"
#include "platform/posix/posix_file_system.h"
#include "support/shell.h"
#include "temp_dir.h"
#include "window/dir_list_box.h"
#include "window/drive_list_box.h"
#include "window/form1.h"

namespace pb::testing {

// Remembers what was handed to the shell instead of launching it.
class RecordingShell : public Shell {
 public:
  void ShellOpen(const std::string& target, int showMode) override { opened.emplace_back(target, showMode); }
  std::vector<std::pair<std::string, int>> opened;
};

// Counts the set probe's looks at volume 1.
class ProbeCountingFileSystem : public FileSystemWrapper {
 public:
  using FileSystemWrapper::FileSystemWrapper;
  std::string FindEntry(const std::string& path, int mask) override {
    if (path.ends_with("\\DataBlock#1.Parcelbarge")) ++probes;
    return FileSystemWrapper::FindEntry(path, mask);
  }
  int probes = 0;
};

// Drives over temporary directories: A: a diskette drive with no medium, C:
// and D: ordinary, P: the directory of this test program (the program's own
// drive). The process works in C:\Arbeit while a window is open.
class WindowTest : public ::testing::Test {
 protected:
  WindowTest();
  // A: read from mediaDrives each time the drives are consulted, as a
  // desktop's diskette drive whose media come and go.
  explicit WindowTest(DriveReader mediaDrives);
  ~WindowTest() override;

  // A fresh window after Form_Load.
  Form1& Window();
  template <typename Widget>
  Widget* Find(const QString& name) {
    auto* widget = Window().findChild<Widget*>(name);
    EXPECT_NE(widget, nullptr) << name.toStdString();
    return widget;
  }
  std::filesystem::path Root(char letter) const;
  DriveListBox* Drives(int pair);
  DirListBox* Dirs(int pair);
  // Opens an entry of a directory list as a double click does.
  void Open(int pair, const std::string& name);
  void ClickTab(int index);  // 0-based, as the tab strip counts
  // A drop onto the selection list, as the desktop delivers it.
  void Drop(const QMimeData& data);
  void DropFiles(const std::vector<std::filesystem::path>& files);
  std::vector<std::string> ListEntries();
  // The status a run that must end the program ends it with; -1 (and a
  // failure) when it returned instead.
  static int ExitStatusOf(const std::function<void()>& action);

  TempDir dir_;
  PosixFileSystem posix_;
  ProbeCountingFileSystem fs_{posix_};
  ScriptedBoxes boxes_;
  ScriptedHost host_;
  RecordingShell shell_;
  MediumRelease* release_ = nullptr;  // given to the window's runs when set

 private:
  std::filesystem::path previousDirectory_;
  std::unique_ptr<Form1> window_;
};

}  // namespace pb::testing
