// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/fragment_deflater.h"

#include <zlib.h>

#include <vector>

namespace pb {

struct FragmentDeflater::State {
  z_stream stream{};
  int initStatus = Z_OK;
  int status = Z_OK;  // of the stream being made
  bool begun = false;
  uLong capacity = 0;
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
  const int status = Begin(static_cast<int64_t>(Buffer.size()));
  return status == Z_OK ? EndAt(Buffer, Buffer.size()) : status;
}

int FragmentDeflater::Begin(int64_t maxLength) {
  State& state = *state_;
  state.begun = false;
  if (state.initStatus != Z_OK) return state.status = state.initStatus;
  const uLong capacity = compressBound(static_cast<uLong>(maxLength));
  // Grown first: should that fail, no stream is begun with too little room.
  if (state.output.size() < capacity) state.output.resize(capacity);
  state.status = deflateReset(&state.stream);
  if (state.status != Z_OK) return state.status;
  state.capacity = capacity;
  state.stream.next_out = state.output.data();
  state.stream.avail_out = static_cast<uInt>(capacity);
  state.begun = true;
  return Z_OK;
}

int FragmentDeflater::Feed(std::string_view bytes) {
  State& state = *state_;
  if (state.status != Z_OK) return state.status;
  state.stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
  state.stream.avail_in = static_cast<uInt>(bytes.size());
  state.status = deflate(&state.stream, Z_NO_FLUSH);
  // All of it must be taken in: it is not kept beyond this call.
  if (state.status == Z_OK && state.stream.avail_in != 0) state.status = Z_BUF_ERROR;
  return state.status;
}

int FragmentDeflater::EndAt(std::string& input, std::size_t length) {
  State& state = *state_;
  const std::size_t fed = state.stream.total_in;
  if (!state.begun || state.status != Z_OK || fed > length ||
      state.capacity < compressBound(static_cast<uLong>(length))) {
    const int status = Begin(static_cast<int64_t>(length));
    if (status != Z_OK) {
      input.resize(length);
      return status;
    }
  }
  const std::size_t from = state.stream.total_in;
  state.stream.next_in = reinterpret_cast<Bytef*>(input.data() + from);
  state.stream.avail_in = static_cast<uInt>(length - from);
  const int status = deflate(&state.stream, Z_FINISH);
  state.begun = false;
  if (status != Z_STREAM_END) {
    state.status = status == Z_OK ? Z_BUF_ERROR : status;
    input.resize(length);
    return state.status;
  }
  // The input is all taken in by now, so the stream may take its place.
  input.assign(reinterpret_cast<const char*>(state.output.data()), state.stream.total_out);
  return Z_OK;
}

int64_t FragmentDeflater::MaxCompressedSize(int64_t length) {
  return static_cast<int64_t>(compressBound(static_cast<uLong>(length)));
}

}  // namespace pb
