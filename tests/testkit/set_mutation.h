// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <random>
#include <string>
#include <vector>

namespace pb::testing {

// The volumes of a small valid set: fragments over three volumes, an empty
// file, a name with an umlaut.
std::vector<std::string> ValidVolumes();

// Damages a set the ways media and hostile writers do: flipped bytes, extreme
// integers anywhere, cut or grown volumes, a lost volume.
void Mutate(std::vector<std::string>& volumes, std::mt19937& random);

}  // namespace pb::testing
