// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/stamp_record.h"

#include <charconv>

#include "store/zlib_interface.h"

namespace pb {

namespace {

constexpr std::string_view kStampFirstLine = "Parcelbarge-Zeiten 1\n";
// Far more than any set can have: a record claiming more is damaged.
constexpr int64_t kLargestBody = 64 << 20;

void PutNumber(std::string& out, uint64_t value) {
  while (value >= 0x80) {
    out += static_cast<char>((value & 0x7F) | 0x80);
    value >>= 7;
  }
  out += static_cast<char>(value);
}

// Differences may be negative: the sign goes to the lowest bit.
uint64_t Zigzag(int64_t value) {
  return (static_cast<uint64_t>(value) << 1) ^ static_cast<uint64_t>(value >> 63);
}
int64_t Unzigzag(uint64_t value) { return static_cast<int64_t>(value >> 1) ^ -static_cast<int64_t>(value & 1); }

void PutStamp(std::string& out, const FileStamp& stamp, int64_t& seconds) {
  PutNumber(out, Zigzag(static_cast<int64_t>(static_cast<uint64_t>(stamp.seconds) - static_cast<uint64_t>(seconds))));
  PutNumber(out, static_cast<uint64_t>(stamp.nanoseconds));
  PutNumber(out, static_cast<uint64_t>(stamp.mode));
  seconds = stamp.seconds;
}

class BodyReader {
 public:
  explicit BodyReader(std::string_view bytes) : rest_(bytes) {}

  std::optional<uint64_t> Number() {
    uint64_t value = 0;
    for (int shift = 0; shift < 64 && !rest_.empty(); shift += 7) {
      const auto byte = static_cast<unsigned char>(rest_.front());
      rest_.remove_prefix(1);
      value |= static_cast<uint64_t>(byte & 0x7F) << shift;
      if ((byte & 0x80) == 0) return value;
    }
    return std::nullopt;
  }

  std::optional<FileStamp> Stamp(int64_t& seconds) {
    const std::optional<uint64_t> delta = Number();
    const std::optional<uint64_t> nanoseconds = Number();
    const std::optional<uint64_t> mode = Number();
    if (!delta || !nanoseconds || !mode || *nanoseconds > 999999999 || (*mode > 07777 && *mode != kStampUnknown)) return std::nullopt;
    seconds = static_cast<int64_t>(static_cast<uint64_t>(seconds) + static_cast<uint64_t>(Unzigzag(*delta)));
    return FileStamp{seconds, static_cast<int32_t>(*nanoseconds), static_cast<int>(*mode)};
  }

  std::optional<std::string> Name(uint64_t length) {
    if (length > rest_.size()) return std::nullopt;
    std::string name(rest_.substr(0, length));
    rest_.remove_prefix(length);
    return name;
  }

  bool AtEnd() const { return rest_.empty(); }

 private:
  std::string_view rest_;
};

// The text line after the word at the start of rest, its words split at
// blanks; rest moves past the line.
std::optional<std::vector<std::string_view>> Line(std::string_view& rest, std::string_view word) {
  const std::size_t end = rest.find('\n');
  if (end == std::string_view::npos || rest.substr(0, word.size() + 1) != std::string(word) + " ") return std::nullopt;
  std::string_view line = rest.substr(word.size() + 1, end - word.size() - 1);
  rest.remove_prefix(end + 1);
  std::vector<std::string_view> words;
  while (!line.empty()) {
    const std::size_t blank = line.find(' ');
    words.push_back(line.substr(0, blank));
    line.remove_prefix(blank == std::string_view::npos ? line.size() : blank + 1);
  }
  return words;
}

std::optional<int64_t> Decimal(std::string_view text) {
  int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size() || value < 0) return std::nullopt;
  return value;
}

bool IsHex32(std::string_view text) {
  return text.size() == 32 && text.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

std::string ChecksumOf(std::string_view bytes) {
  VolumeChecksum checksum;
  checksum.Update(bytes);
  return checksum.Hex();
}

std::optional<std::string> Inflated(std::string_view packed, int64_t length) {
  std::string body(packed);
  if (ZlibDecompressString(body, static_cast<int32_t>(length)) != 0 || static_cast<int64_t>(body.size()) != length) {
    return std::nullopt;
  }
  return body;
}

std::optional<StampRecord> ParseBody(std::string_view body, int64_t fileCount) {
  StampRecord record;
  BodyReader reader(body);
  int64_t seconds = 0;
  for (int64_t i = 0; i < fileCount; ++i) {
    const std::optional<FileStamp> stamp = reader.Stamp(seconds);
    if (!stamp) return std::nullopt;
    record.files.push_back(*stamp);
  }
  const std::optional<uint64_t> directories = reader.Number();
  if (!directories || *directories > body.size()) return std::nullopt;
  for (uint64_t i = 0; i < *directories; ++i) {
    const std::optional<uint64_t> length = reader.Number();
    std::optional<std::string> name = length ? reader.Name(*length) : std::nullopt;
    const std::optional<FileStamp> stamp = name ? reader.Stamp(seconds) : std::nullopt;
    if (!stamp) return std::nullopt;
    record.directories.push_back({std::move(*name), *stamp});
  }
  if (!reader.AtEnd()) return std::nullopt;
  return record;
}

}  // namespace

void NamesChecksum::Add(std::string_view storedName) {
  checksum_.Update(storedName);
  checksum_.Update(std::string_view("\0", 1));
}

std::string StampRecordBytes(const StampRecord& record) {
  std::string body;
  int64_t seconds = 0;
  for (const FileStamp& stamp : record.files) PutStamp(body, stamp, seconds);
  PutNumber(body, record.directories.size());
  for (const DirectoryStamp& directory : record.directories) {
    PutNumber(body, directory.name.size());
    body += directory.name;
    PutStamp(body, directory.stamp, seconds);
  }
  std::string packed = body;
  if (ZlibCompressString(packed) != 0) return "";
  return std::string(kStampFirstLine) + "Satz " + (record.setId.empty() ? "-" : record.setId) + "\n" + "Dateien " +
         std::to_string(record.files.size()) + " " + record.namesChecksum + "\n" + "Daten " +
         std::to_string(packed.size()) + " " + std::to_string(body.size()) + " " + ChecksumOf(packed) + "\n" + packed;
}

std::optional<StampRecord> ParseStampRecord(std::string_view bytes) {
  if (!bytes.starts_with(kStampFirstLine)) return std::nullopt;
  std::string_view rest = bytes.substr(kStampFirstLine.size());
  const auto set = Line(rest, "Satz");
  const auto files = Line(rest, "Dateien");
  const auto data = Line(rest, "Daten");
  if (!set || !files || !data || set->size() != 1 || files->size() != 2 || data->size() != 3) return std::nullopt;
  const std::string_view setId = (*set)[0];
  const std::optional<int64_t> fileCount = Decimal((*files)[0]);
  const std::optional<int64_t> packedLength = Decimal((*data)[0]);
  const std::optional<int64_t> length = Decimal((*data)[1]);
  if ((setId != "-" && !IsHex32(setId)) || !fileCount || !IsHex32((*files)[1]) || !packedLength || !length ||
      *length > kLargestBody || *fileCount > *length || static_cast<int64_t>(rest.size()) != *packedLength ||
      ChecksumOf(rest) != (*data)[2]) {
    return std::nullopt;
  }
  const std::optional<std::string> body = Inflated(rest, *length);
  if (!body) return std::nullopt;
  std::optional<StampRecord> record = ParseBody(*body, *fileCount);
  if (!record) return std::nullopt;
  record->setId = setId == "-" ? "" : std::string(setId);
  record->namesChecksum = std::string((*files)[1]);
  return record;
}

}  // namespace pb
