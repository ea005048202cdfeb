// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTreeWidget>
#include <functional>
#include <string>

#include "support/file_system.h"
#include "window/framed_scroll_area.h"

namespace pb {

// The directory tree of one drive as far as it leads to the current
// directory: its ancestors from the root down, the current directory open,
// and its subdirectories below. Activating an entry makes it current.
class DirListBox : public FramedScrollArea<QTreeWidget> {
 public:
  DirListBox(FileSystem& fs, QWidget* parent);

  // Current directory in drive form, without trailing "\" except at a root.
  const std::string& Path() const { return path_; }
  // Lists the directory and makes it current; raises Change when the path
  // moves. Throws RunTimeError (the list unchanged) when it cannot be read.
  void SetPath(const std::string& path);

  std::function<void()> Change;

 protected:
  // The tree sets its viewport's margins for its header, hidden here.
  void updateGeometries() override;

 private:
  void List(const std::string& path, const std::vector<std::string>& subdirectories);
  std::vector<std::string> Subdirectories(const std::string& path);

  FileSystem& fs_;
  std::string path_;
};

}  // namespace pb
