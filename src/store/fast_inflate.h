// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string_view>

namespace pb {

// Inflates one zlib stream into out with a faster inflater where the build
// has one. True only on full success: the stream was valid, its checksum
// matched and its output fitted; produced then holds the output length. On
// false nothing is promised about out, and the caller asks zlib, whose status
// is the one that counts.
bool FastInflate(std::string_view stream, char* out, std::size_t capacity, std::size_t& produced);

}  // namespace pb
