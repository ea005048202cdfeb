// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

namespace pb {

// The compression wrapper. Besides it only FragmentDeflater (the same streams
// from one reused deflate state) and FastInflate (a faster inflater) talk to a
// compression library, all three in this folder. Both operations work in place
// on one fragment and return zlib's status unchanged (0 Z_OK, -3 Z_DATA_ERROR,
// -4 Z_MEM_ERROR, -5 Z_BUF_ERROR); on a non-zero status Buffer is left as it
// was. They keep no state, so they may run on several threads at once.

// Replaces Buffer by one complete zlib stream of it (default level).
int ZlibCompressString(std::string& Buffer);

// Replaces Buffer, one zlib stream, by its uncompressed bytes. The output room
// is ZlibOutputCapacity(NormalLen): more output gives -5, and less than
// NormalLen is accepted as it is (callers compare lengths if they care).
// Raises what ZlibOutputCapacity raises, and RunTimeError(kOutOfMemory) when
// the output area cannot be had. The area is never larger than the most the
// given stream can expand to, so a damaged NormalLen cannot make it reserve
// gigabytes for a few bytes of input.
int ZlibDecompressString(std::string& Buffer, int32_t NormalLen);

// Output room for an expected N bytes: N + 5 * (N / 32768) + 27, computed in
// 32-bit arithmetic. Raises RunTimeError(kOverflow) when a step overflows
// (N above 2147155990) and RunTimeError(kInvalidCall) when the result is
// negative (N below -27).
int32_t ZlibOutputCapacity(int32_t N);

}  // namespace pb
