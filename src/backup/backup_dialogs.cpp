// SPDX-License-Identifier: GPL-3.0-or-later
#include "backup/backup_dialogs.h"

namespace pb {

std::string FailureGroupText(FailureGroup group) {
  constexpr const char* kCheckAndOk = "\rBitte überprüfen und OK drücken.";
  switch (group) {
    case FailureGroup::SourceAccess:
      return std::string("Auf die zu kopierende Datei kann nicht zugegriffen werden.") + kCheckAndOk;
    case FailureGroup::Clearing:
      return std::string("Das Zielverzeichnis kann nicht gelöscht werden.") + kCheckAndOk;
    case FailureGroup::VolumeManagement:
      break;
  }
  return std::string("Auf den Zieldatenträger kann nicht geschrieben werden.") + kCheckAndOk;
}

void AskForNextDiskette(MessageBoxes& boxes) {
  AskRetryOrGiveUp(boxes, "Der Datenträger ist voll! Bitte die nächste Diskette\reinlegen und auf OK klicken.",
                   BoxIcon::Information);
}

void AskForAnotherDiskette(MessageBoxes& boxes) {
  AskRetryOrGiveUp(boxes,
                   "Diese Diskette enthält schon einen Teil dieser Sicherung.\rBitte die nächste Diskette einlegen "
                   "und auf OK klicken.",
                   BoxIcon::Information);
}

void AskToWriteVolumeAgain(MessageBoxes& boxes, int number) {
  AskRetryOrGiveUp(boxes,
                   "Band " + std::to_string(number) +
                       " lässt sich nicht so zurücklesen, wie er geschrieben wurde.\rBitte eine andere Diskette "
                       "einlegen und auf OK klicken, um ihn neu zu schreiben.",
                   BoxIcon::Critical);
}

}  // namespace pb
