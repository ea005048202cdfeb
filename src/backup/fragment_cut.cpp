// SPDX-License-Identifier: GPL-3.0-or-later
#include "backup/fragment_cut.h"

#include <algorithm>

#include "store/records.h"

namespace pb {

int32_t FragmentCut(int64_t remaining, int64_t room, bool volumeHasFragment) {
  const auto full = static_cast<int32_t>(std::min<int64_t>(remaining, kFragmentSize));
  if (room > 0) return static_cast<int32_t>(std::min<int64_t>(full, room));
  // Closing a volume without a fragment would only bring back the same
  // records: a short fragment goes beyond the limit instead.
  return volumeHasFragment ? 0 : std::min(full, kMinimumFragment);
}

}  // namespace pb
