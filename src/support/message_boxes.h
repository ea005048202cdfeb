// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace pb {

enum class BoxIcon { None, Critical, Question, Information };
enum class BoxButtons { Ok, OkCancel, YesNo };
enum class BoxButton { Ok, Cancel, Yes, No };

// One application-modal message box. Lines in text are separated by a single
// carriage return ("\r").
struct MessageBox {
  std::string text;
  BoxIcon icon = BoxIcon::None;
  BoxButtons buttons = BoxButtons::Ok;
  std::string title = "Parcelbarge";
  BoxButton defaultButton = BoxButton::Ok;  // the first button unless a caller says otherwise
  // What the system gave as the cause of a failure the fixed text names. A
  // terminal shows it on a line of its own after the text.
  std::string reason{};
  // A prompt for a volume of a set: its number, so asking again for the same
  // one can be told from asking for the next; 0 where the prompt names none.
  int volume = 0;
  // A drive path the text names, so a face that shows paths as the system
  // names them can show this one so too; "" where the text names none.
  std::string path{};
};

// The one way the core reaches the user. Show blocks until the user answers
// and returns the button pressed (always one of the box's buttons).
class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  virtual BoxButton Show(const MessageBox& box) = 0;
};

}  // namespace pb
