// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/zlib_interface.h"

#include <zlib.h>

#include <algorithm>
#include <memory>
#include <new>

#include "store/fast_inflate.h"
#include "support/run_time_error.h"

namespace pb {

namespace {

// Deflate cannot expand its input by more than 1032 to 1 (a 258-byte match
// takes at least two bits), so no stream of n bytes yields more than this.
constexpr uint64_t kMaxExpansion = 1032;

std::unique_ptr<Bytef[]> OutputArea(std::size_t size) {
  try {
    // Left uninitialised: zlib only writes, and untouched room costs no memory.
    return std::make_unique_for_overwrite<Bytef[]>(std::max<std::size_t>(size, 1));
  } catch (const std::bad_alloc&) {
    Raise(kOutOfMemory);
  }
}

}  // namespace

int32_t ZlibOutputCapacity(int32_t N) {
  int32_t t = N / 32768;
  if (__builtin_mul_overflow(t, 5, &t) || __builtin_add_overflow(t, 11, &t) || __builtin_add_overflow(t, N, &t) ||
      __builtin_add_overflow(t, 16, &t)) {
    Raise(kOverflow);
  }
  if (t < 0) Raise(kInvalidCall);
  return t;
}

int ZlibCompressString(std::string& Buffer) {
  const uLong sourceLen = Buffer.size();
  uLongf destLen = compressBound(sourceLen);
  const std::unique_ptr<Bytef[]> dest = OutputArea(destLen);
  const int status = compress(dest.get(), &destLen, reinterpret_cast<const Bytef*>(Buffer.data()), sourceLen);
  if (status != Z_OK) return status;
  Buffer.assign(reinterpret_cast<const char*>(dest.get()), destLen);
  return Z_OK;
}

int ZlibDecompressString(std::string& Buffer, int32_t NormalLen) {
  const uLong sourceLen = Buffer.size();
  const uint64_t capacity = static_cast<uint64_t>(ZlibOutputCapacity(NormalLen));
  // Output beyond the stream's own limit is impossible, so a smaller area
  // gives exactly the statuses and bytes the full capacity would.
  const uint64_t possible = (static_cast<uint64_t>(sourceLen) + 1) * kMaxExpansion;
  const std::size_t size = std::min(capacity, possible);
  const std::unique_ptr<Bytef[]> dest = OutputArea(size);
  std::size_t produced = 0;
  if (FastInflate(Buffer, reinterpret_cast<char*>(dest.get()), size, produced)) {
    Buffer.assign(reinterpret_cast<const char*>(dest.get()), produced);
    return Z_OK;
  }
  // A failure's status is the one zlib gives, whatever the faster inflater saw.
  uLongf destLen = size;
  const int status = uncompress(dest.get(), &destLen, reinterpret_cast<const Bytef*>(Buffer.data()), sourceLen);
  if (status != Z_OK) return status;
  Buffer.assign(reinterpret_cast<const char*>(dest.get()), destLen);
  return Z_OK;
}

}  // namespace pb
