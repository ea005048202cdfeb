// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "support/file_system.h"

namespace pb {

// Path followed by "\" unless it already ends in one; "" gives "\".
std::string WithTrailingBackslash(const std::string& path);

// Drive form of the directory holding the running executable, ending in "\".
std::string AppDirectory(FileSystem& fs);

}  // namespace pb
