// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace pb {

// The closed catalogue of run-time error codes. A number never changes meaning.
enum ErrorCode : int32_t {
  kInvalidCall = 5,         // "Ungültiger Prozeduraufruf oder ungültiges Argument"
  kOverflow = 6,            // "Überlauf"
  kOutOfMemory = 7,         // "Nicht genügend Speicher"
  kBadFileNameOrNumber = 52,
  kFileNotFound = 53,
  kBadFileMode = 54,
  kFileAlreadyOpen = 55,
  kDeviceIo = 57,
  kFileExists = 58,
  kMediumFull = 61,         // handled by the runs
  kInputPastEnd = 62,
  kTooManyFiles = 67,
  kDeviceUnavailable = 68,
  kPermissionDenied = 70,
  kDriveNotReady = 71,      // handled by the runs
  kPathFileAccess = 75,
  kPathNotFound = 76,
};

// German description of a catalogue code; an unknown code gets a generic text.
std::string ErrorDescription(int32_t code);

// A failure of a runtime service: a numeric code and its German description.
class RunTimeError : public std::runtime_error {
 public:
  explicit RunTimeError(int32_t code);
  RunTimeError(int32_t code, const std::string& description);
  int32_t code() const { return code_; }
  const std::string& description() const { return description_; }

 private:
  int32_t code_;
  std::string description_;
};

[[noreturn]] void Raise(int32_t code);

}  // namespace pb
