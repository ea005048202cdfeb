// SPDX-License-Identifier: GPL-3.0-or-later
#include "media_drive.h"

#include <sys/mount.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include "mount_namespace.h"
#include "platform/posix/system_drives.h"

namespace pb::testing {

namespace {

[[noreturn]] void Fail(const std::string& what) { throw std::runtime_error(what + ": " + std::strerror(errno)); }

bool KernelHas(const std::string& type) {
  std::ifstream filesystems("/proc/filesystems");
  for (std::string line; std::getline(filesystems, line);) {
    if (line.substr(line.find('\t') + 1) == type) return true;
  }
  return false;
}

bool Run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

bool IsMountedAt(const std::filesystem::path& path) {
  struct stat self {};
  struct stat parent {};
  return stat(path.c_str(), &self) == 0 && stat((path / "..").c_str(), &parent) == 0 &&
         self.st_dev != parent.st_dev;
}

}  // namespace

MediaDrive::MediaDrive(std::filesystem::path base, Kind kind, Paths paths)
    : base_(std::move(base)), kind_(kind), paths_(paths) {
  reason_ = EnterPrivateMountNamespace();
  if (reason_.empty() && kind_ == Kind::Fat && !KernelHas("vfat")) reason_ = "the kernel has no vfat file system";
  if (reason_.empty() && kind_ == Kind::Fat && !Run("command -v mkfs.fat")) reason_ = "mkfs.fat is missing";
  std::filesystem::create_directories(base_ / "media");
  std::filesystem::create_directories(base_ / "store");
}

MediaDrive::~MediaDrive() {
  if (inserted_ != 0) umount2(mountPath_.c_str(), MNT_DETACH);
  for (int medium = 1; medium <= media_; ++medium) umount2(Files(medium).c_str(), MNT_DETACH);
}

std::filesystem::path MediaDrive::Files(int medium) const { return base_ / "store" / ("M" + std::to_string(medium)); }

int MediaDrive::NewMedium(uint64_t capacity) {
  if (!usable()) throw std::logic_error(reason_);
  const int medium = ++media_;
  const std::filesystem::path files = Files(medium);
  std::filesystem::create_directory(files);
  if (kind_ == Kind::Tmpfs) {
    const std::string options = "size=" + std::to_string(capacity) + ",mode=0777";
    if (mount("tmpfs", files.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0) Fail("mount tmpfs");
    return medium;
  }
  const std::filesystem::path image = base_ / "store" / ("M" + std::to_string(medium) + ".img");
  std::ofstream(image).close();
  std::filesystem::resize_file(image, capacity);
  const std::string label = "M" + std::to_string(medium);
  if (!Run("mkfs.fat -n " + label + " '" + image.string() + "'") ||
      !Run("mount -t vfat -o loop,umask=0 '" + image.string() + "' '" + files.string() + "'")) {
    throw std::runtime_error("cannot make or mount the FAT image of medium " + label);
  }
  return medium;
}

std::filesystem::path MediaDrive::Insert(int medium, bool readOnly) {
  Eject();
  ++insertions_;
  const std::filesystem::path path =
      base_ / "media" /
      (paths_ == Paths::Same ? "Laufwerk" : "M" + std::to_string(medium) + "-" + std::to_string(insertions_));
  std::filesystem::create_directory(path);
  if (mount(Files(medium).c_str(), path.c_str(), nullptr, MS_BIND, nullptr) != 0) Fail("mount --bind");
  if (readOnly && mount(nullptr, path.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0) {
    Fail("mount -o remount,ro");
  }
  inserted_ = medium;
  mountPath_ = path;
  return path;
}

void MediaDrive::Eject() {
  if (inserted_ == 0) return;
  // The run may have unmounted it already, as a desktop user would have.
  if (umount2(mountPath_.c_str(), MNT_DETACH) != 0 && errno != EINVAL && errno != ENOENT) Fail("umount");
  std::error_code ignored;
  std::filesystem::remove(mountPath_, ignored);
  inserted_ = 0;
  mountPath_.clear();
}

bool MediaDrive::StillMounted() const { return inserted_ != 0 && IsMountedAt(mountPath_); }

DriveReader MediaDrive::Drives() const {
  return DriveReaderFor(DriveLocations{{(base_ / "media").string()}, {}, {(base_ / "floppy").string()}});
}

}  // namespace pb::testing
