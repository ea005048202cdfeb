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

// Shows box until the user answers OK, or gives up after confirming Cancel.
void AskUntilOk(MessageBoxes& boxes, const MessageBox& box) {
  while (boxes.Show(box) != BoxButton::Ok) {
    if (ConfirmCancel(boxes)) throw RunGivenUp{};
  }
}

MessageBox OkCancelBox(std::string text, BoxIcon icon) {
  MessageBox box;
  box.text = std::move(text);
  box.icon = icon;
  box.buttons = BoxButtons::OkCancel;
  return box;
}

}  // namespace

void AskRetry(MessageBoxes& boxes, FailureGroup group) {
  AskUntilOk(boxes, OkCancelBox(GroupText(group), BoxIcon::Critical));
}

void AskRetryDriveNotReady(MessageBoxes& boxes) {
  AskUntilOk(boxes, OkCancelBox(std::string(kCannotWriteTarget) + "\rBitte prüfen und auf OK klicken.", BoxIcon::Critical));
}

void AskForNextDiskette(MessageBoxes& boxes) {
  AskUntilOk(boxes, OkCancelBox("Der Datenträger ist voll! Bitte die nächste Diskette\reinlegen und auf OK klicken.",
                                BoxIcon::Information));
}

}  // namespace pb
