// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/dialogs.h"

#include "support/contacts.h"

namespace pb {

bool ConfirmCancel(MessageBoxes& boxes) {
  MessageBox box;
  box.text = "Wollen Sie den Vorgang wirklich abbrechen?";
  box.icon = BoxIcon::Question;
  box.buttons = BoxButtons::YesNo;
  box.defaultButton = BoxButton::No;
  return boxes.Show(box) == BoxButton::Yes;
}

void ReportFatalError(Runtime& runtime, const std::string& location, const RunTimeError& error) {
  MessageBox box;
  box.text = "Es kam in Modul " + location + " zu folgendem Fehler:\r" + error.description() + " /" +
             std::to_string(error.code()) + "\rBitte benachrichtigen Sie den Programmautor über ff. e-Mail-Adresse:\r" +
             contacts::kSupportEmail;
  box.icon = BoxIcon::Critical;
  runtime.boxes.Show(box);
  runtime.EndProgram(kExitFatal);
}

}  // namespace pb
