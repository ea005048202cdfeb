// SPDX-License-Identifier: GPL-3.0-or-later
#include <udisks/udisks.h>

#include "platform/posix/posix_medium_release.h"

namespace pb {

bool UnmountThroughUdisks(uint64_t device) noexcept {
  GError* error = nullptr;
  UDisksClient* client = udisks_client_new_sync(nullptr, &error);
  g_clear_error(&error);
  if (client == nullptr) return false;
  bool done = false;
  if (UDisksBlock* block = udisks_client_get_block_for_dev(client, static_cast<dev_t>(device))) {
    if (GDBusObject* object = g_dbus_interface_dup_object(G_DBUS_INTERFACE(block))) {
      if (UDisksFilesystem* filesystem = udisks_object_peek_filesystem(UDISKS_OBJECT(object))) {
        GVariantBuilder options;
        g_variant_builder_init(&options, G_VARIANT_TYPE_VARDICT);
        done = udisks_filesystem_call_unmount_sync(filesystem, g_variant_builder_end(&options), nullptr, &error);
        g_clear_error(&error);
      }
      g_object_unref(object);
    }
    g_object_unref(block);
  }
  g_object_unref(client);
  return done;
}

}  // namespace pb
