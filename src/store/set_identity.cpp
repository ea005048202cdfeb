// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/set_identity.h"

#include <algorithm>
#include <cstdio>
#include <random>
#include <sstream>

// Header-only, so every platform build hashes with the same code.
#define XXH_INLINE_ALL
#include <xxhash.h>

namespace pb {

namespace {

constexpr std::string_view kIdentityFirstLine = "Parcelbarge-Kennung 1";
constexpr std::size_t kHexDigits = 32;
constexpr std::string_view kUnknownLength = "----------";
constexpr std::string_view kUnknownChecksum = "--------------------------------";

constexpr std::string_view StateWord(VolumeState state) {
  switch (state) {
    case VolumeState::Open: return "offen";
    case VolumeState::More: return "weiter";
    case VolumeState::Last: return "Ende";
    case VolumeState::GivenUp: return "Abbruch";
  }
  return "offen";
}

std::optional<VolumeState> StateOf(std::string_view word) {
  for (VolumeState state : {VolumeState::Open, VolumeState::More, VolumeState::Last, VolumeState::GivenUp}) {
    if (StateWord(state) == word) return state;
  }
  return std::nullopt;
}

bool IsHex(std::string_view text) {
  return text.size() == kHexDigits &&
         std::all_of(text.begin(), text.end(), [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

bool IsDigits(std::string_view text, std::size_t width) {
  return text.size() == width && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string Hex128(const XXH128_hash_t& hash) {
  char text[kHexDigits + 1];
  std::snprintf(text, sizeof text, "%016llx%016llx", static_cast<unsigned long long>(hash.high64),
                static_cast<unsigned long long>(hash.low64));
  return text;
}

std::optional<RepairFileEntry> ParseRepairFileLine(const std::string& line) {
  std::istringstream words(line);
  std::string kind, name, length, checksum, rest;
  if (!(words >> kind >> name >> length >> checksum) || (words >> rest) || kind != "Reparatur" ||
      !IsDigits(length, kUnknownLength.size()) || !IsHex(checksum)) {
    return std::nullopt;
  }
  return RepairFileEntry{name, std::stoll(length), checksum};
}

}  // namespace

std::optional<VolumeEntry> ParseVolumeLine(const std::string& line) {
  std::istringstream words(line);
  std::string band, number, length, checksum, state, rest;
  if (!(words >> band >> number >> length >> checksum >> state) || (words >> rest) || band != "Band" ||
      !IsDigits(number, 5)) {
    return std::nullopt;
  }
  VolumeEntry entry;
  const int value = std::stoi(number);
  const std::optional<VolumeState> parsedState = StateOf(state);
  if (value < 1 || value > INT16_MAX || !parsedState) return std::nullopt;
  entry.number = static_cast<int16_t>(value);
  entry.state = *parsedState;
  if (entry.state == VolumeState::Open) {
    if (length != kUnknownLength || checksum != kUnknownChecksum) return std::nullopt;
    return entry;
  }
  if (!IsDigits(length, kUnknownLength.size()) || !IsHex(checksum)) return std::nullopt;
  entry.length = std::stoll(length);
  entry.checksum = checksum;
  return entry;
}

std::string VolumeLine(const VolumeEntry& entry) {
  char line[96];
  if (entry.state == VolumeState::Open) {
    std::snprintf(line, sizeof line, "Band %05d %s %s %-7s", entry.number, std::string(kUnknownLength).c_str(),
                  std::string(kUnknownChecksum).c_str(), std::string(StateWord(entry.state)).c_str());
  } else {
    std::snprintf(line, sizeof line, "Band %05d %010lld %s %-7s", entry.number, static_cast<long long>(entry.length),
                  entry.checksum.c_str(), std::string(StateWord(entry.state)).c_str());
  }
  return line;
}

const VolumeEntry* SetIdentity::Find(int16_t number) const {
  const auto found =
      std::find_if(volumes.begin(), volumes.end(), [&](const VolumeEntry& entry) { return entry.number == number; });
  return found == volumes.end() ? nullptr : &*found;
}

VolumeEntry& SetIdentity::Put(const VolumeEntry& entry) {
  Remove(entry.number);
  const auto at = std::find_if(volumes.begin(), volumes.end(),
                               [&](const VolumeEntry& other) { return other.number > entry.number; });
  return *volumes.insert(at, entry);
}

void SetIdentity::Remove(int16_t number) {
  std::erase_if(volumes, [&](const VolumeEntry& entry) { return entry.number == number; });
}

std::string RecordHeadBytes(const SetIdentity& identity) {
  std::string text = std::string(kIdentityFirstLine) + "\nSatz " + identity.setId + "\n";
  if (identity.repairRows > 0) text += "Reparaturbände " + std::to_string(identity.repairRows) + "\n";
  return text;
}

std::string RepairFileLine(const RepairFileEntry& entry) {
  char length[16];
  std::snprintf(length, sizeof length, "%010lld", static_cast<long long>(entry.length));
  return "Reparatur " + entry.name + " " + length + " " + entry.checksum;
}

std::string IdentityRecordBytes(const SetIdentity& identity) {
  std::string text = RecordHeadBytes(identity);
  for (const VolumeEntry& entry : identity.volumes) text += VolumeLine(entry) + "\n";
  for (const RepairFileEntry& entry : identity.repairFiles) text += RepairFileLine(entry) + "\n";
  return text;
}

// A line without its end, also where an editor wrote CR LF.
static bool NextLine(std::istringstream& lines, std::string& line) {
  if (!std::getline(lines, line)) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

std::optional<SetIdentity> ParseIdentityRecord(std::string_view bytes) {
  std::istringstream lines{std::string(bytes)};
  std::string line;
  if (!NextLine(lines, line) || line != kIdentityFirstLine) return std::nullopt;
  SetIdentity identity;
  if (!NextLine(lines, line) || line.size() != 5 + kHexDigits || line.compare(0, 5, "Satz ") != 0 ||
      !IsHex(std::string_view(line).substr(5))) {
    return std::nullopt;
  }
  identity.setId = line.substr(5);
  while (NextLine(lines, line)) {
    if (line.rfind("Band ", 0) == 0) {
      const std::optional<VolumeEntry> entry = ParseVolumeLine(line);
      if (!entry || identity.Find(entry->number)) return std::nullopt;
      identity.volumes.push_back(*entry);
    } else if (line.rfind("Reparaturbände ", 0) == 0) {
      const std::string rows = line.substr(line.find(' ') + 1);
      if (!IsDigits(rows, rows.size()) || rows.empty() || rows.size() > 2) return std::nullopt;
      identity.repairRows = std::stoi(rows);
    } else if (line.rfind("Reparatur ", 0) == 0) {
      const std::optional<RepairFileEntry> entry = ParseRepairFileLine(line);
      if (!entry) return std::nullopt;
      identity.repairFiles.push_back(*entry);
    }
  }
  return identity;
}

std::string NewSetId() {
  std::random_device random;
  XXH128_hash_t id{};
  id.low64 = (uint64_t{random()} << 32) | random();
  id.high64 = (uint64_t{random()} << 32) | random();
  return Hex128(id);
}

struct VolumeChecksum::State {
  XXH3_state_t xxh;
};

VolumeChecksum::VolumeChecksum() : state_(new State) { XXH3_128bits_reset(&state_->xxh); }

VolumeChecksum::~VolumeChecksum() { delete state_; }

void VolumeChecksum::Update(std::string_view bytes) { XXH3_128bits_update(&state_->xxh, bytes.data(), bytes.size()); }

std::string VolumeChecksum::Hex() const { return Hex128(XXH3_128bits_digest(&state_->xxh)); }

}  // namespace pb
