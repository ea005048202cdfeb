// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace pb {

// UTF-8 to the UTF-16 of the Windows API and back. Invalid UTF-8 and lone
// surrogates become U+FFFD, which no stored name can hold.
std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);

}  // namespace pb
