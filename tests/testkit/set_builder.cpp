// SPDX-License-Identifier: GPL-3.0-or-later
#include "set_builder.h"

#include <zlib.h>

#include <stdexcept>

#include "temp_dir.h"

namespace pb::testing {

namespace {

std::string LittleEndian(uint32_t value, int count) {
  std::string bytes;
  for (int i = 0; i < count; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
  return bytes;
}

}  // namespace

std::string Compressed(const std::string& data) {
  uLongf length = compressBound(static_cast<uLong>(data.size()));
  std::string out(length, '\0');
  if (compress(reinterpret_cast<Bytef*>(out.data()), &length, reinterpret_cast<const Bytef*>(data.data()),
               static_cast<uLong>(data.size())) != Z_OK) {
    throw std::runtime_error("compress failed");
  }
  out.resize(length);
  return out;
}

SetBuilder& SetBuilder::Raw(const std::string& bytes) {
  volumes_.back() += bytes;
  return *this;
}

SetBuilder& SetBuilder::Int16(int16_t value) { return Raw(LittleEndian(static_cast<uint16_t>(value), 2)); }

SetBuilder& SetBuilder::Int32(int32_t value) { return Raw(LittleEndian(static_cast<uint32_t>(value), 4)); }

SetBuilder& SetBuilder::Header(int32_t fileCount, const std::string& description, int16_t minor, int16_t revision,
                               int16_t reserved, int16_t major, const std::string& magic) {
  Raw(magic).Int16(major).Int16(minor).Int16(revision).Int16(reserved).Int32(fileCount);
  return Int16(static_cast<int16_t>(description.size())).Raw(description);
}

SetBuilder& SetBuilder::File(int32_t length, const std::string& name) {
  return Int32(length).Int16(static_cast<int16_t>(name.size())).Raw(name);
}

SetBuilder& SetBuilder::Fragment(const std::string& data) {
  return RawFragment(static_cast<int32_t>(data.size()), Compressed(data));
}

SetBuilder& SetBuilder::RawFragment(int32_t normalLen, const std::string& payload) {
  return Int32(normalLen).Int32(static_cast<int32_t>(payload.size())).Raw(payload);
}

SetBuilder& SetBuilder::FileWithData(const std::string& name, const std::string& data, std::size_t fragmentSize) {
  File(static_cast<int32_t>(data.size()), name);
  for (std::size_t pos = 0; pos < data.size(); pos += fragmentSize) Fragment(data.substr(pos, fragmentSize));
  return *this;
}

SetBuilder& SetBuilder::Cut() {
  volumes_.emplace_back();
  return *this;
}

void SetBuilder::WriteTo(const std::filesystem::path& dir) const {
  for (std::size_t i = 0; i < volumes_.size(); ++i) {
    WriteFile(dir / ("DataBlock#" + std::to_string(i + 1) + ".Parcelbarge"), volumes_[i]);
  }
}

}  // namespace pb::testing
