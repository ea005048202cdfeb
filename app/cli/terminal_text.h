// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace pb::cli {

// Text from a set or from the command line made safe to print: every control
// character (C0, DEL and the C1 range of UTF-8) as \xNN, so no name can move
// the cursor, clear the screen or fake a line of the tool's own.
std::string TerminalSafe(std::string_view text);

}  // namespace pb::cli
