// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/guarded_step.h"

#include "support/dialogs.h"

namespace pb {

void AskRetryOrGiveUp(MessageBoxes& boxes, const std::string& text, BoxIcon icon, int volume) {
  const MessageBox box{.text = text, .icon = icon, .buttons = BoxButtons::OkCancel, .volume = volume};
  while (boxes.Show(box) != BoxButton::Ok) {
    if (ConfirmCancel(boxes)) throw RunGivenUp{};
  }
}

WriteResult GuardedTargetWrite(Runtime& runtime, const std::string& location, const std::function<void()>& write) {
  return GuardedStep(
      [&] {
        try {
          write();
          return WriteResult::Done;
        } catch (const RunTimeError& error) {
          // A full medium is an outcome for the caller, not a failure to retry.
          if (error.code() != kMediumFull) throw;
          return WriteResult::MediumFull;
        }
      },
      [&](const RunTimeError& error) {
        if (error.code() != kDriveNotReady) ReportFatalError(runtime, location, error);
        AskRetryOrGiveUp(runtime.boxes,
                         "Auf den Zieldatenträger kann nicht geschrieben werden.\rBitte prüfen und auf OK klicken.",
                         BoxIcon::Critical);
      });
}

}  // namespace pb
