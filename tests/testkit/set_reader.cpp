// SPDX-License-Identifier: GPL-3.0-or-later
#include "set_reader.h"

#include <zlib.h>

#include <stdexcept>

#include "temp_dir.h"

namespace pb::testing {

namespace {

class Cursor {
 public:
  explicit Cursor(const std::vector<std::string>& volumes) : volumes_(volumes) {}

  // Moves to the next volume when the current one is used up.
  void NextItem() {
    while (volume_ < volumes_.size() && offset_ == volumes_[volume_].size()) {
      ++volume_;
      offset_ = 0;
    }
    if (volume_ == volumes_.size()) throw std::runtime_error("set ends before its last item");
  }

  std::string Take(std::size_t count) {
    if (offset_ + count > volumes_[volume_].size()) throw std::runtime_error("item split between volumes");
    std::string bytes = volumes_[volume_].substr(offset_, count);
    offset_ += count;
    return bytes;
  }

  int64_t Int(std::size_t width) {
    const std::string bytes = Take(width);
    uint64_t value = 0;
    for (std::size_t i = width; i-- > 0;) value = (value << 8) | static_cast<unsigned char>(bytes[i]);
    return width == 2 ? static_cast<int16_t>(value) : static_cast<int32_t>(value);
  }

  std::string Text() {
    const int64_t length = Int(2);
    if (length < 0) throw std::runtime_error("negative text length");
    return Take(static_cast<std::size_t>(length));
  }

  int volumeNumber() const { return static_cast<int>(volume_) + 1; }
  bool AllConsumed() const {
    return volume_ + 1 == volumes_.size() && offset_ == volumes_[volume_].size();
  }

 private:
  const std::vector<std::string>& volumes_;
  std::size_t volume_ = 0;
  std::size_t offset_ = 0;
};

std::string Inflate(const std::string& stream, int32_t normalLen) {
  std::string out(static_cast<std::size_t>(normalLen), '\0');
  uLongf outLength = static_cast<uLongf>(normalLen);
  const int status = uncompress(reinterpret_cast<Bytef*>(out.data()), &outLength,
                                reinterpret_cast<const Bytef*>(stream.data()), static_cast<uLong>(stream.size()));
  if (status != Z_OK || outLength != static_cast<uLongf>(normalLen)) throw std::runtime_error("bad zlib stream");
  return out;
}

}  // namespace

DecodedSet DecodeSet(const std::vector<std::string>& volumes) {
  if (volumes.empty()) throw std::runtime_error("no volume");
  Cursor in(volumes);
  DecodedSet set;
  if (in.Take(16) != "ZK's Parcelbarge") throw std::runtime_error("bad magic");
  set.major = static_cast<int16_t>(in.Int(2));
  set.minor = static_cast<int16_t>(in.Int(2));
  set.revision = static_cast<int16_t>(in.Int(2));
  set.reserved = static_cast<int16_t>(in.Int(2));
  set.fileCount = static_cast<int32_t>(in.Int(4));
  set.description = in.Text();
  for (int32_t i = 0; i < set.fileCount; ++i) {
    in.NextItem();
    DecodedFile file;
    file.volume = in.volumeNumber();
    const int64_t length = in.Int(4);
    file.name = in.Text();
    while (static_cast<int64_t>(file.data.size()) < length) {
      in.NextItem();
      const int64_t normalLen = in.Int(4);
      const int64_t packedLen = in.Int(4);
      if (normalLen < 1 || normalLen > 131072 || packedLen < 0) throw std::runtime_error("bad fragment header");
      file.data += Inflate(in.Take(static_cast<std::size_t>(packedLen)), static_cast<int32_t>(normalLen));
      file.fragments.push_back(static_cast<int32_t>(normalLen));
    }
    if (static_cast<int64_t>(file.data.size()) != length) throw std::runtime_error("fragments exceed FileLength");
    set.files.push_back(std::move(file));
  }
  if (!in.AllConsumed()) throw std::runtime_error("bytes after the last item");
  return set;
}

std::vector<std::string> ReadVolumes(const std::filesystem::path& directory) {
  std::vector<std::string> volumes;
  for (int n = 1;; ++n) {
    const std::filesystem::path file = directory / ("DataBlock#" + std::to_string(n) + ".Parcelbarge");
    if (!std::filesystem::exists(file)) return volumes;
    volumes.push_back(ReadFile(file));
  }
}

}  // namespace pb::testing
