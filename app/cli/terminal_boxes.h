// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <istream>
#include <optional>
#include <ostream>

#include "command_line.h"
#include "support/message_boxes.h"
#include "support/runtime.h"

namespace pb {

// Message boxes on a terminal: the title and the text are printed. A box with
// only OK informs and the tool goes on; a question prints its buttons, the
// default one in brackets, and reads a line with a button's word or its
// first letter, any case, or an empty line for the default. Anything else asks
// again. A failure's reason comes on a line of its own. Where no answer comes
// (end of input, or a prompt for a volume that --yes already answered once)
// the box answers Cancel and the question that follows Yes, so a script never
// hangs.
class TerminalBoxes : public MessageBoxes {
 public:
  TerminalBoxes(std::istream& in, std::ostream& out, cli::TerminalOptions options = {})
      : in_(in), out_(out), options_(options) {}
  BoxButton Show(const MessageBox& box) override;

  // The exit status of a run given up in these boxes: cancelled when a person
  // chose it, not available when a prompt for the next medium went
  // unanswered, fatal otherwise.
  int GiveUpStatus() const { return giveUpStatus_; }

 private:
  void Print(const MessageBox& box);
  BoxButton Answer(const MessageBox& box);
  BoxButton Chosen(BoxButton button);
  BoxButton Unanswered(const MessageBox& box, int status);

  std::istream& in_;
  std::ostream& out_;
  cli::TerminalOptions options_;
  int giveUpStatus_ = kExitFatal;
  std::optional<int> promptedVolume_;  // the volume --yes answered OK for last
  bool confirmUnanswered_ = false;
};

// The runs ask for the next diskette or volume with the one kind of box that
// informs and offers Cancel.
bool AsksForNextMedium(const MessageBox& box);

}  // namespace pb
