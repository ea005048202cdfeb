#include "restore/retry_question.h"

#include "support/dialogs.h"

namespace pb {

bool AskRetry(MessageBoxes& boxes, const std::string& text, BoxIcon icon) {
  MessageBox box;
  box.text = text;
  box.icon = icon;
  box.buttons = BoxButtons::OkCancel;
  for (;;) {
    if (boxes.Show(box) == BoxButton::Ok) return true;
    if (ConfirmCancel(boxes)) return false;
  }
}

}  // namespace pb
