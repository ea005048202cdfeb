// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/fast_inflate.h"

#ifdef PB_HAVE_LIBDEFLATE
#include <libdeflate.h>

#include <memory>
#endif

namespace pb {

#ifdef PB_HAVE_LIBDEFLATE

namespace {

struct DecompressorDeleter {
  void operator()(libdeflate_decompressor* decompressor) const { libdeflate_free_decompressor(decompressor); }
};

}  // namespace

bool FastInflate(std::string_view stream, char* out, std::size_t capacity, std::size_t& produced) {
  // One per thread: a decompressor is not to be shared, and making one per
  // fragment would cost more than the inflating saves.
  thread_local const std::unique_ptr<libdeflate_decompressor, DecompressorDeleter> decompressor(
      libdeflate_alloc_decompressor());
  if (!decompressor) return false;
  std::size_t consumed = 0;
  // Asking for the consumed length lets bytes follow the stream, as zlib does.
  return libdeflate_zlib_decompress_ex(decompressor.get(), stream.data(), stream.size(), out, capacity, &consumed,
                                       &produced) == LIBDEFLATE_SUCCESS;
}

#else

bool FastInflate(std::string_view, char*, std::size_t, std::size_t&) { return false; }

#endif

}  // namespace pb
