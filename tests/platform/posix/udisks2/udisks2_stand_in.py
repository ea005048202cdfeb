# SPDX-License-Identifier: GPL-3.0-or-later
"""A stand-in for udisks2 on a test's own system bus (a python3-dbusmock
template): one block device whose file system is mounted where the test put
it, and whose Unmount really unmounts it, in the test's mount namespace.

Parameters: {"device": <device number>, "mount": "<mount path>"}.
"""

import dbus
from dbusmock import mockobject

BUS_NAME = 'org.freedesktop.UDisks2'
MAIN_OBJ = '/org/freedesktop/UDisks2'
MAIN_IFACE = 'org.freedesktop.UDisks2'
SYSTEM_BUS = True
IS_OBJECT_MANAGER = True

BLOCK = '/org/freedesktop/UDisks2/block_devices/medium'


def load(mock, parameters):
    mount = parameters['mount']
    mock.AddObject(BLOCK, 'org.freedesktop.UDisks2.Block', {
        'Device': dbus.ByteArray(b'/dev/medium\0'),
        'PreferredDevice': dbus.ByteArray(b'/dev/medium\0'),
        'Symlinks': dbus.Array([], signature='ay'),
        'DeviceNumber': dbus.UInt64(parameters['device']),
        'Size': dbus.UInt64(1474560),
        'IdUsage': 'filesystem',
        'IdType': 'vfat',
        'IdLabel': 'MEDIUM',
        'HintIgnore': False,
    }, [])
    block = mockobject.objects[BLOCK]
    block.AddProperties('org.freedesktop.UDisks2.Filesystem', {
        'MountPoints': dbus.Array([dbus.ByteArray(mount.encode() + b'\0')], signature='ay'),
        'Size': dbus.UInt64(1474560),
    })
    block.AddMethod('org.freedesktop.UDisks2.Filesystem', 'Unmount', 'a{sv}', '',
                    'import subprocess; subprocess.run(["umount", %r], check=True)' % mount)
