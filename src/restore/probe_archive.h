// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "restore/probe_view.h"
#include "support/file_system.h"

namespace pb {

// Looks for volume 1 of a set in the view's source directory and shows either
// the set's summary and description, with the start button enabled, or the
// no-set text. The results change only when a set is found.
void ProbeArchive(ProbeView& view, FileSystem& fs, ProbeResults& results);

// Where the identity record in directory shows that the set there ends,
// unfinished, with a volume: its number. nullopt when the set is complete, or
// its volumes do not all lie there, or there is no record to tell.
std::optional<int16_t> IncompleteEnd(FileSystem& fs, const std::string& directory);

// What the readers of a set say of one whose backup ended after lastVolume.
std::string IncompleteSetText(int16_t lastVolume);

}  // namespace pb
