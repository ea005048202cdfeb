// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

class QMimeData;

namespace pb {

// The native paths of the files and directories that data for the selection
// list names; empty when it names none. A drop must be a list of local file
// addresses. The clipboard may also hold plain text, one absolute path or
// local file address a line, as a terminal or a text editor copies it; any
// other line makes the whole text no file list.
QStringList DroppedPaths(const QMimeData& data);
QStringList PastedPaths(const QMimeData& data);

}  // namespace pb
