// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pb::cli {

// A native name on a line of its own making: control characters, bytes that
// are no UTF-8 and the backslash itself (a POSIX name may hold one) as \xNN,
// so two names never look alike. Every other character stays as it is.
std::string ShownNativeName(std::string_view name);

// The names in a native directory that the drive form shows as
// driveFormName, in byte order; none when the directory cannot be read.
std::vector<std::string> NativeNamesShownAs(const std::string& nativeDirectory, const std::string& driveFormName);

}  // namespace pb::cli
