// SPDX-License-Identifier: GPL-3.0-or-later
#include "zlib_reference.h"

#include <zlib.h>
#ifdef PB_HAVE_LIBDEFLATE
#include <libdeflate.h>
#endif

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <functional>
#include <iterator>
#include <stdexcept>
#include <thread>

namespace pb::bench {

namespace {

constexpr size_t kFragmentLength = 131072;

const Bytef* BytesAt(const std::string& data, size_t offset) {
  return reinterpret_cast<const Bytef*>(data.data() + offset);
}

// Runs work(thread, item) for every item, the items handed out in order to
// whichever thread is free; returns the wall time.
double RunParallel(int threads, size_t items, const std::function<void(int, size_t)>& work) {
  std::atomic<size_t> next{0};
  const auto start = std::chrono::steady_clock::now();
  std::vector<std::thread> pool;
  for (int t = 0; t < threads; ++t) {
    pool.emplace_back([&, t] {
      for (size_t item = next++; item < items; item = next++) work(t, item);
    });
  }
  for (std::thread& thread : pool) thread.join();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

Measurement Measure(const FragmentedCorpus& corpus, const std::string& name, int threads,
                    const std::function<size_t(int, const FragmentedCorpus::Fragment&)>& compressOne) {
  std::vector<int64_t> packed(static_cast<size_t>(threads), 0);
  Measurement result;
  result.name = name + "-" + std::to_string(threads);
  result.seconds = RunParallel(threads, corpus.fragments().size(), [&](int t, size_t item) {
    packed[static_cast<size_t>(t)] += static_cast<int64_t>(compressOne(t, corpus.fragments()[item]));
  });
  result.inputBytes = static_cast<int64_t>(corpus.data().size());
  for (int64_t bytes : packed) result.outputBytes += bytes;
  return result;
}

std::vector<std::string> CompressAll(const FragmentedCorpus& corpus) {
  std::vector<std::string> streams;
  for (const auto& fragment : corpus.fragments()) {
    uLongf length = compressBound(static_cast<uLong>(fragment.length));
    std::string stream(length, '\0');
    compress(reinterpret_cast<Bytef*>(stream.data()), &length, BytesAt(corpus.data(), fragment.offset),
             static_cast<uLong>(fragment.length));
    stream.resize(length);
    streams.push_back(std::move(stream));
  }
  return streams;
}

Measurement MeasureSerialInflate(const FragmentedCorpus& corpus, const std::vector<std::string>& streams,
                                 const std::string& name,
                                 const std::function<bool(const std::string&, std::string&)>& inflateOne) {
  std::string output(kFragmentLength + kFragmentLength / 32768 * 5 + 27, '\0');
  Measurement result;
  result.name = name;
  result.seconds = RunParallel(1, streams.size(), [&](int, size_t item) {
    if (!inflateOne(streams[item], output)) throw std::runtime_error(name + " failed");
  });
  result.inputBytes = static_cast<int64_t>(corpus.data().size());
  for (const std::string& stream : streams) result.outputBytes += static_cast<int64_t>(stream.size());
  return result;
}

}  // namespace

FragmentedCorpus::FragmentedCorpus(const std::filesystem::path& directory) {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(directory)) {
    if (entry.is_regular_file()) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  for (const auto& file : files) {
    std::ifstream stream(file, std::ios::binary);
    const size_t start = data_.size();
    data_.append(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
    for (size_t offset = start; offset < data_.size(); offset += kFragmentLength) {
      fragments_.push_back({offset, std::min(kFragmentLength, data_.size() - offset)});
    }
  }
}

Measurement MeasureCompress(const FragmentedCorpus& corpus, int threads) {
  std::vector<std::string> outputs(static_cast<size_t>(threads), std::string(compressBound(kFragmentLength), '\0'));
  return Measure(corpus, "zlib-compress", threads, [&](int t, const FragmentedCorpus::Fragment& fragment) {
    std::string& output = outputs[static_cast<size_t>(t)];
    uLongf length = static_cast<uLongf>(output.size());
    if (compress(reinterpret_cast<Bytef*>(output.data()), &length, BytesAt(corpus.data(), fragment.offset),
                 static_cast<uLong>(fragment.length)) != Z_OK) {
      throw std::runtime_error("compress failed");
    }
    return static_cast<size_t>(length);
  });
}

Measurement MeasureReusedDeflate(const FragmentedCorpus& corpus, int threads) {
  std::vector<z_stream> streams(static_cast<size_t>(threads));
  for (z_stream& stream : streams) {
    stream = {};
    if (deflateInit(&stream, Z_DEFAULT_COMPRESSION) != Z_OK) throw std::runtime_error("deflateInit failed");
  }
  std::vector<std::string> outputs(static_cast<size_t>(threads), std::string(compressBound(kFragmentLength), '\0'));
  Measurement result =
      Measure(corpus, "zlib-reused-state", threads, [&](int t, const FragmentedCorpus::Fragment& fragment) {
        z_stream& stream = streams[static_cast<size_t>(t)];
        std::string& output = outputs[static_cast<size_t>(t)];
        deflateReset(&stream);
        stream.next_in = const_cast<Bytef*>(BytesAt(corpus.data(), fragment.offset));
        stream.avail_in = static_cast<uInt>(fragment.length);
        stream.next_out = reinterpret_cast<Bytef*>(output.data());
        stream.avail_out = static_cast<uInt>(output.size());
        if (deflate(&stream, Z_FINISH) != Z_STREAM_END) throw std::runtime_error("deflate failed");
        return static_cast<size_t>(stream.total_out);
      });
  for (z_stream& stream : streams) deflateEnd(&stream);
  return result;
}

std::vector<Measurement> MeasureInflate(const FragmentedCorpus& corpus) {
  const std::vector<std::string> streams = CompressAll(corpus);
  std::vector<Measurement> results;
  results.push_back(MeasureSerialInflate(corpus, streams, "zlib-uncompress-1", [](const std::string& in, std::string& out) {
    uLongf length = static_cast<uLongf>(out.size());
    return uncompress(reinterpret_cast<Bytef*>(out.data()), &length, reinterpret_cast<const Bytef*>(in.data()),
                      static_cast<uLong>(in.size())) == Z_OK;
  }));
#ifdef PB_HAVE_LIBDEFLATE
  libdeflate_decompressor* decompressor = libdeflate_alloc_decompressor();
  results.push_back(
      MeasureSerialInflate(corpus, streams, "libdeflate-inflate-1", [&](const std::string& in, std::string& out) {
        size_t length = 0;
        return libdeflate_zlib_decompress(decompressor, in.data(), in.size(), out.data(), out.size(), &length) ==
               LIBDEFLATE_SUCCESS;
      }));
  libdeflate_free_decompressor(decompressor);
#endif
  return results;
}

}  // namespace pb::bench
