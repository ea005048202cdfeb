// SPDX-License-Identifier: GPL-3.0-or-later
#include "terminal_text.h"

#include <cstdio>

namespace pb::cli {

namespace {

std::string Escape(unsigned code) {
  char escaped[8];
  std::snprintf(escaped, sizeof escaped, "\\x%02X", code);
  return escaped;
}

}  // namespace

std::string TerminalSafe(std::string_view text) {
  std::string safe;
  safe.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0u;
    if (byte < 0x20 || byte == 0x7F) {
      safe += Escape(byte);
    } else if (byte == 0xC2 && next >= 0x80 && next <= 0x9F) {
      safe += Escape(next);
      ++i;
    } else {
      safe += text[i];
    }
  }
  return safe;
}

}  // namespace pb::cli
