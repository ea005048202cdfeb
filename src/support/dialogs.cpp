// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/dialogs.h"

#include "support/contacts.h"

namespace pb {

bool ConfirmCancel(MessageBoxes& boxes) {
  return boxes.Show(MessageBox{.text = "Wollen Sie den Vorgang wirklich abbrechen?",
                               .icon = BoxIcon::Question,
                               .buttons = BoxButtons::YesNo,
                               .defaultButton = BoxButton::No}) == BoxButton::Yes;
}

void ReportFatalError(Runtime& runtime, const std::string& location, const RunTimeError& error) {
  runtime.boxes.Show(MessageBox{
      .text = "Es kam in Modul " + location + " zu folgendem Fehler:\r" + error.description() + " /" +
              std::to_string(error.code()) + "\rBitte benachrichtigen Sie den Programmautor über ff. e-Mail-Adresse:\r" +
              contacts::kSupportEmail,
      .icon = BoxIcon::Critical});
  runtime.EndProgram(kExitFatal);
}

}  // namespace pb
