// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/windows1252.h"

#include <array>
#include <optional>

namespace pb {

namespace {

// Characters of the bytes 0x80 to 0x9F; every other byte is its own code point.
constexpr std::array<char32_t, 32> kRow80 = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

std::optional<unsigned char> ByteOf(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<unsigned char>(c);
  for (std::size_t i = 0; i < kRow80.size(); ++i) {
    if (kRow80[i] == c) return static_cast<unsigned char>(0x80 + i);
  }
  return std::nullopt;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// Decodes one UTF-8 character at pos and advances past it. Returns nullopt
// for a malformed sequence (stray continuation, overlong form, surrogate,
// beyond U+10FFFF, cut short) and then advances by one byte only.
std::optional<char32_t> NextCodePoint(std::string_view s, std::size_t& pos) {
  const unsigned char lead = static_cast<unsigned char>(s[pos]);
  std::size_t length = 0;
  char32_t c = 0;
  char32_t minimum = 0;
  if (lead < 0x80) {
    ++pos;
    return lead;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2, c = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, c = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, c = lead & 0x07, minimum = 0x10000;
  } else {
    ++pos;
    return std::nullopt;
  }
  if (pos + length > s.size()) {
    ++pos;
    return std::nullopt;
  }
  for (std::size_t i = 1; i < length; ++i) {
    const unsigned char next = static_cast<unsigned char>(s[pos + i]);
    if ((next & 0xC0) != 0x80) {
      ++pos;
      return std::nullopt;
    }
    c = (c << 6) | (next & 0x3F);
  }
  if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
    ++pos;
    return std::nullopt;
  }
  pos += length;
  return c;
}

}  // namespace

std::string ToWindows1252(std::string_view utf8, bool* lossy) {
  std::string out;
  out.reserve(utf8.size());
  bool substituted = false;
  for (std::size_t pos = 0; pos < utf8.size();) {
    const std::optional<char32_t> c = NextCodePoint(utf8, pos);
    const std::optional<unsigned char> byte = c ? ByteOf(*c) : std::nullopt;
    if (byte) {
      out.push_back(static_cast<char>(*byte));
    } else {
      out.push_back('?');
      substituted = true;
    }
  }
  if (lossy != nullptr) *lossy = substituted;
  return out;
}

std::string FromWindows1252(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (const char ch : bytes) {
    const unsigned char b = static_cast<unsigned char>(ch);
    AppendUtf8(out, b >= 0x80 && b < 0xA0 ? kRow80[b - 0x80] : char32_t{b});
  }
  return out;
}

bool IsWindows1252Representable(std::string_view utf8) {
  bool lossy = false;
  ToWindows1252(utf8, &lossy);
  return !lossy;
}

}  // namespace pb
