// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/run_time_error.h"

namespace pb {

std::string ErrorDescription(int32_t code) {
  switch (code) {
    case kInvalidCall: return "Ungültiger Prozeduraufruf oder ungültiges Argument";
    case kOverflow: return "Überlauf";
    case kOutOfMemory: return "Nicht genügend Speicher";
    case kBadFileNameOrNumber: return "Dateiname oder -nummer falsch";
    case kFileNotFound: return "Datei nicht gefunden";
    case kBadFileMode: return "Dateimodus falsch";
    case kFileAlreadyOpen: return "Datei bereits geöffnet";
    case kDeviceIo: return "Fehler beim Geräte-E/A";
    case kFileExists: return "Datei existiert bereits";
    case kMediumFull: return "Datenträger voll";
    case kInputPastEnd: return "Einlesen hinter Dateiende";
    case kTooManyFiles: return "Zu viele Dateien";
    case kDeviceUnavailable: return "Gerät nicht verfügbar";
    case kPermissionDenied: return "Zugriff verweigert";
    case kDriveNotReady: return "Datenträger nicht bereit";
    case kPathFileAccess: return "Fehler beim Zugriff auf Pfad/Datei";
    case kPathNotFound: return "Pfad nicht gefunden";
    default: return "Anwendungs- oder objektdefinierter Fehler";
  }
}

RunTimeError::RunTimeError(int32_t code) : RunTimeError(code, ErrorDescription(code)) {}

RunTimeError::RunTimeError(int32_t code, const std::string& description)
    : std::runtime_error(description + " /" + std::to_string(code)), code_(code), description_(description) {}

void Raise(int32_t code) { throw RunTimeError(code); }

}  // namespace pb
