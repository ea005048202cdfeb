// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "restore/probe_view.h"
#include "support/file_system.h"

namespace pb {

// Looks for volume 1 of a set in the view's source directory and shows either
// the set's summary and description, with the start button enabled, or the
// no-set text. The results change only when a set is found.
void ProbeArchive(ProbeView& view, FileSystem& fs, ProbeResults& results);

}  // namespace pb
