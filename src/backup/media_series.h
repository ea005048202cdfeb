// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "backup/backup_plan.h"
#include "support/runtime.h"

namespace pb {

// True when the plan's target is a series of media: the diskette, or the
// root of a removable drive (a USB stick, an SD card) without an own volume
// size. Each medium is then filled, the next one asked for and, when asked,
// cleared.
bool IsMediaSeries(FileSystem& fs, const BackupPlan& plan);

// Before the next medium of a series is asked for: the full one, flushed and
// closed, is released so it can be taken out, unless it holds a file of the
// backup.
void ReleaseFullMedium(Runtime& runtime, const BackupPlan& plan);

}  // namespace pb
