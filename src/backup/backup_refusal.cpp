// SPDX-License-Identifier: GPL-3.0-or-later
#include "backup/backup_refusal.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>

#include "backup/volume_size.h"
#include "store/records.h"
#include "store/volume_name.h"
#include "store/windows1252.h"
#include "support/run_time_error.h"

namespace pb {

namespace {

constexpr int kMaxFiles = std::numeric_limits<int16_t>::max();
constexpr const char* kOtherTarget = "Bitte ein anderes Sicherungsziel wählen.";

bool TooLong(const std::string& text) {
  return ToWindows1252(text).size() > static_cast<std::size_t>(kMaxTextBytes);
}

std::string DirectoryOf(const std::string& path) { return path.substr(0, path.find_last_of('\\') + 1); }

std::string NameOf(const std::string& path) { return path.substr(path.find_last_of('\\') + 1); }

// "" for a path without a native form.
std::string NativeOf(FileSystem& fs, const std::string& path) {
  try {
    return fs.ToNative(path);
  } catch (const RunTimeError&) {
    return "";
  }
}

// Whether a file lies in the target directory itself. The files of a walk
// come directory by directory, so each directory is looked up once.
class TargetDirectory {
 public:
  TargetDirectory(FileSystem& fs, const std::string& target) : fs_(fs), native_(NativeOf(fs, target)) {}

  bool Holds(const std::string& file) {
    const std::string directory = DirectoryOf(file);
    if (directory != lastDirectory_) {
      lastDirectory_ = directory;
      lastHolds_ = !native_.empty() && NativeOf(fs_, directory) == native_;
    }
    return lastHolds_;
  }

 private:
  FileSystem& fs_;
  std::string native_;
  std::string lastDirectory_;
  bool lastHolds_ = false;
};

bool IsVolumeName(const std::string& name) {
  const std::string prefix = "DataBlock#";
  const std::string suffix = ".Parcelbarge";
  if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
      name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
    return false;
  }
  const std::string digits = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
  if (digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string::npos) return false;
  const int number = std::stoi(digits);
  return number >= 1 && number <= std::numeric_limits<int16_t>::max() &&
         VolumeFileName(static_cast<int16_t>(number)) == name;
}

// The length a file has now, without opening it; nullopt when there is none.
std::optional<int64_t> LengthByPath(FileSystem& fs, const std::string& path) {
  try {
    return fs.FileLength(path);
  } catch (const RunTimeError&) {
    return std::nullopt;
  }
}

// A file that cannot be opened now is let through and not counted, since the
// run asks to retry it; opening is tried only where its length would refuse.
bool Openable(FileSystem& fs, const std::string& path) {
  try {
    fs.Close(fs.Open(path, OpenMode::BinaryRead));
    return true;
  } catch (const RunTimeError&) {
    return false;
  }
}

// fileBytes: the file's length is added to it when it has one.
std::optional<std::string> FileRefusal(FileSystem& fs, const BackupPlan& plan, TargetDirectory& target,
                                       const std::string& file, int64_t& fileBytes) {
  if (TooLong(file)) return "Ein Dateiname der Liste ist zu lang (mehr als 32767 Zeichen).\rDie Sicherung wird nicht gestartet.";
  if (target.Holds(file)) {
    if (plan.clearTarget) {
      return "Die zu sichernde Datei '" + file + "' liegt im Sicherungsziel,\rdas zuvor geleert werden soll. " +
             kOtherTarget;
    }
    if (IsVolumeName(NameOf(file))) {
      return "Die zu sichernde Datei '" + file + "' trägt den Namen eines Teilblocks\rim Sicherungsziel. " +
             kOtherTarget;
    }
  }
  const std::optional<int64_t> length = LengthByPath(fs, file);
  if (length && *length > std::numeric_limits<int32_t>::max() && Openable(fs, file)) {
    return "Die Datei '" + file + "' ist 2 GByte groß oder größer\rund kann nicht gesichert werden.";
  }
  if (length) fileBytes += *length;
  return std::nullopt;
}

// The bytes of the files that can be opened now.
int64_t OpenableBytes(FileSystem& fs, const BackupPlan& plan) {
  int64_t bytes = 0;
  for (const std::string& file : plan.files) {
    const std::optional<int64_t> length = LengthByPath(fs, file);
    if (length && Openable(fs, file)) bytes += *length;
  }
  return bytes;
}

// Why the plan must not start, or nullopt.
std::optional<std::string> Refusal(FileSystem& fs, const BackupPlan& plan) {
  const int64_t limit = plan.volumeLimit;
  if (limit <= 0 || limit > std::numeric_limits<int32_t>::max()) {
    return "Die Größe der Teilblöcke muss über 0 Byte und unter 2048 Mbyte liegen.\rDie Sicherung wird nicht gestartet.";
  }
  const int fileCount = static_cast<int>(std::min<std::size_t>(plan.files.size(), kMaxFiles + 1));
  if (fileCount > kMaxFiles) {
    return "Es können höchstens 32767 Dateien auf einmal gesichert werden.\rDie Sicherung wird nicht gestartet.";
  }
  if (TooLong(plan.description)) {
    return "Die Beschreibung ist zu lang (mehr als 32767 Zeichen).\rDie Sicherung wird nicht gestartet.";
  }
  // Stored as "?", such characters would be lost without a word.
  if (!IsWindows1252Representable(plan.description)) {
    return "Die Beschreibung enthält Zeichen, die ein Sicherungssatz nicht speichern kann.\rDie Sicherung wird nicht "
           "gestartet.";
  }
  int64_t fileBytes = 0;
  TargetDirectory target(fs, plan.target);
  for (const std::string& file : plan.files) {
    if (std::optional<std::string> refusal = FileRefusal(fs, plan, target, file, fileBytes)) return refusal;
  }
  // The volume number would overflow long before the end. The lengths by
  // path count files that cannot be opened too; those are left out, which
  // takes opening every file, only when the count would refuse.
  const auto tooManyVolumes = [&](int64_t bytes) {
    return MinimumVolumeCount(bytes, fileCount, limit) > std::numeric_limits<int16_t>::max();
  };
  if (tooManyVolumes(fileBytes) && tooManyVolumes(OpenableBytes(fs, plan))) {
    return "Bei dieser Größe der Teilblöcke wären mehr als 32767 Teilblöcke nötig.\rDie Sicherung wird nicht "
           "gestartet.";
  }
  return std::nullopt;
}

}  // namespace

CheckedPlan BackupRefusal(FileSystem& fs, BackupPlan plan) {
  if (std::optional<std::string> refusal = Refusal(fs, plan)) return *std::move(refusal);
  return plan;
}

}  // namespace pb
