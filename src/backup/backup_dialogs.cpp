// SPDX-License-Identifier: GPL-3.0-or-later
#include "backup/backup_dialogs.h"

#include "support/dialogs.h"

namespace pb {

namespace {

constexpr const char* kCheckAndOk = "Bitte überprüfen und OK drücken.";
constexpr const char* kCannotWriteTarget = "Auf den Zieldatenträger kann nicht geschrieben werden.";

std::string GroupText(FailureGroup group) {
  switch (group) {
    case FailureGroup::SourceAccess:
      return std::string("Auf die zu kopierende Datei kann nicht zugegriffen werden.\r") + kCheckAndOk;
    case FailureGroup::Clearing:
      return std::string("Das Zielverzeichnis kann nicht gelöscht werden.\r") + kCheckAndOk;
    case FailureGroup::VolumeManagement:
      break;
  }
  return std::string(kCannotWriteTarget) + "\r" + kCheckAndOk;
}

// Returns on OK; gives the run up after a confirmed Cancel.
void AskUntilOk(MessageBoxes& boxes, const std::string& text, BoxIcon icon) {
  if (!AskRetry(boxes, text, icon)) throw RunGivenUp{};
}

}  // namespace

void AskRetry(MessageBoxes& boxes, FailureGroup group) {
  AskUntilOk(boxes, GroupText(group), BoxIcon::Critical);
}

void AskRetryDriveNotReady(MessageBoxes& boxes) {
  AskUntilOk(boxes, std::string(kCannotWriteTarget) + "\rBitte prüfen und auf OK klicken.", BoxIcon::Critical);
}

void AskForNextDiskette(MessageBoxes& boxes) {
  AskUntilOk(boxes, "Der Datenträger ist voll! Bitte die nächste Diskette\reinlegen und auf OK klicken.",
             BoxIcon::Information);
}

}  // namespace pb
