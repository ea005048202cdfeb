// SPDX-License-Identifier: GPL-3.0-or-later
#include "restore/archive_volumes.h"

#include <limits>

#include "store/volume_name.h"
#include "support/guarded_step.h"
#include "support/run_time_error.h"

namespace pb {

ArchiveVolumes::ArchiveVolumes(Runtime& runtime, std::string SourceDir, int32_t ArchiveDataStart)
    : runtime_(runtime), SourceDir_(std::move(SourceDir)), ArchiveDataStart_(ArchiveDataStart) {}

ArchiveVolumes::~ArchiveVolumes() {
  if (!VolumeOpen_) return;
  try {
    runtime_.fs.Close(VolumeFile_);
  } catch (const RunTimeError&) {
    // Only read from: nothing is lost.
  }
}

void ArchiveVolumes::EnsureVolume() {
  try {
    // A volume without unread bytes carries nothing: go on to the next.
    while (!VolumeOpen_ || Remaining() <= 0) {
      CloseVolume();
      OpenNextVolume();
    }
  } catch (const RunGivenUp&) {
    throw VolumeAbandoned{};
  }
}

void ArchiveVolumes::OpenNextVolume() {
  if (VolumeNumber_ == std::numeric_limits<int16_t>::max()) Raise(kOverflow);
  ++VolumeNumber_;
  const std::string path = SourceDir_ + VolumeFileName(VolumeNumber_);
  const auto askForNextDisk = [&] {
    AskRetryOrGiveUp(runtime_.boxes,
                     "Bitte den nächsten Datenträger dieses Sicherungssatzes\reinlegen und auf OK klicken.",
                     BoxIcon::Information);
  };
  if (!Found(path)) askForNextDisk();
  GuardedStep([&] { Open(path); }, [&](const RunTimeError&) { askForNextDisk(); });
}

bool ArchiveVolumes::Found(const std::string& path) {
  try {
    return !runtime_.fs.FindEntry(path, kMaskOrdinary).empty();
  } catch (const RunTimeError&) {
    // A drive without a disk holds nothing.
    return false;
  }
}

bool ArchiveVolumes::NextVolumeFound() {
  return VolumeNumber_ < std::numeric_limits<int16_t>::max() &&
         Found(SourceDir_ + VolumeFileName(static_cast<int16_t>(VolumeNumber_ + 1)));
}

void ArchiveVolumes::Open(const std::string& path) {
  FileSystem& fs = runtime_.fs;
  const FileNumber file = fs.Open(path, OpenMode::BinaryRead);
  try {
    length_ = fs.Length(file);
    position_ = 0;
    if (VolumeNumber_ == 1) {
      fs.Seek(file, ArchiveDataStart_);
      position_ = ArchiveDataStart_ - 1;
    }
  } catch (const RunTimeError&) {
    try {
      fs.Close(file);
    } catch (const RunTimeError&) {
      // Only read from: nothing is lost.
    }
    throw;
  }
  VolumeFile_ = file;
  VolumeOpen_ = true;
  reposition_ = false;
}

std::string ArchiveVolumes::Read(int64_t count) {
  if (reposition_) {
    runtime_.fs.Seek(VolumeFile_, position_ + 1);
    reposition_ = false;
  }
  try {
    std::string bytes = runtime_.fs.Read(VolumeFile_, count);
    position_ += count;
    return bytes;
  } catch (const RunTimeError&) {
    reposition_ = true;
    throw;
  }
}

void ArchiveVolumes::Rewind(int64_t position) {
  position_ = position;
  reposition_ = true;
}

void ArchiveVolumes::CloseVolume() {
  if (!VolumeOpen_) return;
  VolumeOpen_ = false;
  runtime_.fs.Close(VolumeFile_);
}

}  // namespace pb
