// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>

#include "support/run_time_error.h"

namespace pb::testing {

// The code of the RunTimeError that call throws; 0 when it throws none.
inline int32_t ErrorCodeOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const RunTimeError& error) {
    return error.code();
  }
  return 0;
}

}  // namespace pb::testing
