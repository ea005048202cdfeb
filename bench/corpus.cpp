// SPDX-License-Identifier: GPL-3.0-or-later
#include "corpus.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace pb::bench {

namespace {

// splitmix64: tiny, fast, and the same on every platform, unlike the standard
// library's distributions.
class Rng {
 public:
  explicit Rng(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  uint32_t Below(uint32_t bound) { return static_cast<uint32_t>((Next() >> 32) * bound >> 32); }
  double Unit() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }

 private:
  uint64_t state_;
};

enum class Kind { Text, Binary, Compressed, Random };

constexpr std::array<std::string_view, 64> kWords = {
    "der",     "die",       "und",      "in",        "den",     "von",      "zu",       "das",
    "mit",     "sich",      "des",      "auf",       "für",     "ist",      "im",       "dem",
    "nicht",   "ein",       "eine",     "als",       "auch",    "es",       "an",       "werden",
    "aus",     "er",        "hat",      "dass",      "sie",     "nach",     "wird",     "bei",
    "the",     "of",        "and",      "to",        "a",       "in",       "is",       "that",
    "Datei",   "Diskette",  "Sicherung", "Laufwerk", "Verzeichnis", "Kopie", "Archiv",  "Daten",
    "Brief",   "Rechnung",  "Projekt",  "Bericht",   "Januar",  "Februar",  "Montag",   "Freitag",
    "compression", "volume", "fragment", "restore",  "medium",  "program",  "window",   "message",
};

// Words made of syllables: a vocabulary large enough that text compresses like
// prose does, not like a repeated phrase.
const std::vector<std::string>& Vocabulary() {
  static const std::vector<std::string> words = [] {
    static constexpr std::array<std::string_view, 48> kSyllables = {
        "ber", "ge",  "sch", "ung", "ein", "tra", "mit", "ver", "an",  "lich", "keit", "da",
        "ten", "ro",  "ka",  "the", "in",  "ion", "al",  "re",  "pro", "ma",   "sta",  "ent",
        "wu",  "fel", "dor", "ix",  "pan", "zel", "hof", "ly",  "mon", "gra",  "qui",  "bo",
        "tern", "ask", "vi", "nu",  "ef",  "ox",  "dri", "lum", "ped", "car",  "sol",  "wy"};
    Rng rng(4096);
    std::vector<std::string> result(kWords.begin(), kWords.end());
    while (result.size() < 4096) {
      std::string word;
      for (uint32_t s = 0, count = 2 + rng.Below(3); s < count; ++s) word += kSyllables[rng.Below(kSyllables.size())];
      result.push_back(word);
    }
    return result;
  }();
  return words;
}

void AppendText(std::string& out, size_t n, Rng& rng) {
  const std::vector<std::string>& words = Vocabulary();
  size_t lineLength = 0;
  bool sentenceStart = true;
  while (out.size() < n) {
    // Log-uniform ranks follow Zipf's law: a few words are very frequent.
    const auto rank = static_cast<size_t>(std::pow(static_cast<double>(words.size()), rng.Unit())) - 1;
    const std::string& word = words[std::min(rank, words.size() - 1)];
    if (rng.Below(23) == 0) {
      out += std::to_string(rng.Below(100000));
    } else if (sentenceStart) {
      out += static_cast<char>(std::toupper(static_cast<unsigned char>(word[0])));
      out.append(word, 1);
    } else {
      out.append(word);
    }
    sentenceStart = rng.Below(11) == 0;
    lineLength += word.size() + 1;
    if (sentenceStart) out += '.';
    if (lineLength > 72) {
      out += '\n';
      lineLength = 0;
    } else {
      out += ' ';
    }
  }
  out.resize(n);
}

// Something like an executable: code with a skewed opcode mix, offset tables,
// zero padding and string tables, in 4 KiB blocks.
void AppendBinary(std::string& out, size_t n, Rng& rng) {
  static constexpr std::array<uint8_t, 16> kOpcodes = {0x48, 0x89, 0x8B, 0xE8, 0x83, 0xC3, 0x0F, 0x85,
                                                       0x74, 0x75, 0x31, 0xFF, 0x41, 0x5D, 0xC7, 0x8D};
  while (out.size() < n) {
    const size_t blockEnd = out.size() + 4096;
    switch (rng.Below(8)) {
      case 0:
        out.append(4096, '\0');
        break;
      case 1: {
        uint32_t offset = rng.Below(1u << 20);
        while (out.size() + 4 <= blockEnd) {
          offset += 8 + 8 * rng.Below(16);
          for (int b = 0; b < 4; ++b) out += static_cast<char>(offset >> (8 * b));
        }
        break;
      }
      case 2:
        while (out.size() < blockEnd) {
          std::string_view word = kWords[rng.Below(kWords.size())];
          out.append(word);
          out += '\0';
        }
        break;
      default:
        while (out.size() < blockEnd) {
          uint32_t r = static_cast<uint32_t>(rng.Next());
          // Code repeats its idioms: often copy a recent snippet.
          if ((r >> 10) % 3 != 0 && out.size() > 4096) {
            const size_t length = 8 + (r >> 12) % 33;
            const size_t from = out.size() - 64 - rng.Below(4000);
            for (size_t b = 0; b < length; ++b) out += out[from + b];
            continue;
          }
          out += static_cast<char>(kOpcodes[r & 15]);
          out += static_cast<char>(kOpcodes[(r >> 4) & 15]);
          if ((r >> 8) & 1) out += static_cast<char>(r >> 16);
          if ((r >> 9) & 1) out.append(2, static_cast<char>(r >> 24));
        }
        break;
    }
  }
  out.resize(n);
}

// Deflated text, like the archives and pictures a user keeps.
void AppendCompressed(std::string& out, size_t n, Rng& rng) {
  std::string text;
  std::vector<Bytef> packed;
  while (out.size() < n) {
    text.clear();
    AppendText(text, 1 << 20, rng);
    uLongf packedLength = compressBound(static_cast<uLong>(text.size()));
    packed.resize(packedLength);
    if (compress2(packed.data(), &packedLength, reinterpret_cast<const Bytef*>(text.data()),
                  static_cast<uLong>(text.size()), 1) != Z_OK) {
      throw std::runtime_error("compress2 failed");
    }
    out.append(reinterpret_cast<const char*>(packed.data()), packedLength);
  }
  out.resize(n);
}

void AppendRandom(std::string& out, size_t n, Rng& rng) {
  while (out.size() < n) {
    uint64_t r = rng.Next();
    for (int b = 0; b < 8; ++b) out += static_cast<char>(r >> (8 * b));
  }
  out.resize(n);
}

std::string Content(Kind kind, size_t n, uint64_t seed) {
  Rng rng(seed);
  std::string out;
  out.reserve(n + 8192);
  switch (kind) {
    case Kind::Text: AppendText(out, n, rng); break;
    case Kind::Binary: AppendBinary(out, n, rng); break;
    case Kind::Compressed: AppendCompressed(out, n, rng); break;
    case Kind::Random: AppendRandom(out, n, rng); break;
  }
  return out;
}

const char* Extension(Kind kind) {
  switch (kind) {
    case Kind::Text: return "txt";
    case Kind::Binary: return "bin";
    case Kind::Compressed: return "z";
    case Kind::Random: return "dat";
  }
  return "";
}

class CorpusWriter {
 public:
  explicit CorpusWriter(std::filesystem::path root) : root_(std::move(root)) {}

  void Add(const std::string& relative, const std::string& bytes) {
    const std::filesystem::path file = root_ / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream stream(file, std::ios::binary | std::ios::trunc);
    stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!stream) throw std::runtime_error("cannot write " + file.string());
    summary_.crc = crc32(summary_.crc, reinterpret_cast<const Bytef*>(relative.data()),
                         static_cast<uInt>(relative.size()));
    summary_.crc = crc32_z(summary_.crc, reinterpret_cast<const Bytef*>(bytes.data()), bytes.size());
    summary_.files += 1;
    summary_.bytes += static_cast<int64_t>(bytes.size());
  }

  const CorpusSummary& summary() const { return summary_; }

 private:
  std::filesystem::path root_;
  CorpusSummary summary_;
};

}  // namespace

CorpusSummary WriteLargeFiles(const std::filesystem::path& root, int64_t totalBytes) {
  struct Share {
    Kind kind;
    const char* name;
    double fraction;
  };
  static constexpr std::array<Share, 4> kShares = {{
      {Kind::Text, "text", 0.35},
      {Kind::Binary, "binary", 0.30},
      {Kind::Compressed, "compressed", 0.20},
      {Kind::Random, "random", 0.15},
  }};
  // One big, one middling and one smaller file of each kind.
  static constexpr std::array<double, 3> kSplit = {0.6, 0.3, 0.1};
  CorpusWriter writer(root / "large");
  uint64_t seed = 1;
  for (const Share& share : kShares) {
    for (size_t k = 0; k < kSplit.size(); ++k) {
      const auto size = static_cast<size_t>(static_cast<double>(totalBytes) * share.fraction * kSplit[k]);
      writer.Add(std::string(share.name) + "-" + std::to_string(k + 1) + "." + Extension(share.kind),
                 Content(share.kind, size, seed++));
    }
  }
  return writer.summary();
}

CorpusSummary WriteSmallFiles(const std::filesystem::path& root, int fileCount) {
  CorpusWriter writer(root / "small");
  Rng rng(20000);
  for (int i = 0; i < fileCount; ++i) {
    const uint32_t pick = rng.Below(100);
    const Kind kind = pick < 50 ? Kind::Text : pick < 80 ? Kind::Binary : pick < 90 ? Kind::Compressed : Kind::Random;
    size_t size = 0;
    const uint32_t sizeClass = rng.Below(100);
    if (sizeClass == 0) {
      size = 0;
    } else if (sizeClass == 1) {
      size = 150000 + rng.Below(150000);  // a few span several fragments
    } else {
      // Log-uniform between 16 bytes and 64 KiB, as file sizes tend to be.
      size = static_cast<size_t>(std::exp(std::log(16.0) + rng.Unit() * (std::log(65536.0) - std::log(16.0))));
    }
    char name[64];
    std::snprintf(name, sizeof name, "d%02d/e%d/f%05d.%s", i / 1000, (i / 100) % 10, i, Extension(kind));
    writer.Add(name, Content(kind, size, rng.Next()));
  }
  return writer.summary();
}

}  // namespace pb::bench
