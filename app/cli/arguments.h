// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <iosfwd>
#include <string>

#include "support/file_system.h"

namespace pb::cli {

// "A:", "D:\Sich" and the like are taken as drive form; anything else is a
// native path, made absolute and translated.
std::string DrivePathFromArgument(FileSystem& fs, const std::string& arg);

// Writes the usage text of every command.
void PrintUsage(std::ostream& out);

// Writes "parcelbarge-cli" and the program version.
void PrintVersion(std::ostream& out);

}  // namespace pb::cli
