// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/repair_volume.h"

#include <algorithm>
#include <charconv>

#include "store/repair_code.h"

namespace pb {

namespace {

constexpr std::string_view kRepairFirstLine = "Parcelbarge-Reparatur 1";
constexpr std::string_view kDataLine = "Daten";
constexpr std::string_view kSuffix = ".Parcelbarge";

std::optional<int> Number(std::string_view text) {
  int value = 0;
  if (text.empty() || text.front() == '0' || text.size() > 5) return std::nullopt;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 1) return std::nullopt;
  return value;
}

}  // namespace

std::string RepairFileName(int number, int piece) {
  std::string name = std::string(kRepairFilePrefix) + std::to_string(number);
  if (piece > 1) name.append("-").append(std::to_string(piece));
  return name.append(kSuffix);
}

std::optional<std::pair<int, int>> ParseRepairFileName(std::string_view name) {
  if (name.size() <= kRepairFilePrefix.size() + kSuffix.size() || !name.starts_with(kRepairFilePrefix) ||
      !name.ends_with(kSuffix)) {
    return std::nullopt;
  }
  name = name.substr(kRepairFilePrefix.size(), name.size() - kRepairFilePrefix.size() - kSuffix.size());
  const std::size_t dash = name.find('-');
  const std::optional<int> number = Number(name.substr(0, dash));
  const std::optional<int> piece = dash == std::string_view::npos ? 1 : Number(name.substr(dash + 1));
  if (!number || !piece || (dash != std::string_view::npos && *piece < 2)) return std::nullopt;
  return std::pair{*number, *piece};
}

int RepairHead::Number() const { return (FirstVolume() - 1) / RepairGroupSize(rows) * rows + row + 1; }

int64_t RepairHead::RowLength() const {
  int64_t longest = 0;
  for (const VolumeEntry& entry : volumes) longest = std::max(longest, entry.length);
  return longest;
}

std::string RepairHeadBytes(const RepairHead& head) {
  std::string text = std::string(kRepairFirstLine) + "\nSatz " + head.setId + "\nZeile " + std::to_string(head.row + 1) +
                     " von " + std::to_string(head.rows) + "\n";
  for (const VolumeEntry& entry : head.volumes) text += VolumeLine(entry) + "\n";
  return text + std::string(kDataLine) + "\n";
}

std::optional<std::pair<RepairHead, std::size_t>> ParseRepairHead(std::string_view bytes) {
  std::size_t at = 0;
  auto next = [&]() -> std::optional<std::string> {
    const std::size_t end = bytes.find('\n', at);
    if (end == std::string_view::npos || end - at > 200) return std::nullopt;
    std::string line(bytes.substr(at, end - at));
    at = end + 1;
    return line;
  };
  RepairHead head;
  std::optional<std::string> line = next();
  if (line != kRepairFirstLine) return std::nullopt;
  line = next();
  if (!line || line->size() != 37 || !line->starts_with("Satz ")) return std::nullopt;
  head.setId = line->substr(5);
  line = next();
  if (!line || !line->starts_with("Zeile ")) return std::nullopt;
  const std::size_t of = line->find(" von ");
  if (of == std::string::npos) return std::nullopt;
  const std::optional<int> row = Number(std::string_view(*line).substr(6, of - 6));
  const std::optional<int> rows = Number(std::string_view(*line).substr(of + 5));
  if (!row || !rows || *rows > kMaxRepairRows || *row > *rows) return std::nullopt;
  head.row = *row - 1;
  head.rows = *rows;
  while ((line = next()) && *line != kDataLine) {
    const std::optional<VolumeEntry> entry = ParseVolumeLine(*line);
    const int16_t expected = head.volumes.empty() ? 0 : static_cast<int16_t>(head.volumes.back().number + 1);
    if (!entry || entry->state == VolumeState::Open || (expected != 0 && entry->number != expected)) {
      return std::nullopt;
    }
    head.volumes.push_back(*entry);
  }
  if (!line || head.volumes.empty() || head.volumes.size() > static_cast<std::size_t>(RepairGroupSize(head.rows)) ||
      RepairGroupOf(head.FirstVolume(), head.rows).second != 0) {
    return std::nullopt;
  }
  return std::pair{head, at};
}

std::pair<int16_t, int> RepairGroupOf(int16_t number, int rows) {
  const int size = RepairGroupSize(rows);
  return {static_cast<int16_t>((number - 1) / size * size + 1), (number - 1) % size};
}

}  // namespace pb
