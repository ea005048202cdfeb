// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/volume_name.h"

namespace pb {

std::string VolumeFileName(int16_t VolumeNumber) {
  return "DataBlock#" + std::to_string(VolumeNumber) + "." + "Parcelbarge";
}

}  // namespace pb
