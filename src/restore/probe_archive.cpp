// SPDX-License-Identifier: GPL-3.0-or-later
#include "restore/probe_archive.h"

#include <optional>

#include "store/bytes.h"
#include "store/identity_file.h"
#include "store/records.h"
#include "store/volume_name.h"
#include "support/paths.h"
#include "support/run_time_error.h"

namespace pb {

namespace {

struct SetHead {
  std::string status;
  ProbeResults results;
};

std::optional<SetHead> ReadSetHead(FileSystem& fs, FileNumber file) {
  if (fs.Read(file, kMagicSize) != kMagic) return std::nullopt;
  const int16_t Major = Int16FromBytes(fs.Read(file, 2));
  const int16_t Minor = Int16FromBytes(fs.Read(file, 2));
  if (!IsReadableVersion(Major, Minor)) return std::nullopt;
  fs.Read(file, 4);  // Revision and Reserved
  SetHead head;
  head.results.ArchiveFileCount = Int32FromBytes(fs.Read(file, 4));
  head.status = std::string("(").append(std::to_string(head.results.ArchiveFileCount)).append(" Dateien, V");
  head.status.append(std::to_string(Major)).append(".").append(std::to_string(Minor)).append(")");
  const int16_t length = Int16FromBytes(fs.Read(file, 2));
  if (length < 0) return std::nullopt;
  fs.Seek(file, kDescriptionOffset + 1);
  head.results.ArchiveDescription = TextFromBytes(fs.Read(file, length));
  head.results.ArchiveDataStart = static_cast<int32_t>(fs.Position(file) + 1);
  return head;
}

// Volume 1 as an ordinary file under its exact name; nullopt on every failure.
std::optional<SetHead> FindSetHead(FileSystem& fs, const std::string& directory) {
  try {
    const std::string name = VolumeFileName(1);
    const std::string path = WithTrailingBackslash(directory) + name;
    if (fs.FindEntry(path, kMaskOrdinary) != name) return std::nullopt;
    const FileNumber file = fs.Open(path, OpenMode::BinaryRead);
    std::optional<SetHead> head;
    try {
      head = ReadSetHead(fs, file);
    } catch (const RunTimeError&) {
      // A short or unreadable volume 1 holds no set either.
    }
    fs.Close(file);
    return head;
  } catch (const RunTimeError&) {
    return std::nullopt;
  }
}

}  // namespace

void ProbeArchive(ProbeView& view, FileSystem& fs, ProbeResults& results) {
  view.SetRestoreEnabled(false);
  std::string status = "(Kein Archiv in diesem Verzeichnis gefunden)";
  std::string description;
  if (std::optional<SetHead> head = FindSetHead(fs, view.SourceDirectory())) {
    results = head->results;
    status = head->status;
    description = results.ArchiveDescription;
    view.SetRestoreEnabled(true);
  }
  view.SetRestoreInfo(status);
  view.SetDescription(description);
}

std::optional<int16_t> IncompleteEnd(FileSystem& fs, const std::string& directory) {
  const std::optional<SetIdentity> record = ReadIdentityRecord(fs, WithTrailingBackslash(directory));
  if (!record) return std::nullopt;
  for (const VolumeEntry& entry : record->volumes) {
    const int16_t expected = static_cast<int16_t>(&entry - record->volumes.data() + 1);
    if (entry.number != expected) return std::nullopt;
    if (entry.state == VolumeState::Last) return std::nullopt;
    if (entry.state != VolumeState::More) return entry.number;
  }
  return std::nullopt;
}

std::string IncompleteSetText(int16_t lastVolume) {
  return "Der Sicherungssatz ist unvollständig: die Sicherung wurde nach Band " + std::to_string(lastVolume) +
         " nicht zu Ende geführt.";
}

}  // namespace pb
