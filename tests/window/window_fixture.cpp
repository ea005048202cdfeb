// SPDX-License-Identifier: GPL-3.0-or-later
#include "window_fixture.h"

#include <QDropEvent>
#include <QListWidget>
#include <QTabWidget>
#include <QUrl>
#include <unistd.h>

#include "window/file_list_box.h"

namespace pb::testing {

namespace {

std::filesystem::path ProgramDirectory() {
  return std::filesystem::read_symlink("/proc/self/exe").parent_path();
}

DriveTable WindowDrives(const std::filesystem::path& base, const DriveReader& mediaDrives) {
  std::vector<Drive> drives;
  for (const char letter : {'A', 'C', 'D'}) {
    const std::filesystem::path root = base / std::string(1, letter);
    std::filesystem::create_directory(root);
    // A: is labelled with its mount point, as the system's table does.
    const std::string label = letter == 'A' ? root.string() : letter == 'C' ? "System" : "";
    drives.push_back({letter, root.string(), label, letter == 'A'});
  }
  if (mediaDrives) drives.front() = *mediaDrives().Find('A');
  drives.push_back({'P', ProgramDirectory().string(), "Programm", false});
  return DriveTable(std::move(drives));
}

}  // namespace

WindowTest::WindowTest() : WindowTest(DriveReader{}) {}

WindowTest::WindowTest(DriveReader mediaDrives)
    : posix_([base = dir_.path(), mediaDrives] { return WindowDrives(base, mediaDrives); }),
      previousDirectory_(std::filesystem::current_path()) {
  std::filesystem::create_directories(Root('C') / "Arbeit");
  std::filesystem::current_path(Root('C') / "Arbeit");
}

WindowTest::~WindowTest() {
  window_.reset();
  std::filesystem::current_path(previousDirectory_);
}

Form1& WindowTest::Window() {
  if (!window_) {
    window_ = std::make_unique<Form1>(Runtime{fs_, boxes_, host_, release_}, shell_);
    window_->Form_Load();
  }
  return *window_;
}

int WindowTest::ExitStatusOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const ProgramEnded& ended) {
    return ended.exitStatus;
  }
  ADD_FAILURE() << "the program did not end";
  return -1;
}

std::filesystem::path WindowTest::Root(char letter) const { return posix_.table().Find(letter)->root; }

DriveListBox* WindowTest::Drives(int pair) { return Find<DriveListBox>(QStringLiteral("DriveList_%1").arg(pair)); }

DirListBox* WindowTest::Dirs(int pair) { return Find<DirListBox>(QStringLiteral("DirList_%1").arg(pair)); }

void WindowTest::Open(int pair, const std::string& name) {
  const auto items = Dirs(pair)->findItems(QString::fromStdString(name), Qt::MatchExactly | Qt::MatchRecursive);
  ASSERT_EQ(items.size(), 1) << name;
  emit Dirs(pair)->itemActivated(items[0], 0);
}

void WindowTest::ClickTab(int index) {
  Find<QTabWidget>(QStringLiteral("TabStrip1"))->setCurrentIndex(index);
}

void WindowTest::DropFiles(const std::vector<std::filesystem::path>& files) {
  QMimeData data;
  QList<QUrl> urls;
  for (const auto& file : files) urls.append(QUrl::fromLocalFile(QString::fromStdString(file.string())));
  data.setUrls(urls);
  Drop(data);
}

void WindowTest::Drop(const QMimeData& data) {
  auto* list = Find<FileListBox>(QStringLiteral("FileList"));
  // The drop goes where the drag was entered and accepted.
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(list->viewport(), &enter);
  ASSERT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(list->viewport(), &drop);
}

std::vector<std::string> WindowTest::ListEntries() {
  std::vector<std::string> entries;
  auto* list = Find<QListWidget>(QStringLiteral("FileList"));
  for (int i = 0; i < list->count(); ++i) entries.push_back(list->item(i)->text().toStdString());
  return entries;
}

}  // namespace pb::testing
