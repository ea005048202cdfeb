// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "command_line.h"

namespace pb::testing {

// The options of a command that reads the set in source; restore writes below target.
inline cli::ReadOptions Read(const std::string& source, const std::string& target = "") {
  cli::ReadOptions options;
  options.source = source;
  options.target = target;
  return options;
}

}  // namespace pb::testing
