#pragma once

#include <string>

#include "support/message_boxes.h"

namespace pb {

// Shows text with OK and Cancel until the user chooses OK (true) or confirms
// with ConfirmCancel that the run is to be given up (false).
bool AskRetry(MessageBoxes& boxes, const std::string& text, BoxIcon icon);

}  // namespace pb
