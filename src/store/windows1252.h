// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace pb {

// The program keeps text as UTF-8; the set stores it one byte per character in
// Windows-1252, on every platform, so writer and reader always agree. All 256
// byte values decode to a character that encodes back to the same byte (the
// five bytes the code page leaves undefined map to U+0081, U+008D, U+008F,
// U+0090 and U+009D).

// Encodes UTF-8 text. A character outside the code page, and every byte of
// invalid UTF-8, becomes "?"; lossy (when given) tells whether that happened.
std::string ToWindows1252(std::string_view utf8, bool* lossy = nullptr);

// Decodes Windows-1252 bytes to UTF-8. Never fails.
std::string FromWindows1252(std::string_view bytes);

// True when ToWindows1252 would encode the text without a substitute.
bool IsWindows1252Representable(std::string_view utf8);

}  // namespace pb
