// SPDX-License-Identifier: GPL-3.0-or-later
#include "backup/backup_inputs.h"

#include "backup/volume_size.h"
#include "support/paths.h"

namespace pb {

std::string BackupTargetDirectory(const BackupInputs& inputs) {
  return WithTrailingBackslash(inputs.DisketteTarget() ? "A:" : inputs.TargetDirectory());
}

int64_t BackupVolumeSize(const BackupInputs& inputs) {
  return VolumeSizeLimit(inputs.OwnVolumeSize(), inputs.VolumeSizeText(), inputs.VolumeSizeUnitIndex());
}

std::string BackupDescription(const BackupInputs& inputs) {
  const std::string text = inputs.Description();
  const std::size_t begin = text.find_first_not_of(' ');
  if (begin == std::string::npos) return "";
  return text.substr(begin, text.find_last_not_of(' ') - begin + 1);
}

}  // namespace pb
