// SPDX-License-Identifier: GPL-3.0-or-later
#include <libmount.h>
#include <libudev.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>

#include <cstdlib>
#include <memory>
#include <string_view>

#include "platform/posix/system_drives.h"

namespace pb {

namespace {

std::string Text(const char* text) { return text == nullptr ? std::string() : std::string(text); }

struct UdevDeleter {
  void operator()(udev* handle) const { udev_unref(handle); }
  void operator()(udev_device* device) const { udev_device_unref(device); }
};

// What udev and sysfs know of a mount's block device. A disk counts as
// removable when it says so, or when it hangs on USB or an SD slot, where
// many sticks and card readers claim to be fixed.
void DescribeDevice(udev* context, MountPoint& mount) {
  const std::unique_ptr<udev_device, UdevDeleter> device(
      udev_device_new_from_devnum(context, 'b', static_cast<dev_t>(mount.device)));
  if (!device) return;
  if (const char* sectors = udev_device_get_sysattr_value(device.get(), "size")) {
    mount.capacity = std::strtoull(sectors, nullptr, 10) * 512;
  }
  udev_device* disk = Text(udev_device_get_devtype(device.get())) == "disk"
                          ? device.get()
                          : udev_device_get_parent_with_subsystem_devtype(device.get(), "block", "disk");
  const std::string path = Text(udev_device_get_devpath(device.get()));
  const std::string name = Text(udev_device_get_sysname(device.get()));
  mount.removable = (disk != nullptr && Text(udev_device_get_sysattr_value(disk, "removable")) == "1") ||
                    path.find("/usb") != std::string::npos || path.find("/mmc") != std::string::npos ||
                    name.starts_with("fd");
  mount.label = Text(udev_device_get_property_value(device.get(), "ID_FS_LABEL"));
  // An image attached through a loop device is a medium of its own.
  if (name.starts_with("loop")) mount.removable = true;
}

}  // namespace

std::vector<MountPoint> ReadMountTable(const DriveLocations& locations) {
  std::vector<MountPoint> mounts;
  libmnt_table* table = mnt_new_table();
  if (table == nullptr) return mounts;
  if (mnt_table_parse_mtab(table, nullptr) == 0) {
    libmnt_iter* iterator = mnt_new_iter(MNT_ITER_FORWARD);
    libmnt_fs* fs = nullptr;
    while (iterator != nullptr && mnt_table_next_fs(table, iterator, &fs) == 0) {
      MountPoint mount;
      mount.path = Text(mnt_fs_get_target(fs));
      mount.source = Text(mnt_fs_get_source(fs));
      const dev_t device = mnt_fs_get_devno(fs);
      if (major(device) != 0) mount.device = device;
      mounts.push_back(std::move(mount));
    }
    mnt_free_iter(iterator);
  }
  mnt_unref_table(table);

  const std::unique_ptr<udev, UdevDeleter> context(udev_new());
  for (MountPoint& mount : mounts) {
    if (mount.device != 0 && context) DescribeDevice(context.get(), mount);
    const bool media = IsBelowAny(mount.path, locations.media);
    // What the desktop mounted without a block device is a medium too.
    if (media && mount.device == 0) mount.removable = true;
    struct statvfs info {};
    if (mount.capacity == 0 && media && statvfs(mount.path.c_str(), &info) == 0) {
      mount.capacity = static_cast<uint64_t>(info.f_blocks) * info.f_frsize;
    }
  }
  return mounts;
}

}  // namespace pb
