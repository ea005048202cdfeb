// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace pb {

// Compresses fragments into exactly the bytes ZlibCompressString gives, but
// keeps one deflate state and one output area for all of them, so a fragment
// costs no allocation. Not shared between threads: one per thread.
class FragmentDeflater {
 public:
  FragmentDeflater();
  ~FragmentDeflater();
  FragmentDeflater(const FragmentDeflater&) = delete;
  FragmentDeflater& operator=(const FragmentDeflater&) = delete;

  // Same contract as ZlibCompressString: Buffer becomes one zlib stream of it
  // and the result is 0, or the result is zlib's status and Buffer is as it was.
  int Compress(std::string& Buffer);

  // The most a stream of length bytes can take (zlib's compressBound).
  static int64_t MaxCompressedSize(int64_t length);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace pb
