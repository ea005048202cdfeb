// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace pb {

// Compresses fragments into exactly the bytes ZlibCompressString gives, but
// keeps one deflate state and one output area for all of them, so a fragment
// costs no allocation. Not shared between threads: one per thread.
//
// A stream may also be begun (Begin, Feed) before its last byte is known: deflate's output does not depend on how its input was split when
// nothing is flushed in between, so the result is the same as one Compress.
class FragmentDeflater {
 public:
  FragmentDeflater();
  ~FragmentDeflater();
  FragmentDeflater(const FragmentDeflater&) = delete;
  FragmentDeflater& operator=(const FragmentDeflater&) = delete;

  // Same contract as ZlibCompressString: Buffer becomes one zlib stream of it
  // and the result is 0, or the result is zlib's status and Buffer is as it was.
  int Compress(std::string& Buffer);

  // Starts a stream of at most maxLength bytes; 0 or zlib's status.
  int Begin(int64_t maxLength);
  // Feeds the next bytes of the stream; 0 or zlib's status (the stream is
  // spoilt then, and EndAt makes it again).
  int Feed(std::string_view bytes);
  // Ends the stream at the first length bytes of input, whose start was fed
  // already; fed beyond length, or spoilt, it is made again from input. Same
  // contract as Compress for those length bytes: input becomes the stream
  // and the result is 0, or the result is zlib's status and input holds them.
  int EndAt(std::string& input, std::size_t length);

  // The most a stream of length bytes can take (zlib's compressBound).
  static int64_t MaxCompressedSize(int64_t length);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace pb
