// SPDX-License-Identifier: GPL-3.0-or-later
// Renders the three pages of the main window and the about window to PNG
// files, offscreen, over a small made-up set of drives:
//   window_screenshots <output directory>
#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTimer>
#include <QUrl>
#include <filesystem>
#include <iostream>

#include "scripted_boxes.h"
#include "scripted_host.h"
#include "store/records.h"
#include "platform/posix/posix_file_system.h"
#include "temp_dir.h"
#include "window/dir_list_box.h"
#include "window/drive_list_box.h"
#include "window/file_list_box.h"
#include "window/form1.h"
#include "window/info_form.h"

namespace {

class NoShell : public pb::Shell {
 public:
  void ShellOpen(const std::string&, int) override {}
};

bool Save(QWidget& widget, const std::filesystem::path& file) {
  const bool saved = widget.grab().save(QString::fromStdString(file.string()));
  if (!saved) std::cerr << "cannot write " << file << "\n";
  return saved;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: window_screenshots <output directory>\n";
    return 2;
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  setenv("QT_FONT_DPI", "96", 1);
  QApplication app(argc, argv);
  // Absolute: the working directory moves into the made-up drive below.
  const std::filesystem::path out = std::filesystem::absolute(argv[1]);
  std::error_code ignored;  // a directory that cannot be made shows as a file that cannot be written
  std::filesystem::create_directories(out, ignored);

  pb::testing::TempDir dir;
  std::vector<pb::Drive> drives;
  for (const char letter : {'A', 'C', 'D'}) {
    std::filesystem::create_directory(dir / std::string(1, letter));
    drives.push_back({letter, (dir / std::string(1, letter)).string(), letter == 'D' ? "Sicherung" : "", letter == 'A'});
  }
  for (const char* file : {"Daten/Angebot 2024.doc", "Daten/Fotos/Hafen.jpg", "Daten/Fotos/Schleuse.jpg",
                           "Daten/Kalkulation.xls", "Daten/Präsentation.ppt"}) {
    pb::testing::WriteFile(dir / "C" / file, "x");
  }
  pb::ArchiveHeader header;
  header.Major = 1;
  header.Minor = 1;
  header.Revision = 2;
  header.FileCount = 5;
  header.Description = "Projektunterlagen für das Büro in Hamburg";
  pb::testing::WriteFile(dir / "D/Sich/DataBlock#1.Parcelbarge", pb::ArchiveHeaderBytes(header));
  std::filesystem::create_directories(dir / "D/Ziel");
  std::filesystem::current_path(dir / "C" / "Daten");

  pb::PosixFileSystem fs{pb::DriveTable(drives)};
  pb::testing::ScriptedBoxes boxes;
  pb::testing::ScriptedHost host;
  NoShell shell;
  pb::Form1 window(pb::Runtime{fs, boxes, host}, shell);
  window.Form_Load();

  QMimeData dropped;
  dropped.setUrls({QUrl::fromLocalFile(QString::fromStdString((dir / "C/Daten").string()))});
  auto* list = window.findChild<pb::FileListBox*>("FileList");
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(list->viewport(), &enter);
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(list->viewport(), &drop);
  window.findChild<QPlainTextEdit*>("ArchivBeschreibungTextBox_0")->setPlainText(QString::fromStdString(header.Description));
  window.findChild<pb::DriveListBox*>("DriveList_1")->SetDrive('D');
  window.findChild<pb::DriveListBox*>("DriveList_2")->SetDrive('D');

  auto* tabs = window.findChild<QTabWidget*>("TabStrip1");
  bool ok = Save(window, out / "window-write.png");
  tabs->setCurrentIndex(1);
  // Open the set's directory on the read page so the probe shows it.
  window.findChild<pb::DirListBox*>("DirList_1")->SetPath("D:\\Sich");
  ok = Save(window, out / "window-read.png") && ok;
  tabs->setCurrentIndex(2);
  ok = Save(window, out / "window-options.png") && ok;

  pb::InfoForm info(shell);
  QTimer::singleShot(0, &info, [&] {
    ok = Save(info, out / "window-about.png") && ok;
    info.accept();
  });
  info.main("Parcelbarge", "Transport großer Dateien leicht gemacht");
  return ok ? 0 : 1;
}
