// SPDX-License-Identifier: GPL-3.0-or-later
#include "backup/selection_drop.h"

#include "backup/directory_walk.h"
#include "support/run_time_error.h"

namespace pb {

SelectionReport AddDroppedNames(Runtime& runtime, const std::vector<std::string>& names,
                                std::vector<std::string>& fileList, bool includeHidden) {
  std::vector<std::string> foundFiles;
  SelectionReport report;
  for (const std::string& name : names) {
    if (name.find('?') != std::string::npos) {
      runtime.boxes.Show(MessageBox{.text = "Der Verzeichnisname '" + name +
                                            "'\renthält ungültige Zeichen und wird daher nicht berücksichtigt."});
      ++report.toldInBox;
      continue;
    }
    int attributes = 0;
    try {
      attributes = runtime.fs.GetAttributes(name);
    } catch (const RunTimeError& error) {
      report.leftOut.push_back({name, error.description()});
      continue;
    }
    // A directory named here is where its walk begins, so it cannot lead back
    // into the walk.
    if (const std::string reason = ReasonNotTaken(attributes & ~kAttrLoop); !reason.empty()) {
      report.leftOut.push_back({name, reason});
    } else if (attributes & kAttrDirectory) {
      CollectDirectoryFiles(runtime.fs, runtime.host, name, true, foundFiles, &report, includeHidden);
      fileList.insert(fileList.end(), foundFiles.begin(), foundFiles.end());
    } else {
      fileList.push_back(name);
    }
  }
  return report;
}

void ShowNotAFileList(MessageBoxes& boxes) {
  boxes.Show(
      MessageBox{.text = "Bitte nur Datei- und Verzeichnisnamen in die Liste ziehen.", .icon = BoxIcon::Information});
}

}  // namespace pb
