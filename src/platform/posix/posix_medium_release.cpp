// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/posix_medium_release.h"

#include <fcntl.h>
#include <libmount.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/posix_file_system.h"
#include "support/run_time_error.h"

namespace pb {

namespace {

bool UnmountHere(const std::string& root) {
  libmnt_context* context = mnt_new_context();
  if (context == nullptr) return false;
  const bool done = mnt_context_set_target(context, root.c_str()) == 0 && mnt_context_umount(context) == 0;
  mnt_free_context(context);
  return done;
}

}  // namespace

bool PosixMediumRelease::Release(const std::string& driveRoot) noexcept {
  std::string root;
  try {
    root = fs_.ToNative(driveRoot);
  } catch (...) {
    return false;
  }
  struct stat medium {};
  struct stat program {};
  if (!IsMountPoint(root) || stat(root.c_str(), &medium) != 0) return false;
  if (stat("/proc/self/exe", &program) == 0 && program.st_dev == medium.st_dev) return false;
  // Whatever happens next, what the system still holds goes to the device.
  const int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    syncfs(fd);
    close(fd);
  }
  if (!UnmountThroughUdisks(medium.st_dev)) UnmountHere(root);
  struct stat now {};
  return stat(root.c_str(), &now) != 0 || now.st_dev != medium.st_dev;
}

}  // namespace pb
