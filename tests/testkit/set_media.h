// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "store/set_identity.h"

namespace pb::testing {

// The files of one medium by name.
using Medium = std::map<std::string, std::string>;

// The identity record of a set's volumes first … last (1-based) as the backup
// leaves it beside them; the set's last volume carries lastState.
std::string IdentityRecordOf(const std::vector<std::string>& volumes, const std::string& setId, int first, int last,
                             VolumeState lastState = VolumeState::Last);

// Diskette n of a set: volume n and the record describing it.
Medium DisketteOf(const std::vector<std::string>& volumes, const std::string& setId, int n);

// Takes every file out of a drive's directory and puts the medium's in.
void PutInDrive(const std::filesystem::path& drive, const Medium& medium);

}  // namespace pb::testing
