// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/fragment_deflater.h"

#include <zlib.h>

#include <vector>

namespace pb {

struct FragmentDeflater::State {
  z_stream stream{};
  int initStatus = Z_OK;
  std::vector<Bytef> output;
};

// compress() is deflateInit at the default level and one deflate(Z_FINISH)
// over the whole buffer; a reset state makes the same stream.
FragmentDeflater::FragmentDeflater() : state_(std::make_unique<State>()) {
  state_->initStatus = deflateInit(&state_->stream, Z_DEFAULT_COMPRESSION);
}

FragmentDeflater::~FragmentDeflater() {
  if (state_->initStatus == Z_OK) deflateEnd(&state_->stream);
}

int FragmentDeflater::Compress(std::string& Buffer) {
  if (state_->initStatus != Z_OK) return state_->initStatus;
  z_stream& stream = state_->stream;
  const int resetStatus = deflateReset(&stream);
  if (resetStatus != Z_OK) return resetStatus;
  const uLong bound = compressBound(static_cast<uLong>(Buffer.size()));
  if (state_->output.size() < bound) state_->output.resize(bound);
  stream.next_in = reinterpret_cast<Bytef*>(Buffer.data());
  stream.avail_in = static_cast<uInt>(Buffer.size());
  stream.next_out = state_->output.data();
  stream.avail_out = static_cast<uInt>(bound);
  const int status = deflate(&stream, Z_FINISH);
  if (status != Z_STREAM_END) return status == Z_OK ? Z_BUF_ERROR : status;
  Buffer.assign(reinterpret_cast<const char*>(state_->output.data()), stream.total_out);
  return Z_OK;
}

int64_t FragmentDeflater::MaxCompressedSize(int64_t length) {
  return static_cast<int64_t>(compressBound(static_cast<uLong>(length)));
}

}  // namespace pb
