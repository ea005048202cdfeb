// SPDX-License-Identifier: GPL-3.0-or-later
#include "native_names.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/drive_table.h"

namespace pb::cli {

namespace {

std::string Escape(unsigned char byte) {
  char escaped[8];
  std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
  return escaped;
}

// The length of the UTF-8 character at pos, 0 when none begins there.
std::size_t Utf8Length(std::string_view text, std::size_t pos) {
  const auto byte = static_cast<unsigned char>(text[pos]);
  std::size_t length = 0;
  char32_t code = 0;
  if (byte >= 0xC2 && byte <= 0xDF) {
    length = 2;
    code = byte & 0x1F;
  } else if (byte >= 0xE0 && byte <= 0xEF) {
    length = 3;
    code = byte & 0x0F;
  } else if (byte >= 0xF0 && byte <= 0xF4) {
    length = 4;
    code = byte & 0x07;
  } else {
    return 0;
  }
  if (pos + length > text.size()) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[pos + i]);
    if ((next & 0xC0) != 0x80) return 0;
    code = (code << 6) | (next & 0x3F);
  }
  // Overlong forms, surrogates and what lies beyond Unicode are no
  // characters; C1 controls move the cursor as C0 ones do.
  const char32_t least = length == 2 ? 0xA0 : length == 3 ? 0x800 : 0x10000;
  if (code < least || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return 0;
  return length;
}

std::string Utf8Of(const std::u8string& text) { return std::string(text.begin(), text.end()); }

}  // namespace

std::string ShownNativeName(std::string_view name) {
  std::string shown;
  for (std::size_t pos = 0; pos < name.size();) {
    const auto byte = static_cast<unsigned char>(name[pos]);
    if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
      shown += name[pos++];
    } else if (const std::size_t length = byte >= 0x80 ? Utf8Length(name, pos) : 0; length > 0) {
      shown.append(name, pos, length);
      pos += length;
    } else {
      shown += Escape(byte);
      ++pos;
    }
  }
  return shown;
}

std::vector<std::string> NativeNamesShownAs(const std::string& nativeDirectory, const std::string& driveFormName) {
  std::vector<std::string> names;
  std::error_code error;
  const std::filesystem::path directory(std::u8string(nativeDirectory.begin(), nativeDirectory.end()));
  for (std::filesystem::directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
    std::string name = Utf8Of(it->path().filename().u8string());
    if (DriveFormName(name) == driveFormName) names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace pb::cli
