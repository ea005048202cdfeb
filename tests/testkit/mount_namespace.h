// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace pb::testing {

// Puts the test process into a mount namespace of its own (without
// privileges, inside an own user namespace that maps the caller to root), so
// that nothing it mounts is seen outside. Returns why the system refused, or
// "" once it is in.
std::string EnterPrivateMountNamespace();

}  // namespace pb::testing
