// SPDX-License-Identifier: GPL-3.0-or-later
#include "diskette.h"

#include <stdexcept>

namespace pb::testing {

// Windows has no tmpfs to mount: the tests that need a full medium of their
// own are skipped there with this reason.
Diskette::Diskette(std::filesystem::path root) : root_(std::move(root)) {
  reason_ = "Windows has no tmpfs for a diskette of the test's own";
}

Diskette::~Diskette() = default;

void Diskette::Change() { throw std::logic_error(reason_); }

}  // namespace pb::testing
