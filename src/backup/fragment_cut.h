// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace pb {

// The shortest fragment the disk-full fallback tries before it asks for the
// next diskette; also what a volume gets when its leading records alone reach
// the size limit, so such a volume still makes progress.
constexpr int32_t kMinimumFragment = 512;

// How long the next fragment of a file is: a full fragment where the room
// allows, cut to the room near the volume limit. remaining: the file bytes not
// yet stored (above 0); room: the volume size limit minus the volume's length
// now; volumeHasFragment: the volume already holds a fragment. 0 means the
// volume is full and is closed first; the fragment then goes to the next one.
int32_t FragmentCut(int64_t remaining, int64_t room, bool volumeHasFragment);

}  // namespace pb
