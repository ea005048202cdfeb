// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <istream>
#include <ostream>

#include "support/message_boxes.h"

namespace pb {

// Message boxes on a terminal: the title and the text are printed, then the
// buttons, the default one in brackets; the answer is a line with a button's
// word or its first letter, any case, or an empty line for the default.
// Anything else asks again. At the end of input the box answers Cancel
// (OK/Cancel), Yes (Yes/No) or OK, so a script never hangs and a run whose
// input is gone is given up.
class TerminalBoxes : public MessageBoxes {
 public:
  TerminalBoxes(std::istream& in, std::ostream& out) : in_(in), out_(out) {}
  BoxButton Show(const MessageBox& box) override;

 private:
  std::istream& in_;
  std::ostream& out_;
};

}  // namespace pb
