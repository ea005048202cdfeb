// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

#include "backup/volume_size.h"

namespace pb {

// How long the next fragment of a file is: a full fragment where the room
// allows, cut to the room near the volume limit. remaining: the file bytes not
// yet stored (above 0); room: the volume size limit minus the volume's length
// now; volumeHasFragment: the volume already holds a fragment. 0 means the
// volume is full and is closed first; the fragment then goes to the next one.
// A volume without a fragment gets one of at most kMinimumFragment bytes
// beyond the limit.
int32_t FragmentCut(int64_t remaining, int64_t room, bool volumeHasFragment);

}  // namespace pb
