// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/dir_list_box.h"

#include <QIcon>

#include "support/paths.h"
#include "support/run_time_error.h"

namespace pb {

namespace {

constexpr int kPathRole = Qt::UserRole;

// "C:\Daten\Sub" → "C:\", "Daten", "Sub"
std::vector<std::string> Components(const std::string& path) {
  std::vector<std::string> parts;
  const std::size_t rootEnd = path.find('\\');
  parts.push_back(path.substr(0, rootEnd) + "\\");
  if (rootEnd == std::string::npos) return parts;
  std::size_t start = rootEnd + 1;
  while (start < path.size()) {
    std::size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    if (end > start) parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

std::string WithoutTrailingBackslash(const std::string& path) {
  if (path.size() > 3 && path.back() == '\\') return path.substr(0, path.size() - 1);
  return path;
}

}  // namespace

DirListBox::DirListBox(FileSystem& fs, QWidget* parent) : FramedScrollArea(parent), fs_(fs) {
  setHeaderHidden(true);
  setRootIsDecorated(false);
  setIndentation(12);
  setItemsExpandable(false);
  setExpandsOnDoubleClick(false);
  connect(this, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
    try {
      SetPath(item->data(0, kPathRole).toString().toStdString());
    } catch (const RunTimeError&) {
      // A directory that went away since it was listed: keep the old view.
    }
  });
}

void DirListBox::SetPath(const std::string& path) {
  const std::string normal = WithoutTrailingBackslash(path.size() == 2 ? path + "\\" : path);
  const std::vector<std::string> subdirectories = Subdirectories(normal);
  List(normal, subdirectories);
  if (normal == path_) return;
  path_ = normal;
  if (Change) Change();
}

std::vector<std::string> DirListBox::Subdirectories(const std::string& path) {
  std::vector<std::string> result;
  const std::string prefix = WithTrailingBackslash(path);
  for (const std::string& name : fs_.ListDirectory(prefix, kAttrDirectory)) {
    try {
      if (fs_.GetAttributes(prefix + name) & kAttrDirectory) result.push_back(name);
    } catch (const RunTimeError&) {
      // Vanished while listed.
    }
  }
  return result;
}

void DirListBox::List(const std::string& path, const std::vector<std::string>& subdirectories) {
  clear();
  // Our own pair: many styles draw open and closed folders alike.
  const QIcon closed(QStringLiteral(":/art/folder_closed.png"));
  const QIcon open(QStringLiteral(":/art/folder_open.png"));
  QTreeWidgetItem* parentItem = nullptr;
  std::string walked;
  for (const std::string& part : Components(path)) {
    walked = walked.empty() ? part : WithTrailingBackslash(walked) + part;
    auto* item = parentItem ? new QTreeWidgetItem(parentItem) : new QTreeWidgetItem(this);
    item->setText(0, QString::fromStdString(part));
    item->setIcon(0, open);
    item->setData(0, kPathRole, QString::fromStdString(walked));
    item->setExpanded(true);
    parentItem = item;
  }
  for (const std::string& name : subdirectories) {
    auto* item = new QTreeWidgetItem(parentItem);
    item->setText(0, QString::fromStdString(name));
    item->setIcon(0, closed);
    item->setData(0, kPathRole, QString::fromStdString(WithTrailingBackslash(path) + name));
  }
  if (parentItem) {
    parentItem->setExpanded(true);
    setCurrentItem(parentItem);
    scrollToItem(parentItem);
  }
}

void DirListBox::updateGeometries() {
  QTreeWidget::updateGeometries();
  KeepFrameClear();
}

}  // namespace pb
